#include "platform/EngineLibrary.h"

#include <algorithm>
#include <atomic>

#include "platform/Environment.h"
#include "platform/LoadedModule.h"
#include "platform/Registry.h"
#include "platform/win32/EngineDll.h"
#include "platform/win32/RegistryAccess.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"
// After windows.h: the delay-load declarations rely on its types.
#include <delayimp.h>

namespace vellumor::platform {

namespace {

// The DLL every delay-loaded engine import is bound to, once one was found.
std::atomic<HMODULE> engineModule{nullptr};

// The delay-load helper asks before it loads a DLL by name through the search path; the engine
// DLL is handed the module already loaded by its absolute path instead.
FARPROC WINAPI BindEngineImports(unsigned notification, PDelayLoadInfo info) {
  if (notification == dliNotePreLoadLibrary && info != nullptr && info->szDll != nullptr &&
      ::lstrcmpiA(info->szDll, kEngineDllName) == 0) {
    return reinterpret_cast<FARPROC>(engineModule.load());
  }
  return nullptr;
}

std::vector<unsigned long> VersionNumbers(std::string_view version) {
  std::vector<unsigned long> numbers;
  std::size_t start{0};
  while (start <= version.size()) {
    std::size_t end = version.find('.', start);
    if (end == std::string_view::npos) {
      end = version.size();
    }
    unsigned long number{0};
    for (const char c : version.substr(start, end - start)) {
      if (c < '0' || c > '9') {
        break;
      }
      number = number * 10 + static_cast<unsigned long>(c - '0');
    }
    numbers.push_back(number);
    start = end + 1;
  }
  return numbers;
}

bool IsFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

// The DLLs recorded by the installations under one root, newest first.
void AddInstallations(const EngineDllSearch& search, RegistryRoot root, std::vector<std::filesystem::path>& found) {
  std::vector<std::string> versions;
  if (ListSubkeyNames(search.registryFolder, root, kGhostscriptKey, versions) != ERROR_SUCCESS) {
    return;
  }
  std::sort(versions.begin(), versions.end(), IsNewerVersion);
  const Registry registry{search.registryFolder};
  for (const std::string& version : versions) {
    RegistryValue dll;
    if (registry.QueryValue(root, std::string{kGhostscriptKey} + "\\" + version, "GS_DLL", dll) == ERROR_SUCCESS &&
        !dll.data.empty()) {
      const std::filesystem::path path = PathFromUtf8(dll.data);
      if (path.is_absolute() && IsFile(path) && std::find(found.begin(), found.end(), path) == found.end()) {
        found.push_back(path);
      }
    }
  }
}

std::string MissingMessage(const EngineDllSearch& search) {
  return std::string{"Ghostscript for Windows is needed to create PDF files, but "} + kEngineDllName +
         " was found neither beside the program (" + Utf8FromPath(search.programFolder) +
         ") nor where a Ghostscript installation records it (HKEY_LOCAL_MACHINE\\" + std::string{kGhostscriptKey} +
         "). Install Ghostscript for Windows (" + (sizeof(void*) == 8 ? "64-bit" : "32-bit") + ").";
}

}  // namespace

bool IsNewerVersion(std::string_view left, std::string_view right) {
  return VersionNumbers(right) < VersionNumbers(left);
}

std::vector<std::filesystem::path> EngineDllCandidates(const EngineDllSearch& search) {
  std::vector<std::filesystem::path> candidates;
  if (!search.programFolder.empty() && IsFile(search.programFolder / kEngineDllName)) {
    candidates.push_back(search.programFolder / kEngineDllName);
  }
  AddInstallations(search, RegistryRoot::LocalMachine, candidates);
  AddInstallations(search, RegistryRoot::CurrentUser, candidates);
  return candidates;
}

bool LoadEngineDll(const EngineDllSearch& search, std::string& error) {
  if (engineModule.load() != nullptr) {
    return true;
  }
  std::string reasons;
  for (const std::filesystem::path& candidate : EngineDllCandidates(search)) {
    std::string reason;
    std::unique_ptr<LoadedModule> module = LoadedModule::Load(candidate, reason);
    if (module) {
      const auto missing = std::find_if(kEngineFunctions.begin(), kEngineFunctions.end(),
                                        [&](const char* name) { return module->Symbol(name) == nullptr; });
      if (missing == kEngineFunctions.end()) {
        // The delay-loaded imports resolve through this module until the process ends.
        module->KeepLoaded();
        engineModule.store(::GetModuleHandleW(candidate.c_str()));
        __pfnDliNotifyHook2 = BindEngineImports;
        return true;
      }
      reason = Utf8FromPath(candidate) + " is too old: it has no " + *missing;
    }
    reasons += " " + reason + ".";
  }
  error = MissingMessage(search) + reasons;
  return false;
}

bool PrepareEngineLibrary(std::string& error) {
  return LoadEngineDll(EngineDllSearch{ProgramFolder(), {}}, error);
}

}  // namespace vellumor::platform
