#pragma once
// Whose program a job starts: the user who printed it, in that user's own interactive session,
// with that user's token, and never the spooler's own account. The spooler runs as the system
// account in session 0 on Windows; under Wine it calls the port in the printing program itself,
// as the user who prints. Both come down to one primary token of the job's owner, or a reason why
// the job cannot be made into a PDF.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/FileHandle.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::monitor {

struct LogonSession {
  DWORD id{0};
  bool active{false};  // someone is at its desktop; otherwise disconnected, the desktop kept
  std::wstring user;
  std::wstring domain;
};

// The session to start the owner's program in: the owner's active session, else a disconnected
// one (the desktop is there again when the user reconnects); nothing when the owner has none.
// `owner` is "user" or "DOMAIN\user" as the spooler records it; names compare as Windows
// compares account names, without regard to case.
std::optional<DWORD> SessionOfOwner(const std::vector<LogonSession>& sessions, std::wstring_view owner);

struct OwnerToken {
  platform::FileHandle token;  // a primary token of the owner; invalid when refused
  std::wstring refusal;        // why the job is refused, for the print queue's status line
};

// The token to start the program with for a job printed by `owner`.
OwnerToken TokenOfJobOwner(const std::wstring& owner);

}  // namespace vellumor::monitor
