#include "agent/AgentStart.h"

#include <string>

#include "agent/AgentClient.h"
#include "agent/SessionAgent.h"
#include "base/StandardError.h"
#include "platform/Environment.h"
#include "platform/posix/ChildProcess.h"
#include "platform/posix/PrivateFolder.h"
#include "platform/posix/ServiceProcess.h"

namespace vellumor::agent {
namespace {

int Say(const std::string& text, int status) {
  base::WriteProgramLine(text);
  return status;
}

std::string Variable(std::string_view name) {
  return platform::GetEnvironmentVariable(name).value_or("");
}

// The session's environment as the agent found it, for every program it starts. A start-up
// notice of the session manager belongs to the agent's own start, not to each job's window.
std::vector<std::string> SessionEnvironment() {
  std::vector<std::string> environment;
  for (std::string& entry : platform::CurrentEnvironment()) {
    if (!entry.starts_with("DESKTOP_STARTUP_ID=") && !entry.starts_with("XDG_ACTIVATION_TOKEN=")) {
      environment.push_back(std::move(entry));
    }
  }
  return environment;
}

// The display files whose removal ends the session: the Wayland socket and a local X display's
// socket. (The agent's own socket in the runtime folder, emptied or unmounted at logout, is
// watched once it exists.)
void WatchDisplays(platform::RemovalWatch& watch, const std::filesystem::path& runtime) {
  if (const std::string wayland = Variable("WAYLAND_DISPLAY"); !wayland.empty()) {
    watch.Add(runtime / wayland);
  }
  std::string display = Variable("DISPLAY");
  if (display.starts_with("unix:")) {
    display.erase(0, 4);
  }
  if (display.starts_with(":")) {
    watch.Add("/tmp/.X11-unix/X" + display.substr(1, display.find('.') - 1));
  }
}

}  // namespace

int RunSessionAgent() {
  platform::PrepareServiceProcess();
  const std::filesystem::path runtime = Variable("XDG_RUNTIME_DIR");
  if (runtime.empty() || !runtime.is_absolute()) {
    return Say("the session agent needs XDG_RUNTIME_DIR, the session's private runtime folder", 2);
  }
  if (const std::string problem = platform::PrivateFolderProblem(runtime); !problem.empty()) {
    return Say("the session agent cannot use the runtime folder " + runtime.string() + ", which " + problem, 2);
  }
  const std::filesystem::path socket = AgentSocket(runtime);
  // The lock decides between agents started together; a socket found without it is stale.
  const platform::ExclusiveLock lock = platform::TryExclusiveLock(runtime / kLockName);
  if (!lock.error.empty()) {
    return Say(lock.error, 2);
  }
  if (!lock.taken) {
    return Say("a session agent already serves this session at " + socket.string(), 0);
  }
  // Without file notices the agent still ends with the signals and its controlling connection.
  // The displays are watched before anyone can reach the agent: whoever finds it listening may
  // end the session at once, and that must not go unnoticed.
  std::string watchError;
  std::unique_ptr<platform::RemovalWatch> session = platform::RemovalWatch::Create(watchError);
  if (session) {
    WatchDisplays(*session, runtime);
  }
  // The signals are taken over before anyone can find the agent listening, so that a request to
  // end (the session ending at once) cannot kill it and leave its socket behind.
  std::string error;
  std::unique_ptr<platform::EventWait> events = platform::EventWait::Create(error);
  if (!events) {
    return Say(error, 2);
  }
  std::optional<platform::LocalSocket> listener = platform::LocalSocket::Listen(socket, error);
  if (!listener) {
    return Say(error, 2);
  }
  if (session) {
    session->Add(socket);
  }
  std::error_code missing;
  const std::filesystem::path home = Variable("HOME");
  ProgramLaunch launch{platform::RunningProgram(), SessionEnvironment(),
                       !home.empty() && std::filesystem::is_directory(home, missing) ? home : "/"};
  SessionAgent agent{std::move(*listener), std::move(launch), std::move(events), std::move(session),
                     platform::InputIsConnection() ? 0 : -1};
  return agent.Run();
}

}  // namespace vellumor::agent
