// The engine's scratch folder on Windows: the system's temporary-folder lookup reads TMP, then
// TEMP, so both name the scratch folder while it lives.

#include "platform/ScratchFolder.h"

#include "platform/Environment.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

std::unique_ptr<ScratchFolder> ScratchFolder::Create(std::filesystem::path folder) {
  // Inside the user's own temporary folder, the new folder takes its access from there.
  if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
    return nullptr;
  }
  // Both get the user's temporary folder back afterwards, where this run found its own.
  std::optional<std::string> previous = GetEnvironmentVariable("TEMP");
  for (const wchar_t* variable : {L"TEMP", L"TMP"}) {
    ::SetEnvironmentVariableW(variable, folder.c_str());
  }
  return std::unique_ptr<ScratchFolder>{new ScratchFolder{std::move(folder), std::move(previous)}};
}

ScratchFolder::~ScratchFolder() {
  for (const wchar_t* variable : {L"TEMP", L"TMP"}) {
    ::SetEnvironmentVariableW(variable, previous_ ? WideFromUtf8(*previous_).c_str() : nullptr);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace vellumor::platform
