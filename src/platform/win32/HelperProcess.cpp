// The helper on Windows: two anonymous pipes, the helper in a job object that the system ends
// when the starter's handle to it closes (so whenever the starter ends), and stopping it is
// TerminateProcess followed by waiting for it.

#include "platform/HelperProcess.h"

#include <algorithm>
#include <cstdio>

#include "platform/SystemEvents.h"
#include "platform/win32/FileHandle.h"
#include "platform/win32/FileIo.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

struct HelperProcess::Handles {
  FileHandle process;
  FileHandle job;
  FileHandle toHelper;
  FileHandle fromHelper;
  bool ended{false};
};

namespace {

// How often a wait for the helper's output looks at the pipe again.
constexpr DWORD kLookAgainMs = 5;

std::string LastErrorText() {
  return SystemErrorText(static_cast<long>(::GetLastError()));
}

// One argument as the C runtime splits the command line again: quoted, with the backslashes
// before a quote doubled.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

std::filesystem::path OwnFile() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return {};
    }
    if (length < path.size()) {
      path.resize(length);
      return std::filesystem::path{path};
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

HelperProcess::HelperProcess(std::unique_ptr<Handles> handles) : handles_{std::move(handles)} {}

std::unique_ptr<HelperProcess> HelperProcess::Start(const std::vector<std::string>& arguments, std::string& error) {
  const std::filesystem::path program = OwnFile();
  if (program.empty()) {
    error = "the program's own file cannot be found: " + LastErrorText();
    return nullptr;
  }
  // The helper's ends are inherited; this process's ends are not.
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE helperInput = nullptr;
  HANDLE toHelper = nullptr;
  HANDLE fromHelper = nullptr;
  HANDLE helperOutput = nullptr;
  if (!::CreatePipe(&helperInput, &toHelper, &inherited, 0)) {
    error = LastErrorText();
    return nullptr;
  }
  FileHandle helperIn{helperInput};
  auto handles = std::make_unique<Handles>();
  handles->toHelper = FileHandle{toHelper};
  if (!::CreatePipe(&fromHelper, &helperOutput, &inherited, 0)) {
    error = LastErrorText();
    return nullptr;
  }
  FileHandle helperOut{helperOutput};
  handles->fromHelper = FileHandle{fromHelper};
  ::SetHandleInformation(toHelper, HANDLE_FLAG_INHERIT, 0);
  ::SetHandleInformation(fromHelper, HANDLE_FLAG_INHERIT, 0);
  // Standard error is shared, whatever this process was given.
  HANDLE errorHandle = ::GetStdHandle(STD_ERROR_HANDLE);
  HANDLE sharedError = nullptr;
  if (errorHandle != nullptr && errorHandle != INVALID_HANDLE_VALUE) {
    ::DuplicateHandle(::GetCurrentProcess(), errorHandle, ::GetCurrentProcess(), &sharedError, 0, TRUE,
                      DUPLICATE_SAME_ACCESS);
  }
  FileHandle helperError{sharedError};

  std::wstring commandLine = Quoted(program.wstring());
  for (const std::string& argument : arguments) {
    commandLine += L" " + Quoted(WideFromUtf8(argument));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = helperIn.Get();
  startup.hStdOutput = helperOut.Get();
  startup.hStdError = helperError.Valid() ? helperError.Get() : nullptr;
  PROCESS_INFORMATION started{};
  // Suspended until it is in its job: it must not run a moment without being tied to this process.
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
    error = "cannot start " + Utf8FromPath(program) + ": " + LastErrorText();
    return nullptr;
  }
  handles->process = FileHandle{started.hProcess};
  FileHandle thread{started.hThread};
  // Where the system refuses a job (Windows 7 inside another program's job), the conversion still
  // runs; only a starter that is killed outright may then leave the helper behind.
  handles->job = FileHandle{::CreateJobObjectW(nullptr, nullptr)};
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (handles->job.Valid() &&
      ::SetInformationJobObject(handles->job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
    ::AssignProcessToJobObject(handles->job.Get(), handles->process.Get());
  }
  ::ResumeThread(thread.Get());
  return std::unique_ptr<HelperProcess>{new HelperProcess{std::move(handles)}};
}

HelperProcess::~HelperProcess() {
  Stop();
}

bool HelperProcess::Send(std::string_view bytes) {
  return file_io::WriteAll(handles_->toHelper.Get(), bytes);
}

HelperProcess::Received HelperProcess::Receive(std::string& into, std::chrono::milliseconds timeout) {
  const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
  for (;;) {
    DWORD available = 0;
    // A pipe whose writer is gone and holds nothing more fails here: the helper ended.
    if (!::PeekNamedPipe(handles_->fromHelper.Get(), nullptr, 0, nullptr, &available, nullptr)) {
      return Received::Ended;
    }
    if (available > 0) {
      char buffer[1 << 16];
      DWORD got = 0;
      if (!::ReadFile(handles_->fromHelper.Get(), buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr) ||
          got == 0) {
        return Received::Ended;
      }
      into.append(buffer, got);
      return Received::Data;
    }
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) {
      return Received::TimedOut;
    }
    ::WaitForSingleObject(handles_->process.Get(),
                          static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kLookAgainMs)));
  }
}

void HelperProcess::Stop() {
  if (handles_->process.Valid() && !handles_->ended) {
    ::TerminateProcess(handles_->process.Get(), 1);
  }
  HowItEnded();
}

std::string HelperProcess::HowItEnded() {
  if (!handles_->process.Valid()) {
    return "";
  }
  ::WaitForSingleObject(handles_->process.Get(), INFINITE);
  handles_->ended = true;
  DWORD code = 0;
  ::GetExitCodeProcess(handles_->process.Get(), &code);
  // Exceptions end a process with their own code (0xC0000005 and the like).
  if (code >= 0xC0000000U) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(code));
    return std::string{"ended with exception "} + text;
  }
  return "exited with status " + std::to_string(code);
}

bool ReadFromStarter(char* buffer, std::size_t size) {
  const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  while (size > 0) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, std::size_t{1} << 20));
    if (!::ReadFile(input, buffer, want, &got, nullptr) || got == 0) {
      return false;
    }
    buffer += got;
    size -= got;
  }
  return true;
}

bool WriteToStarter(std::string_view bytes) {
  return file_io::WriteAll(::GetStdHandle(STD_OUTPUT_HANDLE), bytes);
}

// The starter put the helper in a job that ends with the starter; only the channel is checked.
bool EndWithStarter() {
  const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  return input != nullptr && input != INVALID_HANDLE_VALUE && ::GetFileType(input) == FILE_TYPE_PIPE;
}

}  // namespace vellumor::platform
