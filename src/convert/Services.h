#pragma once
// What the pipeline needs from outside: the platform seams, the engine and the person.

#include <filesystem>
#include <string>

#include "convert/Engine.h"
#include "convert/EngineEnvironment.h"
#include "platform/Clock.h"
#include "platform/Registry.h"
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
};

}  // namespace vellumor::convert
