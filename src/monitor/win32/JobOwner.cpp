#include "monitor/win32/JobOwner.h"

#include <wtsapi32.h>

#include <memory>

namespace vellumor::monitor {
namespace {

bool SameName(std::wstring_view a, std::wstring_view b) {
  return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// The token's user: its SID (in `sid`) and "DOMAIN\user".
bool AccountOfToken(HANDLE token, std::vector<BYTE>& sid, std::wstring& name) {
  DWORD size = 0;
  ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  if (size == 0) {
    return false;
  }
  sid.resize(size);
  if (!::GetTokenInformation(token, TokenUser, sid.data(), size, &size)) {
    return false;
  }
  PSID user = reinterpret_cast<TOKEN_USER*>(sid.data())->User.Sid;
  wchar_t account[256]{};
  wchar_t domain[256]{};
  DWORD accountSize = 256;
  DWORD domainSize = 256;
  SID_NAME_USE use{};
  if (!::LookupAccountSidW(nullptr, user, account, &accountSize, domain, &domainSize, &use)) {
    return false;
  }
  name = std::wstring{domain} + L"\\" + account;
  return true;
}

// The accounts services run as: a program started with one of them would be no user's.
bool IsServiceAccount(PSID sid) {
  return ::IsWellKnownSid(sid, WinLocalSystemSid) || ::IsWellKnownSid(sid, WinLocalServiceSid) ||
         ::IsWellKnownSid(sid, WinNetworkServiceSid);
}

bool OwnerMatches(std::wstring_view owner, std::wstring_view domain, std::wstring_view user) {
  const std::size_t slash = owner.find(L'\\');
  if (slash == std::wstring_view::npos) {
    return SameName(owner, user);
  }
  return SameName(owner.substr(0, slash), domain) && SameName(owner.substr(slash + 1), user);
}

std::vector<LogonSession> LogonSessions() {
  std::vector<LogonSession> sessions;
  WTS_SESSION_INFOW* list = nullptr;
  DWORD count = 0;
  if (!::WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &list, &count)) {
    return sessions;
  }
  for (DWORD i = 0; i < count; ++i) {
    if (list[i].State != WTSActive && list[i].State != WTSDisconnected) {
      continue;
    }
    LogonSession session{list[i].SessionId, list[i].State == WTSActive, {}, {}};
    for (auto [what, text] : {std::pair{WTSUserName, &session.user}, std::pair{WTSDomainName, &session.domain}}) {
      wchar_t* value = nullptr;
      DWORD bytes = 0;
      if (::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session.id, what, &value, &bytes)) {
        *text = value;
        ::WTSFreeMemory(value);
      }
    }
    if (!session.user.empty()) {
      sessions.push_back(std::move(session));
    }
  }
  ::WTSFreeMemory(list);
  return sessions;
}

platform::FileHandle PrimaryCopy(HANDLE token) {
  HANDLE primary = nullptr;
  if (!::DuplicateTokenEx(token, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &primary)) {
    return {};
  }
  return platform::FileHandle{primary};
}

}  // namespace

std::optional<DWORD> SessionOfOwner(const std::vector<LogonSession>& sessions, std::wstring_view owner) {
  std::optional<DWORD> disconnected;
  for (const LogonSession& session : sessions) {
    if (owner.empty() || !OwnerMatches(owner, session.domain, session.user)) {
      continue;
    }
    if (session.active) {
      return session.id;
    }
    if (!disconnected) {
      disconnected = session.id;
    }
  }
  return disconnected;
}

OwnerToken TokenOfJobOwner(const std::wstring& owner) {
  OwnerToken result;
  HANDLE own = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY, &own)) {
    result.refusal = L"the Vellumor port cannot read its own account";
    return result;
  }
  const platform::FileHandle ownToken{own};
  std::vector<BYTE> ownSid;
  std::wstring ownName;
  if (!AccountOfToken(own, ownSid, ownName)) {
    result.refusal = L"the Vellumor port cannot read its own account";
    return result;
  }
  platform::FileHandle token;
  if (!IsServiceAccount(reinterpret_cast<TOKEN_USER*>(ownSid.data())->User.Sid)) {
    // The port runs in the printing program itself (Wine's spooler does this): it can start
    // programs only as the user it runs as, and only for that user's own jobs.
    const std::size_t slash = ownName.find(L'\\');
    if (!owner.empty() && !OwnerMatches(owner, ownName.substr(0, slash), ownName.substr(slash + 1))) {
      result.refusal = L"the job of " + owner + L" reached the Vellumor port running as " + ownName;
      return result;
    }
    token = PrimaryCopy(own);
  } else {
    const std::optional<DWORD> session = SessionOfOwner(LogonSessions(), owner);
    if (!session) {
      result.refusal = (owner.empty() ? std::wstring{L"the job's owner"} : owner) +
                       L" is not logged on at this computer: Vellumor makes the PDF in the session of the user who "
                       L"prints. Log on and restart the job, or delete it";
      return result;
    }
    HANDLE user = nullptr;
    if (!::WTSQueryUserToken(*session, &user)) {
      result.refusal =
          L"the session of " + owner + L" cannot be reached (error " + std::to_wstring(::GetLastError()) + L")";
      return result;
    }
    const platform::FileHandle userToken{user};
    token = PrimaryCopy(user);
  }
  std::vector<BYTE> sid;
  std::wstring name;
  if (!token.Valid() || !AccountOfToken(token.Get(), sid, name)) {
    result.refusal = L"no token for " + owner + L" (error " + std::to_wstring(::GetLastError()) + L")";
    return result;
  }
  // Whatever the sessions said: the program never runs with a service's rights.
  if (IsServiceAccount(reinterpret_cast<TOKEN_USER*>(sid.data())->User.Sid)) {
    result.refusal = L"the job would run as " + name + L", a service account; Vellumor runs only as a user";
    return result;
  }
  result.token = std::move(token);
  return result;
}

}  // namespace vellumor::monitor
