#include "printer/support/TestUser.h"

#include <pwd.h>
#include <unistd.h>

#include <thread>

#include "platform/Registry.h"
#include "support/TempDir.h"

namespace vellumor::test {
namespace {

constexpr std::string_view kProductKey = "SOFTWARE\\Corvane Software\\Vellumor";

// useradd and userdel lock the account files; two test programs may want them at once.
ProcessResult RunWithRetries(const std::vector<std::string>& command) {
  ProcessResult result;
  for (int attempt = 0; attempt < 20; ++attempt) {
    result = RunProcess(command);
    if (result.exitCode == 0 || result.err.find("lock") == std::string::npos) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds{250});
  }
  return result;
}

}  // namespace

std::unique_ptr<TestUser> TestUser::Create(const std::filesystem::path& homeParent, std::string& error,
                                           std::string_view suffix) {
  if (::geteuid() != 0) {
    error = "making a test user needs root";
    return nullptr;
  }
  std::unique_ptr<TestUser> user{new TestUser};
  // A test may need a second account (another user on the same machine).
  static int made = 0;
  user->name_ =
      "vlmtest" + std::to_string(::getpid()) + std::string{suffix} + (made++ > 0 ? "u" + std::to_string(made) : "");
  user->home_ = homeParent / user->name_;
  std::filesystem::create_directories(user->home_);
  RunProcess({"userdel", user->name_});  // a leftover of a test that was killed
  const ProcessResult added =
      RunWithRetries({"useradd", "-M", "-d", user->home_.string(), "-s", "/usr/sbin/nologin", user->name_});
  if (added.exitCode != 0) {
    error = "useradd failed: " + added.err;
    return nullptr;
  }
  const passwd* entry = ::getpwnam(user->name_.c_str());
  if (entry == nullptr) {
    error = "the new user cannot be found";
    return nullptr;
  }
  user->uid_ = entry->pw_uid;
  user->gid_ = entry->pw_gid;
  // Every conversion saves straight into one folder, without asking.
  std::filesystem::create_directories(user->PdfFolder());
  user->SetSetting("SaveAs", "Use source filename, save to a specific folder (automatic)");
  user->SetSetting("SaveToPath", user->PdfFolder().string());
  user->Own(user->home_);
  return user;
}

TestUser::~TestUser() {
  // Forced: a conversion of a failed test may still be running as the user.
  RunWithRetries({"userdel", "-f", name_});
  // The program's private temporary folder of this user.
  std::error_code ignored;
  std::filesystem::remove_all("/tmp/vellumor-" + std::to_string(uid_), ignored);
}

void TestUser::SetSetting(std::string_view name, std::string_view value) const {
  std::filesystem::create_directories(RegistryFolder());
  platform::Registry registry{RegistryFolder()};
  registry.CreateKey(platform::RegistryRoot::LocalMachine, kProductKey);
  registry.SetValue(platform::RegistryRoot::LocalMachine, kProductKey,
                    platform::RegistryValue{std::string{name}, platform::kRegSz, std::string{value}});
  Own(home_ / ".config");
}

void TestUser::Own(const std::filesystem::path& path) const {
  RunProcess({"chown", "-R", std::to_string(uid_) + ":" + std::to_string(gid_), path.string()});
}

ProcessResult TestUser::Run(const std::vector<std::string>& command, ProcessOptions options) const {
  std::vector<std::string> asUser{"setpriv", "--reuid=" + std::to_string(uid_), "--regid=" + std::to_string(gid_),
                                  "--init-groups", "--"};
  asUser.insert(asUser.end(), command.begin(), command.end());
  options.setEnvironment["HOME"] = home_.string();
  options.setEnvironment["USER"] = name_;
  options.setEnvironment["LOGNAME"] = name_;
  options.unsetEnvironment.insert(options.unsetEnvironment.end(),
                                  {"DISPLAY", "WAYLAND_DISPLAY", "XDG_CONFIG_HOME", "VELLUMOR_REGISTRY", "TMPDIR"});
  if (options.workingDirectory.empty()) {
    options.workingDirectory = home_;
  }
  return RunProcess(asUser, options);
}

}  // namespace vellumor::test
