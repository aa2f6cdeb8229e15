#pragma once
// What the pipeline needs from outside: the platform seams, the engine and the person.

#include <filesystem>
#include <string>

#include "convert/Engine.h"
#include "convert/EngineEnvironment.h"
#include "platform/Cancellation.h"
#include "platform/Clock.h"
#include "platform/Registry.h"
#include "platform/RunJournal.h"
#include "platform/Shell.h"
#include "platform/TempFolder.h"
#include "platform/UserInteraction.h"

namespace vellumor::convert {

// The product's web host, written as the PDF's producer.
inline constexpr std::string_view kProducer = "www.vellumor.example";

struct Services {
  platform::Registry& registry;
  const platform::TempFolder& temp;
  const platform::Clock& clock;
  platform::UserInteraction& ui;
  Engine& engine;
  platform::Shell& shell;
  EngineEnvironmentPlaces environment;
  std::filesystem::path desktopFolder;
  std::string logonName;
  // A request to stop the job (signals), and the record of what this run creates; either may
  // be absent (tests, or a journal that could not be created).
  const platform::Cancellation* cancellation{nullptr};
  platform::RunJournal* journal{nullptr};

  bool Cancelled() const { return cancellation != nullptr && cancellation->Requested(); }
};

}  // namespace vellumor::convert
