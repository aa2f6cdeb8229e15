#include "platform/LoadedModule.h"

#include <dlfcn.h>

namespace vellumor::platform {

std::unique_ptr<LoadedModule> LoadedModule::Load(const std::filesystem::path& path, std::string& error) {
  std::error_code absoluteError;
  const std::filesystem::path absolute = std::filesystem::absolute(path, absoluteError);
  if (absoluteError) {
    error = "cannot load " + path.string() + ": " + absoluteError.message();
    return nullptr;
  }
  // With a slash in the name dlopen takes the file itself and searches nowhere.
  void* handle = ::dlopen(absolute.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = ::dlerror();
    error = reason != nullptr ? reason : "cannot load " + absolute.string();
    return nullptr;
  }
  return std::unique_ptr<LoadedModule>{new LoadedModule{handle}};
}

LoadedModule::~LoadedModule() {
  if (!keep_) {
    ::dlclose(handle_);
  }
}

void* LoadedModule::Symbol(const std::string& name) const {
  return ::dlsym(handle_, name.c_str());
}

}  // namespace vellumor::platform
