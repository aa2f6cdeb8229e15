#include "convert/EngineEnvironment.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/Environment.h"
#include "platform/SystemEvents.h"
#include "support/TempDir.h"

namespace vellumor::convert {
namespace {

using platform::RegistryRoot;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

constexpr auto kMachine = RegistryRoot::LocalMachine;

// The NT family: the machine environment key of a registry in a temporary folder.
class MachineEnvironmentTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(registry_.CreateKey(kMachine, kMachineEnvironmentKey), 0); }

  void SetValue(std::string_view name, std::string_view data, std::uint32_t type = platform::kRegSz) {
    ASSERT_EQ(registry_.SetValue(kMachine, kMachineEnvironmentKey, {std::string{name}, type, std::string{data}}), 0);
  }
  bool HasValue(std::string_view name) {
    platform::RegistryValue value;
    return registry_.QueryValue(kMachine, kMachineEnvironmentKey, name, value) == 0;
  }
  // Changes of the hive are published under a lock file; when that cannot be opened every change
  // fails while reading still works.
  void BlockChanges() {
    const std::filesystem::path lockPath = registry_.HivePath(kMachine).string() + ".lock";
    std::filesystem::remove(lockPath);
    std::filesystem::create_symlink("elsewhere", lockPath);
  }

  test::TempDir dir_;
  platform::Registry registry_{dir_.Path() / "registry"};
  EngineEnvironmentPlaces places_{SystemEngineEnvironmentPlaces(registry_)};
};

TEST_F(MachineEnvironmentTest, ClearRemovesThePresentVariablesAndEmptiesThemHere) {
  SetValue("GS_LIB", "C:\\gs\\lib;C:\\fonts", platform::kRegExpandSz);
  SetValue("GS_FONTPATH", "");
  SetValue("Path", "C:\\Windows");
  platform::SetEnvironmentVariable("GS_DLL", "/opt/gs/libgs.so");
  const std::size_t broadcasts = platform::SettingChangeBroadcastCount();

  CaptureStderr();
  ClearEngineEnvironment(places_);
  EXPECT_EQ(GetCapturedStderr(), "");

  EXPECT_FALSE(HasValue("GS_LIB"));
  EXPECT_FALSE(HasValue("GS_FONTPATH"));
  EXPECT_TRUE(HasValue("Path"));
  EXPECT_EQ(platform::SettingChangeBroadcastCount() - broadcasts, 3U);
  for (const char* name : {"GS_DLL", "GS_LIB", "GS_FONTPATH"}) {
    EXPECT_EQ(platform::GetEnvironmentVariable(name), std::optional<std::string>{""}) << name;
  }
}

TEST_F(MachineEnvironmentTest, NothingToRemoveStillBroadcastsWithoutADiagnostic) {
  const std::size_t broadcasts = platform::SettingChangeBroadcastCount();
  CaptureStderr();
  EXPECT_EQ(RemoveEnvironmentVariable(places_, "GS_DLL"), 0);
  EXPECT_EQ(RemoveEnvironmentVariable(places_, "GS_LIB"), 0);
  EXPECT_EQ(RemoveEnvironmentVariable(places_, "GS_FONTPATH"), 0);
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(platform::SettingChangeBroadcastCount() - broadcasts, 3U);
}

TEST_F(MachineEnvironmentTest, NamesCompareExactly) {
  SetValue("gs_lib", "x");
  EXPECT_EQ(RemoveEnvironmentVariable(places_, "GS_LIB"), 0);
  EXPECT_TRUE(HasValue("gs_lib"));
}

