#include "monitor/win32/JobProgram.h"

#include <userenv.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/win32/PortChannel.h"

namespace vellumor::monitor {
namespace {

// Large enough that the spooler's writes seldom wait for the program to read.
constexpr DWORD kPipeBytes = 1 << 20;

// Handles are made inheritable only while this port starts a program, and one start at a time:
// a program started for another job, by this port or by anything else in the spooler's process,
// must not take the job's pipe with it, or the job's program would never see its end.
std::mutex gStarting;

std::wstring_view VariableName(std::wstring_view entry) {
  // Entries such as "=C:=C:\" name a drive's folder; their name starts after the first "=".
  const std::size_t equals = entry.find(L'=', 1);
  return entry.substr(0, equals == std::wstring_view::npos ? entry.size() : equals);
}

bool LessIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_LESS_THAN;
}

platform::FileHandle InheritableCopy(HANDLE handle, DWORD access, DWORD options = 0) {
  HANDLE copy = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, access, TRUE, options)) {
    return {};
  }
  return platform::FileHandle{copy};
}

std::wstring SystemError(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message = length > 0 ? std::wstring{text, length} : L"error " + std::to_wstring(code);
  ::LocalFree(text);
  while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
    message.pop_back();
  }
  return message;
}

}  // namespace

std::wstring ProgramCommandLine(const std::filesystem::path& program, std::wstring_view documentName) {
  std::wstring line = L"\"" + program.wstring() + L"\"";
  std::wstring name;
  std::remove_copy(documentName.begin(), documentName.end(), std::back_inserter(name), L'"');
  if (name.empty()) {
    return line;
  }
  std::size_t trailing = 0;
  while (trailing < name.size() && name[name.size() - 1 - trailing] == L'\\') {
    ++trailing;
  }
  return line + L" \"-b" + name + std::wstring(trailing, L'\\') + L"\"";
}

std::wstring WithVariable(const wchar_t* block, std::wstring_view name, std::wstring_view value) {
  std::vector<std::wstring_view> entries;
  for (const wchar_t* entry = block; entry != nullptr && *entry != L'\0'; entry += std::wcslen(entry) + 1) {
    const std::wstring_view text{entry};
    const std::wstring_view entryName = VariableName(text);
    if (!(entryName.size() == name.size() && !LessIgnoringCase(entryName, name) &&
          !LessIgnoringCase(name, entryName))) {
      entries.push_back(text);
    }
  }
  const std::wstring added = std::wstring{name} + L"=" + std::wstring{value};
  entries.push_back(added);
  std::stable_sort(entries.begin(), entries.end(), [](std::wstring_view a, std::wstring_view b) {
    return LessIgnoringCase(VariableName(a), VariableName(b));
  });
  std::wstring result;
  for (const std::wstring_view entry : entries) {
    result.append(entry);
    result.push_back(L'\0');
  }
  result.push_back(L'\0');
  return result;
}

