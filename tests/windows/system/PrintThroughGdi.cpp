// Prints one page through the "Vellumor" printer as any Windows program does, through GDI:
// print-through-gdi.exe "<document name>" "<text on the page>". Exit code 0 when the spooler took
// the whole document; otherwise the failing call and the system's error on standard error.

#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/win32/WindowsApi.h"

namespace {

int Fail(const char* call) {
  std::fprintf(stderr, "print-through-gdi: %s failed (error %lu)\n", call, ::GetLastError());
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: print-through-gdi <document name> <text>\n", stderr);
    return 2;
  }
  HDC printer = ::CreateDCW(L"WINSPOOL", L"Vellumor", nullptr, nullptr);
  if (printer == nullptr) {
    return Fail("CreateDCW");
  }
  DOCINFOW document{};
  document.cbSize = sizeof(document);
  document.lpszDocName = argv[1];
  int status = 0;
  if (::StartDocW(printer, &document) <= 0) {
    status = Fail("StartDocW");
  } else if (::StartPage(printer) <= 0) {
    status = Fail("StartPage");
  } else {
    const int height = ::GetDeviceCaps(printer, LOGPIXELSY);
    if (!::TextOutW(printer, height, height, argv[2], static_cast<int>(std::wcslen(argv[2])))) {
      status = Fail("TextOutW");
    }
    if (::EndPage(printer) <= 0) {
      status = Fail("EndPage");
    }
    if (::EndDoc(printer) <= 0) {
      status = Fail("EndDoc");
    }
  }
  ::DeleteDC(printer);
  return status;
}
