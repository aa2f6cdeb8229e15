#include "support/LinuxTools.h"

#include "platform/PathText.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WindowsApi.h"
#include "support/PdfFacts.h"
#include "support/TempDir.h"

namespace vellumor::test {
namespace {

// One argument as the command line's splitter reads it back: in quotes, with the backslashes
// before a quote (and before the closing one) doubled.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
  line += L'"';
  std::size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

}  // namespace

std::string LinuxPath(const std::filesystem::path& path) {
  using ToUnix = char*(__cdecl*)(const wchar_t*);
  // Through the generic function type: the signature is Wine's, not the one GetProcAddress returns.
  static const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (toUnix == nullptr) {
    return "";
  }
  char* unix = toUnix(std::filesystem::absolute(path).c_str());
  if (unix == nullptr) {
    return "";
  }
  std::string result{unix};
  ::HeapFree(::GetProcessHeap(), 0, unix);
  return result;
}

int RunLinuxProgram(const std::vector<std::string>& arguments) {
  if (arguments.empty()) {
    return -1;
  }
  // Wine gives no handle to wait on for a Linux process (it counts as ended at once, with code
  // 0): a shell runs the program and writes its exit code into a file, named when complete.
  TempDir dir;
  const std::filesystem::path status = dir / "status";
  std::vector<std::string> line{"/bin/sh", "-c", "s=\"$1\"; shift; \"$@\"; echo $? >\"$s.part\"; mv \"$s.part\" \"$s\"",
                                "sh", LinuxPath(status)};
  line.insert(line.end(), arguments.begin(), arguments.end());
  std::wstring command;
  for (const std::string& argument : line) {
    if (!command.empty()) {
      command += L' ';
    }
    AppendQuoted(command, platform::WideFromUtf8(argument));
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // Wine reaches the Linux file system through drive Z:.
  if (!::CreateProcessW(L"Z:\\bin\\sh", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    return -1;
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  // Rendering a page or converting an example takes seconds; ten minutes means it hangs.
  for (int waited = 0; waited < 600'000; waited += 20) {
    std::error_code error;
    if (std::filesystem::exists(status, error)) {
      return std::stoi(ReadFileBytes(status));
    }
    ::Sleep(20);
  }
  return -1;
}

std::string PdfText(const std::filesystem::path& pdf, const std::string& password) {
  TempDir dir;
  std::vector<std::string> arguments{"/usr/bin/pdftotext", "-layout", "-enc", "UTF-8"};
  if (!password.empty()) {
    arguments.insert(arguments.end(), {"-upw", password});
  }
  arguments.insert(arguments.end(), {LinuxPath(pdf), LinuxPath(dir / "text.txt")});
  if (RunLinuxProgram(arguments) != 0) {
    return "";
  }
  return ReadFileBytes(dir / "text.txt");
}

std::string PageRaster(const std::filesystem::path& pdf, int page, int resolution) {
  TempDir dir;
  const std::string number = std::to_string(page);
  if (RunLinuxProgram({"/usr/bin/pdftoppm", "-r", std::to_string(resolution), "-gray", "-f", number, "-l", number,
                       "-singlefile", LinuxPath(pdf), LinuxPath(dir / "page")}) != 0) {
    return "";
  }
  return ReadFileBytes(dir / "page.pgm");
}

}  // namespace vellumor::test
