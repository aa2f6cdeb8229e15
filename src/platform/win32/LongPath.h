#pragma once
// A path as the wide-character file functions take it at any length. Windows limits plain paths
// to MAX_PATH characters unless the program is long-path aware and the system allows it; the
// "\\?\" form has no such limit, so a PDF named after a long title in a deep folder is still
// written. Short paths stay as they are (the "\\?\" form skips the system's clean-up of ".." and
// "/", which short paths may rely on).

#include <filesystem>
#include <string>

#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

inline std::wstring LongPath(const std::filesystem::path& path) {
  const std::wstring& plain = path.native();
  // Room for the eight-character names the system adds to a folder's path (CreateDirectory).
  if (plain.size() < MAX_PATH - 12 || plain.starts_with(L"\\\\?\\")) {
    return plain;
  }
  const DWORD needed = ::GetFullPathNameW(plain.c_str(), 0, nullptr, nullptr);
  std::wstring full(needed, L'\0');
  const DWORD length = needed == 0 ? 0 : ::GetFullPathNameW(plain.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) {
    return plain;
  }
  full.resize(length);
  if (full.starts_with(L"\\\\")) {
    return L"\\\\?\\UNC\\" + full.substr(2);  // \\server\share\...
  }
  return L"\\\\?\\" + full;
}

}  // namespace vellumor::platform
