#include "printer/support/PrivateCups.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <thread>

extern char** environ;

namespace vellumor::test {
namespace {

// Filters, the driver helpers and the drivers of the system; the backend folder is our own.
constexpr const char* kBorrowedServerBin[] = {"filter", "daemon", "driver", "monitor", "notifier"};

bool CanConnect(const std::string& socketPath) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
  const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
}

}  // namespace

std::unique_ptr<PrivateCups> PrivateCups::Start(std::string& error) {
  if (!HaveProgram("cupsd") && access("/usr/sbin/cupsd", X_OK) != 0) {
    error = "cupsd is not installed";
    return nullptr;
  }
  std::unique_ptr<PrivateCups> cups{new PrivateCups};
  if (!cups->Launch(error)) {
    return nullptr;
  }
  return cups;
}

bool PrivateCups::Launch(std::string& error) {
  namespace fs = std::filesystem;
  const fs::path root = dir_.Path();
  // Filters run as "lp" and must reach their programs and the spool through this folder.
  fs::permissions(root, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                            fs::perms::others_exec);
  for (const char* folder : {"etc", "spool/tmp", "cache", "state", "log", "bin/backend", "run"}) {
    fs::create_directories(root / folder);
  }
  std::error_code ignored;
  for (const char* borrowed : kBorrowedServerBin) {
    fs::create_directory_symlink(fs::path{"/usr/lib/cups"} / borrowed, root / "bin" / borrowed, ignored);
  }
  WriteFileBytes(root / "etc/cupsd.conf",
                 "LogLevel debug\n"
                 "Listen " +
                     Server() +
                     "\n"
                     "Browsing No\nWebInterface No\nDefaultAuthType Basic\n"
                     "PreserveJobHistory Yes\n"
                     "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                     "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n"
                     // As in CUPS's own cupsd.conf: jobs on a queue with this policy are sent by an
                     // authenticated user (a local one by the credentials of the socket connection).
                     "<Policy authenticated>\n"
                     "  <Limit Create-Job Print-Job Print-URI Validate-Job>\n    AuthType Default\n"
                     "    Order deny,allow\n  </Limit>\n"
                     "  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
  WriteFileBytes(root / "etc/cups-files.conf",
                 "ServerRoot " + (root / "etc").string() + "\nRequestRoot " + (root / "spool").string() + "\nTempDir " +
                     (root / "spool/tmp").string() + "\nCacheDir " + (root / "cache").string() + "\nStateDir " +
                     (root / "state").string() + "\nServerBin " + (root / "bin").string() + "\nErrorLog " +
                     (root / "log/error_log").string() + "\nAccessLog " + (root / "log/access_log").string() +
                     "\nPageLog " + (root / "log/page_log").string() +
                     "\nUser lp\nGroup lp\nSystemGroup root\nFileDevice Yes\n"
                     // Users' sessions are looked for here, never in the machine's own /run/user.
                     "SetEnv VELLUMOR_RUNTIME_ROOT " +
                     RuntimeRoot().string() + "\n");

  const std::string cupsd = access("/usr/sbin/cupsd", X_OK) == 0 ? "/usr/sbin/cupsd" : "cupsd";
  const std::string conf = (root / "etc/cupsd.conf").string();
  const std::string files = (root / "etc/cups-files.conf").string();
  const std::string output = (root / "log/cupsd.out").string();
  std::vector<std::string> arguments{cupsd, "-f", "-c", conf, "-s", files};
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  const int spawned = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    pid_ = 0;
    error = "cannot start cupsd";
    return false;
  }
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (CanConnect(Server())) {
      return true;
    }
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = 0;
      error = "cupsd ended at once: " + ReadFileBytes(output) + ReadFileBytes(root / "log/error_log");
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds{50});
  }
  error = "cupsd did not answer on " + Server();
  return false;
}

PrivateCups::~PrivateCups() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
}

ProcessOptions PrivateCups::Options() const {
  ProcessOptions options;
  options.setEnvironment = {{"CUPS_SERVER", Server()}, {"LC_ALL", "C.UTF-8"}};
  options.unsetEnvironment = {"LPDEST", "PRINTER", "DISPLAY", "WAYLAND_DISPLAY"};
  return options;
}

ProcessResult PrivateCups::Run(const std::vector<std::string>& command) const {
  return RunProcess(command, Options());
}

ProcessResult PrivateCups::InstallProductPrinter(const std::filesystem::path& program) const {
  ProcessOptions options = Options();
  options.setEnvironment["CUPS_BACKEND_DIR"] = BackendFolder().string();
  return RunProcess({std::string{VELLUMOR_SOURCE_DIR} + "/scripts/install-printer.sh", "--backend",
                     VELLUMOR_BACKEND_BINARY, "--program", program.string(), "--ppd", VELLUMOR_PPD},
                    options);
}

void PrivateCups::AddPlainPrinter(const std::string& name) const {
  Run({"lpadmin", "-p", name, "-E", "-v", "file:///dev/null"});
}

bool PrivateCups::WaitForJobs(std::chrono::seconds timeout) const {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    const ProcessResult pending = Run({"lpstat", "-W", "not-completed", "-o"});
    // A cancelled job counts as completed at once, while its filters and backend are still
    // being stopped; its printer is busy until they have ended. (Its reason,
    // processing-to-stop-point, stays on a failed job for good and tells nothing.)
    const ProcessResult printers = Run({"lpstat", "-p"});
    if (pending.exitCode == 0 && pending.out.empty() && printers.out.find("now printing") == std::string::npos) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds{200});
  }
  return false;
}

std::vector<std::string> PrivateCups::Jobs(const std::string& printer, bool completedOnly) const {
  const ProcessResult listing = Run({"lpstat", "-W", completedOnly ? "completed" : "all", "-o", printer});
  std::vector<std::string> jobs;
  std::istringstream lines{listing.out};
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty()) {
      jobs.push_back(line.substr(0, line.find(' ')));
    }
  }
  return jobs;
}

std::string PrivateCups::Log() const {
  return ReadFileBytes(dir_ / "log/error_log");
}

std::string PrivateCups::LogTail(std::size_t lines) const {
  const std::string log = Log();
  std::size_t start = log.size();
  for (std::size_t count = 0; count <= lines && start > 0;) {
    --start;
    if (log[start] == '\n') {
      ++count;
    }
  }
  return log.substr(start);
}

std::filesystem::path SharedProgramCopy(const std::filesystem::path& folder, const std::filesystem::path& program) {
  namespace fs = std::filesystem;
  fs::create_directories(folder);
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  const fs::path copy = folder / program.filename();
  // The modules beside the program come along: the windows are loaded from the program's folder.
  for (const fs::directory_entry& entry : fs::directory_iterator{program.parent_path()}) {
    const std::string name = entry.path().filename().string();
    if (entry.path() == program || (name.starts_with("libvellumor-") && name.ends_with(".so"))) {
      const fs::path copied = folder / name;
      fs::copy_file(entry.path(), copied, fs::copy_options::overwrite_existing);
      fs::permissions(copied, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    }
  }
  return copy;
}

}  // namespace vellumor::test
