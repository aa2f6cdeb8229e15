#include "support/DesktopSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <thread>

#include "support/TempDir.h"

extern char** environ;

namespace vellumor::test {

namespace {

std::vector<std::string> Environment(const ProcessOptions& options) {
  std::set<std::string> replaced(options.unsetEnvironment.begin(), options.unsetEnvironment.end());
  for (const auto& [name, value] : options.setEnvironment) {
    replaced.insert(name);
  }
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text{*entry};
    if (!replaced.contains(text.substr(0, text.find('=')))) {
      result.push_back(text);
    }
  }
  for (const auto& [name, value] : options.setEnvironment) {
    result.push_back(name + "=" + value);
  }
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) {
    pointers.push_back(text.data());
  }
  pointers.push_back(nullptr);
  return pointers;
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

// The display number Xvfb writes to `fd` once it listens; "" when it does not within 10 s.
std::string ReadDisplayNumber(int fd) {
  std::string number;
  pollfd wait{fd, POLLIN, 0};
  char buffer[32];
  while (number.find('\n') == std::string::npos && poll(&wait, 1, 10000) > 0) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) {
      break;
    }
    number.append(buffer, static_cast<std::size_t>(got));
  }
  const std::size_t end = number.find('\n');
  return end == std::string::npos ? std::string{} : number.substr(0, end);
}

}  // namespace

std::unique_ptr<XvfbServer> XvfbServer::Start(std::string& why) {
  if (!HaveProgram("Xvfb")) {
    why = "Xvfb is not installed";
    return nullptr;
  }
  // Servers started at the same moment by parallel tests can race for a display number.
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (std::unique_ptr<XvfbServer> server = StartOnce(why)) {
      return server;
    }
  }
  return nullptr;
}

std::unique_ptr<XvfbServer> XvfbServer::StartOnce(std::string& why) {
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) {
    why = "no pipe";
    return nullptr;
  }
  // Xvfb picks a free display itself and writes its number to descriptor 3. Without -noreset
  // the server resets whenever its last client leaves (the start-up check below, each window
  // search) and drops a client that connects at that moment: "could not connect to display".
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, ready[1], 3);
  posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> arguments{"Xvfb", "-displayfd",   "3",         "-noreset", "-screen",
                                     "0",    "1280x1024x24", "-nolisten", "tcp"};
  std::vector<char*> argv = Pointers(arguments);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, "Xvfb", &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  close(ready[1]);
  if (spawned != 0) {
    close(ready[0]);
    why = std::string{"cannot start Xvfb: "} + std::strerror(spawned);
    return nullptr;
  }
  const std::string number = ReadDisplayNumber(ready[0]);
  close(ready[0]);
  if (number.empty()) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    why = "Xvfb did not report a display";
    return nullptr;
  }
  const std::string display = ":" + number;
  // The display must answer, and it must be this server that answers: one that lost a race for
  // the number has ended by now.
  xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
  const bool answers = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  if (waitpid(pid, nullptr, WNOHANG) != 0) {
    why = "Xvfb did not keep display " + display;
    return nullptr;
  }
  auto server = std::unique_ptr<XvfbServer>(new XvfbServer(pid, display));
  if (!answers) {
    why = "Xvfb does not answer on " + display;
    return nullptr;
  }
  return server;
}

XvfbServer::~XvfbServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

RunningProgram::RunningProgram(const std::vector<std::string>& arguments, const ProcessOptions& options,
                               const std::filesystem::path& logFolder)
    : errorLog_{logFolder / "stderr.txt"} {
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  const std::string input = options.stdinFile ? options.stdinFile->string() : "/dev/null";
  const std::string output = (logFolder / "stdout.txt").string();
  posix_spawn_file_actions_addopen(&files, STDIN_FILENO, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, errorLog_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (!options.workingDirectory.empty()) {
    posix_spawn_file_actions_addchdir_np(&files, options.workingDirectory.c_str());
  }
  std::vector<std::string> environment = Environment(options);
  std::vector<char*> envp = Pointers(environment);
  std::vector<std::string> copy = arguments;
  std::vector<char*> argv = Pointers(copy);
  if (posix_spawn(&pid_, argv[0], &files, nullptr, argv.data(), envp.data()) != 0) {
    pid_ = -1;
  }
  posix_spawn_file_actions_destroy(&files);
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0 && !status_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

std::optional<int> RunningProgram::WaitForExit(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (pid_ > 0 && !status_) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return status_;
}

std::string RunningProgram::ErrorOutput() const {
  return ReadFileBytes(errorLog_);
}

bool RunningProgram::Signal(int number) const {
  return pid_ > 0 && !status_ && kill(pid_, number) == 0;
}

std::optional<unsigned long> FindWindow(const std::string& display, const std::string& name,
                                        std::chrono::milliseconds timeout) {
  ProcessOptions options;
  options.setEnvironment = {{"DISPLAY", display}};
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  do {
    const ProcessResult found = RunProcess({"xdotool", "search", "--onlyvisible", "--name", name}, options);
    std::istringstream lines{found.out};
    unsigned long window = 0;
    if (found.exitCode == 0 && lines >> window) {
      return window;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (std::chrono::steady_clock::now() < deadline);
  return std::nullopt;
}

bool RequestClose(const std::string& display, unsigned long window) {
  xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(connection) != 0) {
    xcb_disconnect(connection);
    return false;
  }
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = static_cast<xcb_window_t>(window);
  event.type = Atom(connection, "WM_PROTOCOLS");
  event.data.data32[0] = Atom(connection, "WM_DELETE_WINDOW");
  event.data.data32[1] = XCB_CURRENT_TIME;
  // A checked request waits for the server: requests still unread when the connection closes may
  // be dropped with it.
  xcb_generic_error_t* error =
      xcb_request_check(connection, xcb_send_event_checked(connection, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                                                           reinterpret_cast<const char*>(&event)));
  const bool sent = error == nullptr;
  std::free(error);
  xcb_disconnect(connection);
  return sent;
}

bool AnswersPing(const std::string& display, unsigned long window, std::chrono::milliseconds timeout) {
  xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
  if (xcb_connection_has_error(connection) != 0) {
    xcb_disconnect(connection);
    return false;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  // The answer goes to the root window, for whoever watches its structure: here, this connection.
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
  const xcb_atom_t protocols = Atom(connection, "WM_PROTOCOLS");
  const xcb_atom_t ping = Atom(connection, "_NET_WM_PING");
  constexpr std::uint32_t kStamp = 0x5EED;
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = static_cast<xcb_window_t>(window);
  event.type = protocols;
  event.data.data32[0] = ping;
  event.data.data32[1] = kStamp;
  event.data.data32[2] = static_cast<xcb_window_t>(window);
  xcb_send_event(connection, 0, event.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
  xcb_flush(connection);

  bool answered = false;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!answered && std::chrono::steady_clock::now() < deadline) {
    xcb_generic_event_t* next = xcb_poll_for_event(connection);
    if (next == nullptr) {
      pollfd ready{xcb_get_file_descriptor(connection), POLLIN, 0};
      poll(&ready, 1, 10);
      continue;
    }
    if ((next->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
      const auto* reply = reinterpret_cast<const xcb_client_message_event_t*>(next);
      answered = reply->type == protocols && reply->data.data32[0] == ping && reply->data.data32[1] == kStamp &&
                 reply->data.data32[2] == static_cast<xcb_window_t>(window);
    }
    std::free(next);
  }
  xcb_disconnect(connection);
  return answered;
}

}  // namespace vellumor::test
