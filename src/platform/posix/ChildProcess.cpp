#include "platform/posix/ChildProcess.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

extern char** environ;

namespace vellumor::platform {

std::vector<char*> ArgumentVector(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) {
    pointers.push_back(text.data());
  }
  pointers.push_back(nullptr);
  return pointers;
}

std::optional<int> StartChild(const ChildLaunch& launch, std::string& error) {
  std::vector<std::string> arguments = launch.arguments;
  std::vector<std::string> environment = launch.environment;
  std::vector<char*> argv = ArgumentVector(arguments);
  std::vector<char*> envp = ArgumentVector(environment);

  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, launch.input, STDIN_FILENO);
  if (launch.output >= 0) {
    posix_spawn_file_actions_adddup2(&files, launch.output, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&files, launch.output, STDERR_FILENO);
  }
  posix_spawn_file_actions_addchdir_np(&files, launch.workingFolder.c_str());
  // The starter may hold signals back for its own waiting; the program must get them as usual.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none;
  sigemptyset(&none);
  sigset_t usual;
  sigemptyset(&usual);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGCHLD, SIGPIPE, SIGQUIT}) {
    sigaddset(&usual, signal);
  }
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &usual);
  posix_spawnattr_setpgroup(&attributes, 0);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

  pid_t process = 0;
  const int result = ::posix_spawn(&process, launch.program.c_str(), &files, &attributes, argv.data(), envp.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&files);
  if (result != 0) {
    error = "cannot start " + launch.program.string() + ": " + std::strerror(result);
    return std::nullopt;
  }
  return process;
}

void StopChild(int process, bool now) {
  if (process > 0) {
    ::kill(process, now ? SIGKILL : SIGTERM);
  }
}

std::vector<ChildEnd> CollectEndedChildren() {
  std::vector<ChildEnd> ended;
  int status = 0;
  pid_t process = 0;
  while ((process = ::waitpid(-1, &status, WNOHANG)) > 0) {
    if (WIFSIGNALED(status)) {
      ended.push_back({process, true, WTERMSIG(status)});
    } else if (WIFEXITED(status)) {
      ended.push_back({process, false, WEXITSTATUS(status)});
    }
  }
  return ended;
}

std::vector<std::string> CurrentEnvironment() {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    entries.emplace_back(*entry);
  }
  return entries;
}

std::filesystem::path RunningProgram() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path{} : program;
}

}  // namespace vellumor::platform