TEST_F(MachineEnvironmentTest, FailedDeletionIsReportedAndNotBroadcast) {
  SetValue("GS_LIB", "C:\\gs\\lib");
  BlockChanges();
  const std::size_t broadcasts = platform::SettingChangeBroadcastCount();
  CaptureStderr();
  const int result = RemoveEnvironmentVariable(places_, "GS_LIB");
  const std::string output = GetCapturedStderr();
  EXPECT_EQ(result, 1);
  EXPECT_TRUE(output.starts_with("Error - Delete Value : ")) << output;
  EXPECT_GT(output.size(), std::string_view{"Error - Delete Value : \n"}.size());
  EXPECT_TRUE(HasValue("GS_LIB"));
  EXPECT_EQ(platform::SettingChangeBroadcastCount(), broadcasts);

  // A failure of one variable does not keep the next from being handled.
  CaptureStderr();
  ClearEngineEnvironment(places_);
  GetCapturedStderr();
  EXPECT_EQ(platform::SettingChangeBroadcastCount() - broadcasts, 2U);
}

TEST_F(MachineEnvironmentTest, AccessDeniedGivesFive) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "running as root: file modes do not deny access";
  }
  SetValue("GS_DLL", "x");
  const std::string lockPath = registry_.HivePath(kMachine).string() + ".lock";
  test::WriteFileBytes(lockPath, "");
  std::filesystem::permissions(lockPath, std::filesystem::perms::none);
  CaptureStderr();
  EXPECT_EQ(RemoveEnvironmentVariable(places_, "GS_DLL"), 5);
  EXPECT_EQ(GetCapturedStderr(), "Error - Delete Value : Access is denied.\n");
}

TEST(MachineEnvironmentMissingTest, NoRegistryAtAllIsNotAnError) {
  test::TempDir dir;
  platform::Registry registry{dir / "nothing-here"};
  const std::size_t broadcasts = platform::SettingChangeBroadcastCount();
  CaptureStderr();
  EXPECT_EQ(RemoveEnvironmentVariable(SystemEngineEnvironmentPlaces(registry), "GS_LIB"), 0);
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(platform::SettingChangeBroadcastCount() - broadcasts, 1U);
}

// Windows 95, 98 and Me: "set" lines of the boot file.
class BootFileTest : public ::testing::Test {
 protected:
  EngineEnvironmentPlaces Places() const {
    return EngineEnvironmentPlaces{nullptr, true, {dir_ / "c-autoexec.bat", dir_ / "d-autoexec.bat"}};
  }
  std::filesystem::path First() const { return dir_ / "c-autoexec.bat"; }
  std::filesystem::path Second() const { return dir_ / "d-autoexec.bat"; }

  // The result and the file's content after removing `name` from a file holding `content`.
  std::string RemovedFrom(std::string_view content, std::string_view name = "GS_LIB") {
    test::WriteFileBytes(First(), content);
    CaptureStderr();
    EXPECT_EQ(RemoveEnvironmentVariable(Places(), name), 0);
    EXPECT_EQ(GetCapturedStderr(), "");
    return test::ReadFileBytes(First());
  }

  test::TempDir dir_;
};

TEST_F(BootFileTest, TheSetLineGoesWithItsLineEndAndTheRestStaysByteForByte) {
  EXPECT_EQ(RemovedFrom("@ECHO OFF\r\nset GS_LIB=C:\\gs\\lib\r\nPATH C:\\DOS;\tC:\\BIN \r\n\r\n"),
            "@ECHO OFF\r\nPATH C:\\DOS;\tC:\\BIN \r\n\r\n");
  EXPECT_EQ(RemovedFrom("rem\nset GS_LIB=/gs\nrem end\n"), "rem\nrem end\n");
}

TEST_F(BootFileTest, OnlyTheExactLowerCaseFormMatches) {
  EXPECT_EQ(RemovedFrom("SET GS_LIB=C:\\gs\r\nSet GS_LIB=x\r\nset  GS_LIB=y\r\n"),
            "SET GS_LIB=C:\\gs\r\nSet GS_LIB=x\r\nset  GS_LIB=y\r\n");
  // Anywhere in the line, and a longer name that starts with the variable counts too.
  EXPECT_EQ(RemovedFrom("a\r\nif x==y set GS_LIBX=C:\\x\r\nset GS_LIB=C:\\gs\r\n"), "a\r\nset GS_LIB=C:\\gs\r\n");
}

