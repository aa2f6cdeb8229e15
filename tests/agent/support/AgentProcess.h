#pragma once
// The session agent as a test starts it: the built program with --agent, as a given user (or as
// this process's), in a runtime folder of the test's own, held by a pipe on its standard input
// whose closing ends it as the end of a session would.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "support/TempDir.h"

namespace vellumor::test {

struct AgentSetup {
  std::filesystem::path program;
  std::filesystem::path runtime;                   // made private to the user when missing
  std::map<std::string, std::string> environment;  // besides PATH and XDG_RUNTIME_DIR
  std::optional<uid_t> user;                       // another user than this process's
  gid_t group{0};
};

class AgentProcess final {
 public:
  static std::unique_ptr<AgentProcess> Start(const AgentSetup& setup, std::string& error);
  // Started and listening; nothing, with the reason and what the agent said, when it is not.
  static std::unique_ptr<AgentProcess> StartListening(const AgentSetup& setup, std::string& error);
  // Ends the agent by closing its controlling connection (killing it when that does not help).
  ~AgentProcess();
  AgentProcess(const AgentProcess&) = delete;
  AgentProcess& operator=(const AgentProcess&) = delete;

  std::filesystem::path Socket() const;
  pid_t Pid() const { return pid_; }
  // Waits until the agent listens (true), or it ended.
  bool WaitUntilListening(std::chrono::seconds timeout = std::chrono::seconds{20});
  void CloseControl();
  void Signal(int signal) const;
  std::optional<int> WaitForExit(std::chrono::seconds timeout = std::chrono::seconds{20});
  std::string ErrorOutput() const;
  // How many files the agent holds open now.
  std::size_t OpenFiles() const;

 private:
  AgentProcess() = default;

  TempDir logs_;
  std::filesystem::path runtime_;
  pid_t pid_{0};
  int control_{-1};
  std::optional<int> status_;
};

// Makes `folder` a runtime folder private to the user `user`.
void MakeRuntimeFolder(const std::filesystem::path& folder, uid_t user, gid_t group);

}  // namespace vellumor::test
