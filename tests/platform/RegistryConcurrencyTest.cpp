// Several processes share one registry: each print job is its own process, and the updater
// writes into the same key. These tests run real processes against real files.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "platform/Registry.h"
#include "platform/posix/HiveFile.h"
#include "support/TempDir.h"

namespace vellumor::platform {
namespace {

constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;
constexpr std::string_view kKey = "SOFTWARE\\Corvane Software\\Vellumor";

RegistryValue Text(std::string name, std::string data) {
  return RegistryValue{std::move(name), kRegSz, std::move(data)};
}

// Starts `count` children that all wait on one pipe and begin together when it is closed.
class StartingGate final {
 public:
  StartingGate() { EXPECT_EQ(::pipe(fds_), 0); }
  ~StartingGate() {
    for (const int fd : fds_) {
      if (fd >= 0) {
        ::close(fd);
      }
    }
  }
  // In the child: blocks until the parent opens the gate.
  void Wait() {
    ::close(fds_[1]);
    char byte{0};
    while (::read(fds_[0], &byte, 1) > 0) {
    }
  }
  void Open() {
    ::close(fds_[1]);
    fds_[1] = -1;
  }

 private:
  int fds_[2]{-1, -1};
};

int WaitForExitCode(pid_t child) {
  int status{0};
  if (::waitpid(child, &status, 0) != child) {
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(RegistryConcurrencyTest, WritersStartedTogetherLoseNoValue) {
  test::TempDir temp;
  Registry registry{temp / "registry"};
  ASSERT_EQ(registry.CreateKey(kMachine, kKey), win_error::kSuccess);
  constexpr int kWriters = 8;
  constexpr int kRounds = 25;

  StartingGate gate;
  std::vector<pid_t> children;
  for (int writer = 0; writer < kWriters; ++writer) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      gate.Wait();
      Registry own{temp / "registry"};
      int failures{0};
      for (int round = 0; round < kRounds; ++round) {
        const std::string name = "w" + std::to_string(writer) + "r" + std::to_string(round);
        failures += own.SetValue(kMachine, kKey, Text(name, name + "-data")) == win_error::kSuccess ? 0 : 1;
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(child);
  }
  gate.Open();
  for (const pid_t child : children) {
    EXPECT_EQ(WaitForExitCode(child), 0);
  }

  std::vector<RegistryValue> values;
  ASSERT_EQ(registry.ListValues(kMachine, kKey, values), win_error::kSuccess);
  EXPECT_EQ(values.size(), static_cast<std::size_t>(kWriters * kRounds));
  for (int writer = 0; writer < kWriters; ++writer) {
    for (int round = 0; round < kRounds; ++round) {
      const std::string name = "w" + std::to_string(writer) + "r" + std::to_string(round);
      RegistryValue value;
      ASSERT_EQ(registry.QueryValue(kMachine, kKey, name, value), win_error::kSuccess) << name << " was lost";
      EXPECT_EQ(value.data, name + "-data");
    }
  }
}

TEST(RegistryConcurrencyTest, WriterKilledMidWriteLeavesThePreviousHive) {
  test::TempDir temp;
  Registry registry{temp / "registry"};
  ASSERT_EQ(registry.CreateKey(kMachine, kKey), win_error::kSuccess);
  for (int i = 0; i < 42; ++i) {
    ASSERT_EQ(registry.SetValue(kMachine, kKey, Text("Field" + std::to_string(i), std::to_string(i))),
              win_error::kSuccess);
  }
  std::mt19937 random{12345};
  std::uniform_int_distribution<int> delayMs{2, 40};

  for (int kill = 0; kill < 8; ++kill) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Large values make every write take long enough to be caught in the middle.
      Registry own{temp / "registry"};
      for (int iteration = 0;; ++iteration) {
        const char fill = static_cast<char>('a' + iteration % 26);
        own.SetValue(kMachine, kKey, Text("Big", std::string(1 << 20, fill)));
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds{delayMs(random)});
    ::kill(child, SIGKILL);
    EXPECT_EQ(WaitForExitCode(child), 128 + SIGKILL);

    const ParsedHive hive = ParseHive(test::ReadFileBytes(registry.HivePath(kMachine)));
    ASSERT_EQ(hive.damage.lines, 0U) << "the hive was left damaged after kill " << kill;
    for (int i = 0; i < 42; ++i) {
      RegistryValue value;
      ASSERT_EQ(registry.QueryValue(kMachine, kKey, "Field" + std::to_string(i), value), win_error::kSuccess);
      EXPECT_EQ(value.data, std::to_string(i));
    }
    RegistryValue big;
    if (registry.QueryValue(kMachine, kKey, "Big", big) == win_error::kSuccess) {
      ASSERT_EQ(big.data.size(), 1U << 20);
      EXPECT_EQ(big.data.find_first_not_of(big.data[0]), std::string::npos) << "a value mixes two writes";
    }
  }
  // The next writer clears what the killed ones left behind.
  ASSERT_EQ(registry.SetValue(kMachine, kKey, Text("After", "1")), win_error::kSuccess);
  for (const auto& entry : std::filesystem::directory_iterator(registry.Folder())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "system.reg" || name == "system.reg.lock") << name;
  }
}

}  // namespace
}  // namespace vellumor::platform
