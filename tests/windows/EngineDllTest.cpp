// Ghostscript's DLL on Windows: where it is looked for, the message when it is missing, and the
// program's engine code running through the delay-loaded imports against the stand-in DLL that
// the tests build beside the test programs.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "convert/Engine.h"
#include "platform/EngineLibrary.h"
#include "platform/Environment.h"
#include "platform/LoadedModule.h"
#include "platform/PathText.h"
#include "platform/Registry.h"
#include "platform/win32/EngineDll.h"
#include "platform/win32/RegistryAccess.h"
#include "standin/MinimalPdf.h"
#include "support/TempDir.h"

namespace vellumor::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::filesystem::path StandIn() {
  return ProgramFolder() / kEngineDllName;
}

std::filesystem::path CopyStandIn(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(StandIn(), folder / kEngineDllName);
  return folder / kEngineDllName;
}

void RecordInstallation(Registry& registry, RegistryRoot root, const std::string& version, const std::string& dll) {
  const std::string key = std::string{kGhostscriptKey} + "\\" + version;
  ASSERT_EQ(registry.CreateKey(root, key), win_error::kSuccess);
  ASSERT_EQ(registry.SetValue(root, key, RegistryValue{"GS_DLL", kRegSz, dll}), win_error::kSuccess);
}

TEST(EngineDllTest, VersionsCompareByTheirNumbers) {
  EXPECT_TRUE(IsNewerVersion("10.02.1", "9.56.1"));
  EXPECT_TRUE(IsNewerVersion("9.56.10", "9.56.9"));
  EXPECT_TRUE(IsNewerVersion("9.56.1", "9.56"));
  EXPECT_FALSE(IsNewerVersion("9.56.1", "9.56.1"));
  EXPECT_FALSE(IsNewerVersion("9.5", "9.50"));
}

TEST(EngineDllTest, BesideTheProgramFirstThenTheNewestInstallation) {
  test::TempDir dir;
  Registry registry{dir / "registry"};
  const std::filesystem::path old = CopyStandIn(dir / "gs9.56.1" / "bin");
  const std::filesystem::path recent = CopyStandIn(dir / "gs10.02.1" / "bin");
  const std::filesystem::path personal = CopyStandIn(dir / "personal");
  const std::filesystem::path beside = CopyStandIn(dir / "program");
  RecordInstallation(registry, RegistryRoot::LocalMachine, "9.56.1", old.string());
  RecordInstallation(registry, RegistryRoot::LocalMachine, "10.02.1", recent.string());
  RecordInstallation(registry, RegistryRoot::LocalMachine, "10.03.0", (dir / "uninstalled" / kEngineDllName).string());
  RecordInstallation(registry, RegistryRoot::LocalMachine, "8.71", "relative\\gsdll.dll");
  RecordInstallation(registry, RegistryRoot::CurrentUser, "9.55.0", personal.string());

  EXPECT_THAT(EngineDllCandidates({dir / "program", registry.Folder()}), ElementsAre(beside, recent, old, personal));
  EXPECT_THAT(EngineDllCandidates({dir / "elsewhere", registry.Folder()}), ElementsAre(recent, old, personal));
  EXPECT_EQ(DeletePrivateRegistry(registry.Folder()), win_error::kSuccess);
}

TEST(EngineDllTest, ModulesLoadByTheirAbsolutePath) {
  std::string error;
  const std::unique_ptr<LoadedModule> module = LoadedModule::Load(StandIn(), error);
  ASSERT_TRUE(module) << error;
  EXPECT_NE(module->Symbol("gsapi_new_instance"), nullptr);
  EXPECT_EQ(module->Symbol("gsapi_no_such_function"), nullptr);

  test::TempDir dir;
  EXPECT_FALSE(LoadedModule::Load(dir / "missing.dll", error));
  EXPECT_THAT(error, HasSubstr("missing.dll"));
}

