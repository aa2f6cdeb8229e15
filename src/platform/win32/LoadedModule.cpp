#include "platform/LoadedModule.h"

#include "platform/SystemEvents.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

std::unique_ptr<LoadedModule> LoadedModule::Load(const std::filesystem::path& path, std::string& error) {
  std::error_code absoluteError;
  const std::filesystem::path absolute = std::filesystem::absolute(path, absoluteError);
  if (absoluteError) {
    error = "cannot load " + Utf8FromPath(path) + ": " + absoluteError.message();
    return nullptr;
  }
  // The libraries the module itself needs come from its own folder and the system's, never
  // from the current folder or PATH.
  HMODULE handle =
      ::LoadLibraryExW(absolute.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
  if (handle == nullptr) {
    error = "cannot load " + Utf8FromPath(absolute) + ": " + SystemErrorText(static_cast<long>(::GetLastError()));
    return nullptr;
  }
  return std::unique_ptr<LoadedModule>{new LoadedModule{handle}};
}

LoadedModule::~LoadedModule() {
  if (!keep_) {
    ::FreeLibrary(static_cast<HMODULE>(handle_));
  }
}

void* LoadedModule::Symbol(const std::string& name) const {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

}  // namespace vellumor::platform
