#pragma once
// The Vellumor program started for one print job: in the owner's session, on the owner's desktop,
// with the owner's environment, the job arriving on its standard input through a pipe, and two
// events beside it that tell it whether the job ended whole or was cancelled (the program's side
// is platform/win32/PortChannel.h).

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/FileHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::monitor {

// The program's command line: its quoted path and, when there is a name, the document name
// option "-b" with the name, the whole option in double quotes. Double quotes in the name are
// dropped (the option's own quotes would end early) and backslashes before the closing quote
// doubled, so the program's runtime reads the name back as it was.
std::wstring ProgramCommandLine(const std::filesystem::path& program, std::wstring_view documentName);

// An environment block (NUL-separated "name=value" entries, a second NUL at the end) with
// `name` set to `value`, replacing any entry of that name, in the sorted order Windows keeps.
std::wstring WithVariable(const wchar_t* block, std::wstring_view name, std::wstring_view value);

class JobProgram final {
 public:
  // Starts `program` as the user of `token`; nothing (and `error` says why) when it cannot.
  static std::optional<JobProgram> Start(HANDLE token, const std::filesystem::path& program,
                                         std::wstring_view documentName, std::wstring& error);

  // Writes all of `bytes`, returning how many went into the pipe: fewer when the program is
  // gone (the pipe is broken).
  DWORD Write(const BYTE* bytes, DWORD size);
  // The job is whole: the program is told so, then sees the end of its input.
  void Finish();
  // The job was cancelled: the program is told so and drops what it received.
  void Cancel();
  // The program's exit code once it ended; nothing while it runs.
  std::optional<DWORD> ExitCode() const;

 private:
  JobProgram() = default;
  void CloseInput();

  platform::FileHandle process_;
  platform::FileHandle input_;
  platform::FileHandle cancelled_;
  platform::FileHandle complete_;
};

}  // namespace vellumor::monitor
