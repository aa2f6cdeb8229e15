#pragma once
// vellumor.exe started as the printer's port starts it, but left running: the test works its
// windows while it runs and then waits for its end.

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/WindowsApi.h"

namespace vellumor::test {

class ProgramProcess final {
 public:
  // `job` is written to standard input, which is then closed; standard error goes to a file in
  // `folder`.
  ProgramProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments, std::string_view job,
                 const std::filesystem::path& folder);
  // A process still running is ended.
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Id() const { return id_; }
  // The exit code, or nothing when the process still runs after `limit`.
  std::optional<DWORD> WaitForExit(std::chrono::milliseconds limit);
  // What it wrote to standard error.
  std::string Errors() const;

 private:
  HANDLE process_{nullptr};
  DWORD id_{0};
  std::filesystem::path errors_;
};

}  // namespace vellumor::test
