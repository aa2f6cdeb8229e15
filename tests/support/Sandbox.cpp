#include "support/Sandbox.h"

#include <algorithm>

#include "platform/Registry.h"

namespace vellumor::test {
namespace {

constexpr std::string_view kProductKey = "SOFTWARE\\Corvane Software\\Vellumor";

}  // namespace

Sandbox::Sandbox()
    : home_{dir_ / "home"}, desktop_{home_ / "Desktop"}, temp_{dir_ / "tmp"}, registry_{dir_ / "registry"} {
  std::filesystem::create_directories(desktop_);
  std::filesystem::create_directories(temp_);
  std::filesystem::permissions(temp_, std::filesystem::perms::owner_all);
}

void Sandbox::SetSetting(std::string_view name, std::string_view value) const {
  platform::Registry registry{registry_};
  registry.CreateKey(platform::RegistryRoot::LocalMachine, kProductKey);
  registry.SetValue(platform::RegistryRoot::LocalMachine, kProductKey,
                    platform::RegistryValue{std::string{name}, platform::kRegSz, std::string{value}});
}

std::string Sandbox::StoredSetting(std::string_view name) const {
  platform::Registry registry{registry_};
  platform::RegistryValue value;
  if (registry.QueryValue(platform::RegistryRoot::LocalMachine, kProductKey, name, value) != 0) {
    return "";
  }
  return value.data;
}

ProcessOptions Sandbox::Options() const {
  ProcessOptions options;
  options.setEnvironment = {{"HOME", home_.string()},
                            {"TMPDIR", temp_.string()},
                            {"VELLUMOR_REGISTRY", registry_.string()},
                            {"XDG_CONFIG_HOME", (home_ / ".config").string()},
                            {"LC_ALL", "C.UTF-8"},
                            // Inherited unchanged by whatever a run starts, which tells its processes.
                            {"VELLUMOR_TEST_SANDBOX", dir_.Path().string()}};
  options.unsetEnvironment = {"DISPLAY", "WAYLAND_DISPLAY", "GS_LIB", "GS_FONTPATH", "GS_DLL"};
  options.workingDirectory = dir_.Path();
  return options;
}

std::vector<int> Sandbox::Processes() const {
  return ProcessesWithEnvironment("VELLUMOR_TEST_SANDBOX=" + dir_.Path().string());
}

ProcessResult Sandbox::Run(const std::filesystem::path& job, const std::vector<std::string>& arguments) const {
  ProcessOptions options = Options();
  options.stdinFile = job;
  std::vector<std::string> command{VELLUMOR_BINARY};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return RunProcess(command, options);
}

ProcessResult Sandbox::RunWithInput(const std::string& jobText, const std::vector<std::string>& arguments) const {
  ProcessOptions options = Options();
  options.stdinText = jobText;
  std::vector<std::string> command{VELLUMOR_BINARY};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return RunProcess(command, options);
}

std::vector<std::filesystem::path> Sandbox::FilesIn(const std::filesystem::path& folder, std::string_view extension) {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().extension() == extension) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::filesystem::path MakeTextJob(const std::filesystem::path& folder, std::string_view name, int pages,
                                  std::string_view title) {
  std::string text;
  for (int page = 1; page <= pages; ++page) {
    if (page > 1) {
      text += '\f';
    }
    text += "Page " + std::to_string(page) + " of " + std::to_string(pages) + "\n";
  }
  const std::filesystem::path source = folder / (std::string{name} + ".txt");
  WriteFileBytes(source, text);
  const std::filesystem::path job = folder / (std::string{name} + ".ps");
  RunProcess({"enscript", "-q", "-B", "-t", std::string{title}, "-p", job.string(), source.string()});
  return job;
}

std::filesystem::path MakeGroffJob(const std::filesystem::path& folder, std::string_view name, int pages) {
  std::string source;
  for (int page = 1; page <= pages; ++page) {
    if (page > 1) {
      source += ".bp\n";
    }
    source += "Groff page " + std::to_string(page) + "\n";
  }
  ProcessOptions options;
  options.stdinText = source;
  const ProcessResult result = RunProcess({"groff", "-Tps"}, options);
  const std::filesystem::path job = folder / (std::string{name} + ".ps");
  WriteFileBytes(job, result.out);
  return job;
}

}  // namespace vellumor::test
