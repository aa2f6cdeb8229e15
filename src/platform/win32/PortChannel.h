#pragma once
// What the Vellumor port gives the program it starts for a print job besides the job itself: two
// events it inherits, named by their handle values in one environment variable. The port sets
// the first when the job was cancelled in the print queue and the second just before it closes
// the job's pipe after the last byte. A pipe that ends without the second was cut short (the job
// cancelled, the spooler gone): that job must never become a PDF of its first part.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win32/WindowsApi.h"

namespace vellumor::platform {

inline constexpr wchar_t kPortChannelVariable[] = L"VELLUMOR_PORT_CHANNEL";

struct PortChannelHandles {
  std::uintptr_t cancelled{0};
  std::uintptr_t complete{0};
};

// "<cancelled>;<complete>", both decimal handle values, as the port writes the variable.
std::wstring FormatPortChannel(PortChannelHandles handles);
// The two handle values of a variable's text; nothing for any other text.
std::optional<PortChannelHandles> ParsePortChannel(std::wstring_view text);

// The events of this process's port, taken from the environment once (the variable is then
// removed and the handles kept from the programs this one starts); nullptr handles when the
// program was not started by the port.
struct PortChannel {
  HANDLE cancelled{nullptr};
  HANDLE complete{nullptr};
};
const PortChannel& ThisProcessPortChannel();

// True when the port started this program and its job's input ended without the port saying
// the job was whole.
bool PortJobCutShort();
// Makes a job cut short a cancellation of this run, as the port's own cancellation is.
void RecordPortJobCutShort();

// Set once any cancellation of the run arrived (the port's, Ctrl+C, log-off): what the windows
// wait on beside their messages to close on a cancellation, as the descriptor serves on Linux.
// Null while no cancellation is watched.
HANDLE CancellationRequestedEvent();

}  // namespace vellumor::platform