TEST_F(BootFileTest, LastLineWithoutLineFeed) {
  EXPECT_EQ(RemovedFrom("@ECHO OFF\r\nset GS_LIB=C:\\gs"), "@ECHO OFF\r\n");
}

TEST_F(BootFileTest, OnlyLineLeavesAnEmptyFile) {
  EXPECT_EQ(RemovedFrom("set GS_LIB=C:\\gs\\lib\r\n"), "");
  EXPECT_EQ(RemovedFrom(""), "");
}

TEST_F(BootFileTest, OnlyTheFirst259CharactersOfALineAreSearched) {
  const std::string inside = std::string(240, ' ') + "set GS_LIB=x\r\n";
  EXPECT_EQ(RemovedFrom("a\r\n" + inside), "a\r\n");
  const std::string beyond = std::string(250, ' ') + "set GS_LIB=x\r\n";
  EXPECT_EQ(RemovedFrom("a\r\n" + beyond), "a\r\n" + beyond);
}

TEST_F(BootFileTest, FirstExistingFileIsUsed) {
  test::WriteFileBytes(Second(), "set GS_DLL=d\r\n");
  CaptureStderr();
  EXPECT_EQ(RemoveEnvironmentVariable(Places(), "GS_DLL"), 0);
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(test::ReadFileBytes(Second()), "");

  test::WriteFileBytes(First(), "set GS_DLL=c\r\n");
  test::WriteFileBytes(Second(), "set GS_DLL=d\r\n");
  EXPECT_EQ(RemoveEnvironmentVariable(Places(), "GS_DLL"), 0);
  EXPECT_EQ(test::ReadFileBytes(First()), "");
  EXPECT_EQ(test::ReadFileBytes(Second()), "set GS_DLL=d\r\n");
}

TEST_F(BootFileTest, ClearRemovesEachVariableWithoutBroadcasting) {
  test::WriteFileBytes(First(), "set GS_FONTPATH=f\r\nset GS_DLL=d\r\nkeep\r\nset GS_LIB=l\r\n");
  const std::size_t broadcasts = platform::SettingChangeBroadcastCount();
  ClearEngineEnvironment(Places());
  EXPECT_EQ(test::ReadFileBytes(First()), "keep\r\n");
  EXPECT_EQ(platform::SettingChangeBroadcastCount(), broadcasts);
}

TEST_F(BootFileTest, NoBootFileIsReported) {
  CaptureStderr();
  EXPECT_EQ(RemoveEnvironmentVariable(Places(), "GS_LIB"), 1);
  EXPECT_EQ(GetCapturedStderr(), "Failed to locate Autoexec.bat on c:\\ or d:\\ \n");
  EXPECT_FALSE(std::filesystem::exists(First()));
}

TEST_F(BootFileTest, UnopenableBootFileIsReported) {
  std::filesystem::create_directory(First());
  CaptureStderr();
  EXPECT_EQ(RemoveEnvironmentVariable(Places(), "GS_LIB"), 1);
  EXPECT_TRUE(GetCapturedStderr().starts_with("Error - Open Autoexec.bat : "));
}

TEST(DiagnosticTest, SystemErrorTextIsCutTo259Characters) {
  CaptureStderr();
  ReportSystemError("Delete Value", platform::win_error::kAccessDenied);
  ReportSystemError(std::string(300, 'x'), platform::win_error::kAccessDenied);
  DiagnosticOutput("");
  const std::string output = GetCapturedStderr();
  const std::string first = "Error - Delete Value : Access is denied.\n";
  ASSERT_TRUE(output.starts_with(first)) << output;
  EXPECT_EQ(output.substr(first.size()), "Error - " + std::string(251, 'x') + "\n");
}

}  // namespace
}  // namespace vellumor::convert
