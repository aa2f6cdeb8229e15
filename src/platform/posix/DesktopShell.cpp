#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/Shell.h"

extern char** environ;

namespace vellumor::platform {
namespace {

// Starts the program in a session of its own and does not wait for it: a viewer outlives the
// conversion. Finished children are collected on the next start so none stays a zombie for long.
bool SpawnDetached(const std::vector<std::string>& arguments) {
  while (waitpid(-1, nullptr, WNOHANG) > 0) {
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);

  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  // The viewer must not read the print job or write into a pipe someone waits on.
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);

  pid_t pid = 0;
  const int result = posix_spawnp(&pid, argv[0], &files, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  return result == 0;
}

class DesktopShell final : public Shell {
 public:
  bool OpenDocument(std::string_view path) override { return SpawnDetached({"xdg-open", std::string{path}}); }
  bool OpenWith(std::string_view program, std::string_view path) override {
    return SpawnDetached({std::string{program}, std::string{path}});
  }
};

}  // namespace

std::string_view ProgramFilePattern() {
  return "*";
}

std::unique_ptr<Shell> MakeDesktopShell() {
  return std::make_unique<DesktopShell>();
}

}  // namespace vellumor::platform
