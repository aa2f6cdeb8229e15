// The program's binding of the updater library: loaded by absolute path from a folder, its one
// export called exactly as the program calls it. The real library runs here in a process
// without Qt, against a private registry, on schedules that never reach the network.

#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "app/UpdaterLibrary.h"
#include "platform/Environment.h"
#include "platform/ProgramModules.h"
#include "platform/Registry.h"
#include "support/Process.h"
#include "support/ScopedVariable.h"
#include "support/ScriptedInteraction.h"
#include "support/TempDir.h"

namespace vellumor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kProductKey = "SOFTWARE\\Corvane Software\\Vellumor";

TEST(UpdaterLibraryTest, AMissingLibraryIsReportedOnceAndNeverCalled) {
  TempDir empty;
  ScriptedInteraction ui;
  app::UpdaterLibrary library;
  library.Load(empty.Path(), ui);
  EXPECT_FALSE(library.Loaded());
  EXPECT_FALSE(library.Callable());
  ASSERT_EQ(ui.messages.size(), 1U);
  EXPECT_EQ(ui.messages[0].text, "Unable to open DLL Updater.dll");
  EXPECT_EQ(library.CallUpdate(app::DefaultUpdateArguments()), -1);
}

TEST(UpdaterLibraryTest, ALibraryWithoutTheExportIsLoadedButNotCalledSilently) {
  // Any shared library without `Update` will do: the C library this test runs on.
  Dl_info info{};
  ASSERT_NE(dladdr(reinterpret_cast<void*>(&std::getenv), &info), 0);
  TempDir folder;
  std::filesystem::create_symlink(info.dli_fname, folder / platform::ModuleFileName(platform::ProgramModule::Updater));
  ScriptedInteraction ui;
  app::UpdaterLibrary library;
  library.Load(folder.Path(), ui);
  EXPECT_TRUE(library.Loaded());
  EXPECT_FALSE(library.Callable());
  EXPECT_THAT(ui.messages, IsEmpty());
  EXPECT_EQ(library.CallUpdate(app::DefaultUpdateArguments()), -1);
}

TEST(UpdaterLibraryTest, TheProgramPassesItsNameVersionKeyAndBothPages) {
  const app::UpdateArguments arguments = app::DefaultUpdateArguments();
  EXPECT_EQ(arguments.productName, "Vellumor");
  EXPECT_EQ(arguments.productVersion, "1.06");
  EXPECT_EQ(arguments.productKey, "Vellumor");
  EXPECT_THAT(arguments.productPageUrl, ::testing::EndsWith("/index.htm"));
  EXPECT_THAT(arguments.portalPageUrl, ::testing::MatchesRegex("https?://.+/.*Vellumor[0-9]+\\.htm"));
  EXPECT_EQ(arguments.upgradePageUrl, "");
  EXPECT_EQ(arguments.manualCheck, 0);
  EXPECT_EQ(arguments.ignorePortalLag, 0);
}

#ifdef VELLUMOR_UPDATER_FOLDER

class BuiltUpdaterTest : public ::testing::Test {
 protected:
  BuiltUpdaterTest() : registryVariable_{"VELLUMOR_REGISTRY", dir_.Path().string()}, registry_{dir_.Path()} {
    library_.Load(VELLUMOR_UPDATER_FOLDER, ui_);
  }

  void SetValue(const std::string& name, const std::string& text) {
    registry_.CreateKey(platform::RegistryRoot::LocalMachine, kProductKey);
    registry_.SetValue(platform::RegistryRoot::LocalMachine, kProductKey,
                       platform::RegistryValue{name, platform::kRegSz, text});
  }
  std::string StoredValue(const std::string& name) const {
    platform::RegistryValue value;
    return registry_.QueryValue(platform::RegistryRoot::LocalMachine, kProductKey, name, value) ==
                   platform::win_error::kSuccess
               ? value.data
               : "<missing>";
  }

  TempDir dir_;
  ScopedVariable registryVariable_;
  ScopedVariable platformVariable_{"QT_QPA_PLATFORM", "offscreen"};
  platform::Registry registry_;
  ScriptedInteraction ui_;
  app::UpdaterLibrary library_;
};

TEST_F(BuiltUpdaterTest, ExportsOnlyUpdate) {
  ASSERT_TRUE(library_.Callable());
  EXPECT_THAT(ui_.messages, IsEmpty());
  if (!HaveProgram("nm")) {
    GTEST_SKIP() << "nm is not installed";
  }
  const ProcessResult symbols =
      RunProcess({"nm", "-D", "--defined-only", "--format=just-symbols",
                  std::string{VELLUMOR_UPDATER_FOLDER} + "/" +
                      std::string{platform::ModuleFileName(platform::ProgramModule::Updater)}});
  ASSERT_EQ(symbols.exitCode, 0) << symbols.err;
  EXPECT_EQ(symbols.out, "Update\n");
}

TEST_F(BuiltUpdaterTest, FollowsTheScheduleInThePrivateRegistry) {
  // No key: nothing is created.
  EXPECT_EQ(library_.CallUpdate(app::DefaultUpdateArguments()), 0);
  EXPECT_NE(registry_.OpenKey(platform::RegistryRoot::LocalMachine, kProductKey), platform::win_error::kSuccess);

  // First run: only the stamp.
  SetValue("AdvCheckUpdate", "7 days");
  const long long before = static_cast<long long>(std::time(nullptr));
  EXPECT_EQ(library_.CallUpdate(app::DefaultUpdateArguments()), 0);
  const long long stamp = std::stoll(StoredValue("AdvLastUpdateCheck"));
  EXPECT_GE(stamp, before);
  EXPECT_LE(stamp, static_cast<long long>(std::time(nullptr)));

  // Waiting, and never again: nothing changes. A second call in the same process works too.
  EXPECT_EQ(library_.CallUpdate(app::DefaultUpdateArguments()), 0);
  EXPECT_EQ(std::stoll(StoredValue("AdvLastUpdateCheck")), stamp);
  SetValue("AdvLastUpdateCheck", "0");
  EXPECT_EQ(library_.CallUpdate(app::DefaultUpdateArguments()), 0);
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), "0");
}

TEST_F(BuiltUpdaterTest, WithoutAnyDisplayNoWindowCanBeShown) {
  const ScopedVariable platformName{"QT_QPA_PLATFORM", std::nullopt};
  const ScopedVariable display{"DISPLAY", std::nullopt};
  const ScopedVariable wayland{"WAYLAND_DISPLAY", std::nullopt};
  SetValue("AdvCheckUpdate", "7 days");
  EXPECT_EQ(library_.CallUpdate(app::DefaultUpdateArguments()), -1);
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), "<missing>");
}

#endif

}  // namespace
}  // namespace vellumor::test
