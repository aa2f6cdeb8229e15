#pragma once
// The screenshot program renders every window to a PNG under build/screenshots, for people to
// look at. A window's owner adds a file here that registers its render functions:
//
//   static const bool registered = vellumor::test::screenshots::Register("advanced", [](Shots& shots) {
//     AdvancedWindow window(...);
//     shots.Save(window, "advanced.png");
//   });

#include <QString>
#include <functional>
#include <memory>

#include "app/MainController.h"
#include "platform/Clock.h"
#include "platform/Registry.h"
#include "platform/TempFolder.h"
#include "support/PipelineFixture.h"
#include "support/ScriptedInteraction.h"
#include "support/TempDir.h"

class QWidget;

namespace vellumor::test::screenshots {

// What windows need to be built: a private temporary folder and registry, a fixed clock, a
// scripted interaction and a shell that opens nothing.
class Shots final {
 public:
  explicit Shots(std::filesystem::path outputFolder);

  // Shows `window` (not modally), waits until it is drawn, writes it to `fileName`, hides it.
  bool Save(QWidget& window, const QString& fileName);

  // A controller initialised as the program would: `job` on standard input ("" for none).
  app::MainController& StartController(std::string_view job);

  ScriptedInteraction ui;
  RecordingShell shell;
  platform::FixedClock clock{platform::MakeLocalTime(2016, 3, 5, 14, 7, 9), 1457186829};
  TempDir dir;
  platform::Registry registry{dir / "registry"};

 private:
  std::filesystem::path output_;
  std::optional<platform::TempFolder> temp_;
  std::unique_ptr<convert::Engine> engine_;
  std::unique_ptr<convert::Services> services_;
  std::vector<std::unique_ptr<app::MainController>> controllers_;
};

using RenderFunction = std::function<void(Shots&)>;

// Adds a render function; returns true so it can initialise a static.
bool Register(const char* name, RenderFunction render);

}  // namespace vellumor::test::screenshots
