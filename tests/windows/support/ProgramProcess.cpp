#include "support/ProgramProcess.h"

#include "platform/win32/DesktopShell.h"
#include "platform/win32/WideText.h"
#include "support/TempDir.h"

namespace vellumor::test {

ProgramProcess::ProgramProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                               std::string_view job, const std::filesystem::path& folder)
    : errors_{folder / "errors.txt"} {
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE input = nullptr;
  HANDLE feed = nullptr;
  if (!::CreatePipe(&input, &feed, &inherited, 0)) {
    return;
  }
  ::SetHandleInformation(feed, HANDLE_FLAG_INHERIT, 0);
  HANDLE errors = ::CreateFileW(errors_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = errors;
  startup.hStdError = errors;
  std::wstring command = platform::QuotedArgument(program.native());
  for (const std::string& argument : arguments) {
    command += L" " + platform::QuotedArgument(platform::WideFromUtf8(argument));
  }
  PROCESS_INFORMATION started{};
  if (::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &started)) {
    process_ = started.hProcess;
    id_ = started.dwProcessId;
    ::CloseHandle(started.hThread);
  }
  ::CloseHandle(input);
  ::CloseHandle(errors);
  DWORD written = 0;
  if (process_ != nullptr && !job.empty()) {
    ::WriteFile(feed, job.data(), static_cast<DWORD>(job.size()), &written, nullptr);
  }
  ::CloseHandle(feed);
}

ProgramProcess::~ProgramProcess() {
  if (process_ != nullptr) {
    if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(process_, 99);
      ::WaitForSingleObject(process_, INFINITE);
    }
    ::CloseHandle(process_);
  }
}

std::optional<DWORD> ProgramProcess::WaitForExit(std::chrono::milliseconds limit) {
  if (process_ == nullptr || ::WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process_, &code);
  return code;
}

std::string ProgramProcess::Errors() const {
  return ReadFileBytes(errors_);
}

}  // namespace vellumor::test
