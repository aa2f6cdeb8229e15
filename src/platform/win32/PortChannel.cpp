// The events the Vellumor port hands the program (see PortChannel.h).

#include "platform/win32/PortChannel.h"

#include <cwchar>

namespace vellumor::platform {
namespace {

std::optional<std::uintptr_t> ParseHandleValue(std::wstring_view text) {
  if (text.empty() || text.size() > 20) {
    return std::nullopt;
  }
  std::uintptr_t value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') {
      return std::nullopt;
    }
    value = value * 10 + static_cast<std::uintptr_t>(c - L'0');
  }
  return value == 0 ? std::nullopt : std::optional{value};
}

// A handle value that names an event this process may wait on; anything else is not taken.
HANDLE TakeEvent(std::uintptr_t value) {
  const auto handle = reinterpret_cast<HANDLE>(value);
  DWORD flags = 0;
  if (!::GetHandleInformation(handle, &flags)) {
    return nullptr;
  }
  const DWORD state = ::WaitForSingleObject(handle, 0);
  if (state != WAIT_OBJECT_0 && state != WAIT_TIMEOUT) {
    return nullptr;
  }
  // Programs this one starts (an "Open with" program, the shell) have no business with them.
  ::SetHandleInformation(handle, HANDLE_FLAG_INHERIT, 0);
  return handle;
}

PortChannel ReadPortChannel() {
  PortChannel channel;
  const DWORD size = ::GetEnvironmentVariableW(kPortChannelVariable, nullptr, 0);
  if (size == 0) {
    return channel;
  }
  std::wstring text(size, L'\0');
  text.resize(::GetEnvironmentVariableW(kPortChannelVariable, text.data(), size));
  ::SetEnvironmentVariableW(kPortChannelVariable, nullptr);
  if (const std::optional<PortChannelHandles> handles = ParsePortChannel(text)) {
    channel.cancelled = TakeEvent(handles->cancelled);
    channel.complete = TakeEvent(handles->complete);
    if (channel.cancelled == nullptr || channel.complete == nullptr) {
      channel = {};
    }
  }
  return channel;
}

}  // namespace

std::wstring FormatPortChannel(PortChannelHandles handles) {
  return std::to_wstring(handles.cancelled) + L";" + std::to_wstring(handles.complete);
}

std::optional<PortChannelHandles> ParsePortChannel(std::wstring_view text) {
  const std::size_t separator = text.find(L';');
  if (separator == std::wstring_view::npos) {
    return std::nullopt;
  }
  const std::optional<std::uintptr_t> cancelled = ParseHandleValue(text.substr(0, separator));
  const std::optional<std::uintptr_t> complete = ParseHandleValue(text.substr(separator + 1));
  if (!cancelled || !complete) {
    return std::nullopt;
  }
  return PortChannelHandles{*cancelled, *complete};
}

const PortChannel& ThisProcessPortChannel() {
  static const PortChannel channel = ReadPortChannel();
  return channel;
}

bool PortJobCutShort() {
  const PortChannel& channel = ThisProcessPortChannel();
  // The port sets "complete" before it closes the pipe, so after the end of input it is final.
  return channel.complete != nullptr && ::WaitForSingleObject(channel.complete, 0) != WAIT_OBJECT_0;
}

}  // namespace vellumor::platform
