#pragma once
// In-process pipeline tests: real Ghostscript, a private temporary folder and registry, a fixed
// clock, scripted answers and a shell that records what it was asked to open.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "convert/Engine.h"
#include "convert/JobState.h"
#include "convert/Services.h"
#include "platform/Clock.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/TempFolder.h"
#include "support/ScriptedInteraction.h"
#include "support/TempDir.h"

namespace vellumor::test {

class RecordingShell final : public platform::Shell {
 public:
  std::vector<std::string> opened;                              // OpenDocument paths
  std::vector<std::pair<std::string, std::string>> openedWith;  // program, path
  bool OpenDocument(std::string_view path) override {
    opened.emplace_back(path);
    return true;
  }
  bool OpenWith(std::string_view program, std::string_view path) override {
    openedWith.emplace_back(program, path);
    return true;
  }
};

class PipelineFixture : public ::testing::Test {
 protected:
  PipelineFixture();

  // A job file in the temporary folder with these bytes, as the intake would leave it.
  void UseJob(std::string_view postscript);
  void UseJobFile(const std::filesystem::path& postscriptFile);
  // Everything left in the temporary folder except the job file.
  std::vector<std::string> LeftoversInTemp() const;

  // Replaces the engine (tests of failures Ghostscript cannot produce on demand).
  void UseEngine(std::unique_ptr<convert::Engine> engine);

  TempDir dir;
  std::filesystem::path tempPath{dir / "tmp"};
  std::filesystem::path outputFolder{dir / "out"};
  std::filesystem::path desktop{dir / "Desktop"};
  platform::Registry registry{dir / "registry"};
  std::optional<platform::TempFolder> temp;
  platform::FixedClock clock{platform::MakeLocalTime(2016, 3, 5, 14, 7, 9), 1457186829};
  ScriptedInteraction ui;
  RecordingShell shell;
  std::unique_ptr<convert::Engine> engine{convert::MakeGhostscriptEngine()};
  std::unique_ptr<convert::Services> services;
  convert::JobState state;
};

// PostScript for a job of `pages` pages, each showing "Page n"; an optional title line.
std::string PagesJob(int pages, std::string_view label = "Page", std::string_view title = "");

}  // namespace vellumor::test
