// The program's entry on Windows. The command line is read as the system keeps it, in UTF-16, and
// handed on in UTF-8, so that names and paths in any script reach the PDF's name intact (the
// ANSI arguments would turn every letter outside the code page into a question mark).

#include "platform/win32/WindowsApi.h"

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/Program.h"
#include "platform/win32/WideText.h"

namespace {

// A program of the graphical subsystem gets no console. Started from one without its output
// redirected, its lines on standard error would be lost: they go to the console that started it.
void AttachParentConsoleForMissingStreams() {
  const auto missing = [](DWORD stream) {
    HANDLE handle = ::GetStdHandle(stream);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE || ::GetFileType(handle) == FILE_TYPE_UNKNOWN;
  };
  const bool noOutput = missing(STD_OUTPUT_HANDLE);
  const bool noError = missing(STD_ERROR_HANDLE);
  if ((!noOutput && !noError) || !::AttachConsole(ATTACH_PARENT_PROCESS)) {
    return;
  }
  if (noOutput && std::freopen("CONOUT$", "w", stdout) == nullptr) {
    return;
  }
  if (noError) {
    (void)std::freopen("CONOUT$", "w", stderr);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*arguments*/, int /*show*/) {
  AttachParentConsoleForMissingStreams();
  const wchar_t* commandLine = ::GetCommandLineW();
  int count = 0;
  wchar_t** wide = ::CommandLineToArgvW(commandLine, &count);
  std::vector<std::string> arguments;
  for (int index = 0; wide != nullptr && index < count; ++index) {
    arguments.push_back(vellumor::platform::Utf8FromWide(wide[index]));
  }
  ::LocalFree(wide);
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  return vellumor::app::RunProgram(static_cast<int>(arguments.size()), argv.data(),
                                   vellumor::platform::Utf8FromWide(commandLine));
}
