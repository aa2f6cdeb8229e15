#include "support/TlsTestServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <regex>

#include "support/Process.h"

extern char** environ;

namespace vellumor::test {
namespace {

// openssl run in `folder`; "" on success, else what it said.
std::string Openssl(const std::filesystem::path& folder, std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "openssl");
  ProcessOptions options;
  options.workingDirectory = folder;
  const ProcessResult result = RunProcess(arguments, options);
  return result.exitCode == 0 ? "" : "openssl " + arguments[1] + ": " + result.err;
}

// The port in the "ACCEPT 127.0.0.1:<port>" line the server prints once it listens; 0 when it
// does not within 20 s.
int ReadAcceptedPort(int fd, std::string& seen) {
  const std::regex accept{R"(ACCEPT 127\.0\.0\.1:(\d+)\n)"};
  pollfd wait{fd, POLLIN, 0};
  char buffer[256];
  std::smatch match;
  while (!std::regex_search(seen, match, accept) && poll(&wait, 1, 20000) > 0) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got <= 0) {
      return 0;
    }
    seen.append(buffer, static_cast<std::size_t>(got));
  }
  return match.empty() ? 0 : std::stoi(match[1]);
}

}  // namespace

std::unique_ptr<TlsTestServer> TlsTestServer::Start(std::string& why) {
  if (!HaveProgram("openssl")) {
    why = "openssl is not installed";
    return nullptr;
  }
  std::unique_ptr<TlsTestServer> server{new TlsTestServer};
  const std::filesystem::path& folder = server->folder_.Path();
  WriteFileBytes(folder / "server.ext", "subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n");
  const std::vector<std::string> key{"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
  std::vector<std::string> authority{
      "req",           "-x509", "-days",        "2", "-subj", "/CN=Vellumor test authority", "-keyout",
      "authority.key", "-out",  "authority.pem"};
  authority.insert(authority.begin() + 2, key.begin(), key.end());
  std::vector<std::string> request{"req", "-subj", "/CN=127.0.0.1", "-keyout", "server.key", "-out", "server.csr"};
  request.insert(request.begin() + 1, key.begin(), key.end());
  for (const std::vector<std::string>& step :
       {authority,
        request,
        {"x509", "-req", "-in", "server.csr", "-CA", "authority.pem", "-CAkey", "authority.key", "-CAcreateserial",
         "-days", "2", "-extfile", "server.ext", "-out", "server.pem"}}) {
    if (why = Openssl(folder, step); !why.empty()) {
      return nullptr;
    }
  }
  std::filesystem::create_directory(folder / "pages");

  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) {
    why = "no pipe";
    return nullptr;
  }
  // -HTTP sends each requested file of its folder as the whole response.
  std::vector<std::string> arguments{"openssl",       "s_server", "-accept",       "127.0.0.1:0", "-cert",
                                     "../server.pem", "-key",     "../server.key", "-HTTP"};
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&files, output[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&files, (folder / "pages").c_str());
  const int spawned = posix_spawnp(&server->pid_, "openssl", &files, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&files);
  close(output[1]);
  if (spawned != 0) {
    close(output[0]);
    server->pid_ = -1;
    why = "cannot start openssl s_server";
    return nullptr;
  }
  std::string seen;
  server->port_ = ReadAcceptedPort(output[0], seen);
  // The server keeps writing a line or two per connection; nobody reads them, but the pipe must
  // not fill up and stall it.
  server->drain_ = std::thread([fd = output[0]] {
    char buffer[4096];
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
    close(fd);
  });
  if (server->port_ == 0) {
    why = "openssl s_server did not listen: " + seen;
    return nullptr;
  }
  return server;
}

TlsTestServer::~TlsTestServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  if (drain_.joinable()) {
    drain_.join();
  }
}

void TlsTestServer::Serve(std::string_view path, std::string_view response) const {
  WriteFileBytes(folder_.Path() / "pages" / std::string{path.substr(path.starts_with('/') ? 1 : 0)}, response);
}

std::string TlsTestServer::Page(std::string_view body) {
  return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
         std::string{body};
}

std::string TlsTestServer::RedirectTo(std::string_view location) {
  return "HTTP/1.0 302 Found\r\nLocation: " + std::string{location} + "\r\nContent-Length: 0\r\n\r\n";
}

std::string TlsTestServer::Url(std::string_view path, std::string_view host) const {
  return "https://" + std::string{host} + ":" + std::to_string(port_) + std::string{path};
}

}  // namespace vellumor::test