std::optional<JobProgram> JobProgram::Start(HANDLE token, const std::filesystem::path& program,
                                            std::wstring_view documentName, std::wstring& error) {
  JobProgram started;
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  if (!::CreatePipe(&read, &write, nullptr, kPipeBytes)) {
    error = L"no pipe for the job: " + SystemError(::GetLastError());
    return std::nullopt;
  }
  const platform::FileHandle readEnd{read};
  started.input_ = platform::FileHandle{write};
  started.cancelled_ = platform::FileHandle{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  started.complete_ = platform::FileHandle{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  if (!started.cancelled_.Valid() || !started.complete_.Valid()) {
    error = L"no events for the job: " + SystemError(::GetLastError());
    return std::nullopt;
  }

  void* userEnvironment = nullptr;
  if (!::CreateEnvironmentBlock(&userEnvironment, token, FALSE)) {
    error = L"the user's environment cannot be read: " + SystemError(::GetLastError());
    return std::nullopt;
  }
  std::wstring commandLine = ProgramCommandLine(program, documentName);
  const std::wstring folder = program.parent_path().wstring();
  wchar_t desktop[] = L"winsta0\\default";

  const std::lock_guard starting{gStarting};
  // The program may only wait on the events, never set them.
  const platform::FileHandle childCancelled = InheritableCopy(started.cancelled_.Get(), SYNCHRONIZE);
  const platform::FileHandle childComplete = InheritableCopy(started.complete_.Get(), SYNCHRONIZE);
  const platform::FileHandle inheritedInput = InheritableCopy(readEnd.Get(), 0, DUPLICATE_SAME_ACCESS);
  if (!childCancelled.Valid() || !childComplete.Valid() || !inheritedInput.Valid()) {
    ::DestroyEnvironmentBlock(userEnvironment);
    error = L"the job's handles cannot be passed on: " + SystemError(::GetLastError());
    return std::nullopt;
  }
  std::wstring environment =
      WithVariable(static_cast<const wchar_t*>(userEnvironment), platform::kPortChannelVariable,
                   platform::FormatPortChannel({reinterpret_cast<std::uintptr_t>(childCancelled.Get()),
                                                reinterpret_cast<std::uintptr_t>(childComplete.Get())}));
  ::DestroyEnvironmentBlock(userEnvironment);

  // Exactly these handles go to the program, whatever else in this process is inheritable.
  HANDLE inherited[] = {inheritedInput.Get(), childCancelled.Get(), childComplete.Get()};
  SIZE_T attributesSize = 0;
  ::InitializeProcThreadAttributeList(nullptr, 1, 0, &attributesSize);
  std::vector<BYTE> attributesBuffer(attributesSize);
  auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributesBuffer.data());
  bool listed = attributesSize > 0 && ::InitializeProcThreadAttributeList(attributes, 1, 0, &attributesSize);
  if (listed && !::UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                             sizeof(inherited), nullptr, nullptr)) {
    ::DeleteProcThreadAttributeList(attributes);
    listed = false;
  }

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof(startup);
  startup.StartupInfo.lpDesktop = desktop;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = inheritedInput.Get();
  startup.lpAttributeList = listed ? attributes : nullptr;
  PROCESS_INFORMATION process{};
  // No console window for the program, whichever subsystem it was built for.
  const DWORD flags = CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW | (listed ? EXTENDED_STARTUPINFO_PRESENT : 0);
  const BOOL created = ::CreateProcessAsUserW(token, program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, flags,
                                              environment.data(), folder.c_str(), &startup.StartupInfo, &process);
  const DWORD createError = ::GetLastError();
  if (listed) {
    ::DeleteProcThreadAttributeList(attributes);
  }
  if (!created) {
    error = L"\"" + program.wstring() + L"\" cannot be started: " + SystemError(createError);
    return std::nullopt;
  }
  ::CloseHandle(process.hThread);
  started.process_ = platform::FileHandle{process.hProcess};
  return started;
}

DWORD JobProgram::Write(const BYTE* bytes, DWORD size) {
  DWORD total = 0;
  while (total < size && input_.Valid()) {
    DWORD written = 0;
    if (!::WriteFile(input_.Get(), bytes + total, size - total, &written, nullptr) || written == 0) {
      break;
    }
    total += written;
  }
  return total;
}

void JobProgram::Finish() {
  ::SetEvent(complete_.Get());
  CloseInput();
}

void JobProgram::Cancel() {
  ::SetEvent(cancelled_.Get());
  CloseInput();
}

std::optional<DWORD> JobProgram::ExitCode() const {
  DWORD code = 0;
  if (!process_.Valid() || ::WaitForSingleObject(process_.Get(), 0) != WAIT_OBJECT_0 ||
      !::GetExitCodeProcess(process_.Get(), &code)) {
    return std::nullopt;
  }
  return code;
}

void JobProgram::CloseInput() {
  input_.Close();
}

}  // namespace vellumor::monitor
