#pragma once
// A library loaded at run time from an absolute path, never found through the library search
// path: a library of the same name planted elsewhere (the current folder, PATH) is never picked
// up. Used for the program's own modules beside it and for the engine's library.

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vellumor::platform {

class LoadedModule final {
 public:
  // Loads the library at `path` (made absolute first). Nothing on failure, with the system's
  // reason in `error`.
  static std::unique_ptr<LoadedModule> Load(const std::filesystem::path& path, std::string& error);

  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  // The exported function or variable of that name, or nullptr.
  void* Symbol(const std::string& name) const;
  // Keeps the library mapped after this object goes (libraries that leave handlers behind,
  // or whose functions are still called through other bindings).
  void KeepLoaded() { keep_ = true; }

 private:
  explicit LoadedModule(void* handle) : handle_{handle} {}
  void* handle_;
  bool keep_{false};
};

}  // namespace vellumor::platform