// One test, as the process binds its engine imports only once: first the refusals, then the
// engine code of the program running on the stand-in.
TEST(EngineDllTest, MissingOrTooOldIsToldElseTheEngineRunsThroughTheDll) {
  test::TempDir dir;
  std::string error;
  EXPECT_FALSE(LoadEngineDll({dir / "empty", dir / "registry"}, error));
  EXPECT_THAT(error, HasSubstr(std::string{"Ghostscript for Windows is needed to create PDF files, but "} +
                               kEngineDllName + " was found neither beside the program"));
  // A DLL of that name without the engine's functions is refused, not bound.
  std::filesystem::create_directories(dir / "impostor");
  std::filesystem::copy_file(ProgramFolder() / "Updater.dll", dir / "impostor" / kEngineDllName);
  EXPECT_FALSE(LoadEngineDll({dir / "impostor", dir / "registry"}, error));
  EXPECT_THAT(error, HasSubstr("is too old: it has no gsapi_new_instance"));
  EXPECT_EQ(DeletePrivateRegistry(dir / "registry"), win_error::kSuccess);

  ASSERT_TRUE(PrepareEngineLibrary(error)) << error;
  const std::filesystem::path record = dir / "calls.txt";
  ASSERT_TRUE(SetEnvironmentVariable("VELLUMOR_STANDIN_RECORD", Utf8FromPath(record)));
  const std::filesystem::path pdf = dir.Path() / PathFromUtf8("Bericht \xC3\xBC.pdf");

  // The job arrives through the input callback, in pieces of the engine's choosing.
  struct Listener final : convert::EngineListener {
    std::string job{"%!PS\n%%Title: Report\nshowpage\nshowpage\n"};
    std::string output;
    int polls{0};
    void OnEngineOutput(std::string_view text) override { output += text; }
    void OnEngineError(std::string_view) override {}
    int OnEngineInput(char* buffer, int length) override {
      const std::size_t count = std::min(job.size(), static_cast<std::size_t>(length));
      job.copy(buffer, count);
      job.erase(0, count);
      return static_cast<int>(count);
    }
    bool OnEnginePoll() override { return ++polls > 0; }
  } listener;
  const std::unique_ptr<convert::Engine> engine = convert::MakeGhostscriptEngine();
  int code{-1};
  std::unique_ptr<convert::EngineInstance> instance = engine->NewInstance(code);
  ASSERT_TRUE(instance);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(instance->SetStdio(listener), 0);
  const std::string outputArgument = "-sOutputFile=" + Utf8FromPath(pdf);
  const std::string probe = "(\\nCount: ) print currentpagedevice /PageCount get == flush";
  EXPECT_EQ(instance->InitWithArgs({"vellumor", "-dBATCH", "-dNOPAUSE", outputArgument, "-_", "-c", probe}), 0);
  EXPECT_EQ(instance->Exit(), 0);
  instance.reset();

  // The callbacks arrive with the right convention and the caller's handle.
  EXPECT_EQ(listener.output, "Page 1\nPage 2\n\nCount: 2\n");
  EXPECT_GT(listener.polls, 0);
  std::vector<std::string> calls;
  std::istringstream lines{test::ReadFileBytes(record)};
  for (std::string line; std::getline(lines, line);) {
    calls.push_back(line);
  }
  EXPECT_THAT(calls, ElementsAre("gsapi_new_instance", "gsapi_set_poll", "gsapi_set_stdio", "gsapi_set_arg_encoding 1",
                                 "gsapi_init_with_args 7", "arg vellumor", "arg -dBATCH", "arg -dNOPAUSE",
                                 "arg " + outputArgument, "arg -_", "arg -c", "arg " + probe, "stdin 39 bytes, 2 pages",
                                 "gsapi_exit", "wrote " + Utf8FromPath(pdf) + ", 2 pages", "gsapi_delete_instance"));
  EXPECT_THAT(test::PageTextsOf(test::ReadFileBytes(pdf)), ElementsAre("Report page 1", "Report page 2"));
  // Kept for the qpdf check that scripts/test-windows.sh runs on the Linux side.
  if (const std::optional<std::string> keep = GetEnvironmentVariable("VELLUMOR_WINDOWS_PDF_FOLDER"); keep) {
    std::filesystem::copy_file(pdf, std::filesystem::path{*keep} / "EngineDllTest.pdf",
                               std::filesystem::copy_options::overwrite_existing);
  }
}

}  // namespace
}  // namespace vellumor::platform
