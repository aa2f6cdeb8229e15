// The settings record on the emulated registry of POSIX systems: a hive that cannot be read, and
// a save while another process loads. This program runs on Linux alone.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "settings/RegistryStore.h"
#include "support/SampleSettings.h"
#include "support/TempDir.h"

namespace vellumor::settings {
namespace {

TEST(RegistryStorePosixTest, UnreadableSettingsAreReportedAndNeverSavedOver) {
  test::TempDir dir;
  platform::Registry registry{dir.Path()};
  const std::filesystem::path hive = registry.HivePath(platform::RegistryRoot::LocalMachine);
  std::filesystem::create_directories(hive);
  Settings settings{DefaultSettings("/home/ada")};
  const SettingsLoad load = LoadSettingsFromRegistry(registry, settings);
  EXPECT_FALSE(load.opened);
  EXPECT_EQ(load.problem, hive.string() + ": Is a directory");
  EXPECT_FALSE(SaveSettingsToRegistry(registry, test::SampleSettings()));
  EXPECT_TRUE(std::filesystem::is_directory(hive));
}

// Every field of one record differs from the other's.
Settings Record(char tag) {
  Settings settings;
  std::int32_t number = tag == 'A' ? 1000 : 2000;
  for (const FieldInfo& field : RegistryFieldOrder()) {
    if (field.kind == FieldKind::Text) {
      settings.*field.text = std::string{tag} + "-" + std::string{field.name};
    } else {
      settings.*field.number = number++;
    }
  }
  return settings;
}

// A job starting while the settings window closes must convert with the old settings or the new
// ones, never with the security of one and the naming of the other.
TEST(RegistryStorePosixTest, AConcurrentJobReadsOneWholeSave) {
  test::TempDir dir;
  platform::Registry registry{dir.Path()};
  const Settings a{Record('A')};
  const Settings b{Record('B')};
  ASSERT_TRUE(SaveSettingsToRegistry(registry, a));
  int running[2];
  ASSERT_EQ(::pipe(running), 0);
  const pid_t reader = ::fork();
  ASSERT_GE(reader, 0);
  if (reader == 0) {
    ::close(running[1]);
    platform::Registry own{dir.Path()};
    int mixed{0};
    pollfd writerGone{running[0], POLLIN, 0};
    do {
      Settings loaded{DefaultSettings("/")};
      LoadSettingsFromRegistry(own, loaded);
      mixed += loaded == a || loaded == b ? 0 : 1;
    } while (::poll(&writerGone, 1, 0) == 0);
    ::_exit(mixed == 0 ? 0 : 1);
  }
  ::close(running[0]);
  int saved{0};
  for (int save = 0; save < 40; ++save) {
    saved += SaveSettingsToRegistry(registry, save % 2 == 0 ? b : a) ? 1 : 0;
  }
  ::close(running[1]);
  EXPECT_EQ(saved, 40);
  int status{0};
  ASSERT_EQ(::waitpid(reader, &status, 0), reader);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a job read a mix of two saves";
}

}  // namespace
}  // namespace vellumor::settings
