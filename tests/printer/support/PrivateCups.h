#pragma once
// A CUPS scheduler of the test's own: its own configuration, spool, logs and backend folder in
// a temporary folder, listening only on a local socket there. The system's filters and drivers
// are borrowed through links; nothing of the machine's printing set-up is read or changed.

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/TempDir.h"

namespace vellumor::test {

// A folder only root can change, from the file system's root down: the backend starts only a
// program (and reads only a configuration) in such a place, and the system temporary folder,
// open to everyone, is none. (The system temporary folder for a test not run as root.)
std::filesystem::path RootOnlyFolder();

class PrivateCups final {
 public:
  // Starts cupsd; nothing, with the reason in `error`, when it cannot be started.
  static std::unique_ptr<PrivateCups> Start(std::string& error);
  ~PrivateCups();
  PrivateCups(const PrivateCups&) = delete;
  PrivateCups& operator=(const PrivateCups&) = delete;

  // The value of CUPS_SERVER that reaches this scheduler.
  std::string Server() const { return (dir_ / "cups.sock").string(); }
  std::filesystem::path BackendFolder() const { return dir_ / "bin/backend"; }
  std::filesystem::path Folder() const { return dir_.Path(); }
  // Where the backend looks for the runtime folders of users' sessions (one per user id).
  std::filesystem::path RuntimeRoot() const { return dir_ / "run"; }

  // The environment for a command against this scheduler (no printer chosen by variables).
  ProcessOptions Options() const;
  // Runs `command` (lpadmin, lpstat...) as this process's user against this scheduler.
  ProcessResult Run(const std::vector<std::string>& command) const;

  // Installs the product's printer with scripts/install-printer.sh, the backend starting
  // `program`.
  ProcessResult InstallProductPrinter(const std::filesystem::path& program) const;
  // A queue that accepts jobs and throws them away.
  void AddPlainPrinter(const std::string& name) const;

  // Waits until no job is waiting, being processed or being stopped; false when `timeout` passed
  // first.
  bool WaitForJobs(std::chrono::seconds timeout = std::chrono::seconds{90}) const;
  // The ids of the jobs `printer` holds: all of them, or only the completed ones.
  std::vector<std::string> Jobs(const std::string& printer, bool completedOnly = false) const;

  // The end of the scheduler's log, for failure messages.
  std::string LogTail(std::size_t lines = 60) const;
  std::string Log() const;

 private:
  PrivateCups() = default;
  bool Launch(std::string& error);

  // Holds the backend and the program it starts: a folder only root can change.
  TempDir dir_{RootOnlyFolder()};
  pid_t pid_{0};
};

// A copy of the built program, with its modules, where every user can run it (the build folder
// may be private).
std::filesystem::path SharedProgramCopy(const std::filesystem::path& folder, const std::filesystem::path& program);

}  // namespace vellumor::test
