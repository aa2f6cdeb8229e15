// A stand-in for Ghostscript's DLL in the Windows tests: the same exports, every call and
// argument written to the file named by VELLUMOR_STANDIN_RECORD, and a small but complete PDF
// written to the -sOutputFile path: one page for each page an input file holds ("showpage" in
// PostScript, a page object in a PDF). A marks file (pdfmark only) adds none.

#include <ghostscript/iapi.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Environment.h"
#include "standin/MinimalPdf.h"

namespace {

struct Instance {
  void* caller{nullptr};
  int(GSDLLCALL* output)(void*, const char*, int){nullptr};
  int(GSDLLCALL* poll)(void*){nullptr};
  int encoding{0};
};

// The record file is opened for each line, so that a test reads everything a call wrote even
// when a later call crashes.
void Record(const std::string& line) {
  // Read from the process environment itself: the C runtime's copy does not see what the test
  // set after it started.
  const std::optional<std::string> path = vellumor::platform::GetEnvironmentVariable("VELLUMOR_STANDIN_RECORD");
  if (!path || path->empty()) {
    return;
  }
  std::ofstream out(vellumor::test::PathFromArgument(*path), std::ios::binary | std::ios::app);
  out << line << '\n';
}

std::size_t Count(std::string_view text, std::string_view word) {
  std::size_t count{0};
  for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + word.size())) {
    ++count;
  }
  return count;
}

std::size_t PagesIn(const std::string& path) {
  std::ifstream in(vellumor::test::PathFromArgument(path), std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (text.starts_with("%PDF")) {
    return Count(text, "/Type /Page\n") + Count(text, "/Type /Page ") + Count(text, "/Type/Page/");
  }
  return Count(text, "showpage");
}

}  // namespace

extern "C" {

int GSDLLAPI gsapi_new_instance(void** instance, void* caller) {
  Record("gsapi_new_instance");
  *instance = new Instance{caller, nullptr, nullptr, 0};
  return 0;
}

void GSDLLAPI gsapi_delete_instance(void* instance) {
  Record("gsapi_delete_instance");
  delete static_cast<Instance*>(instance);
}

int GSDLLAPI gsapi_set_stdio(void* instance, int(GSDLLCALL*)(void*, char*, int),
                             int(GSDLLCALL* output)(void*, const char*, int),
                             int(GSDLLCALL*)(void*, const char*, int)) {
  Record("gsapi_set_stdio");
  static_cast<Instance*>(instance)->output = output;
  return 0;
}

int GSDLLAPI gsapi_set_poll(void* instance, int(GSDLLCALL* poll)(void*)) {
  Record("gsapi_set_poll");
  static_cast<Instance*>(instance)->poll = poll;
  return 0;
}

int GSDLLAPI gsapi_set_arg_encoding(void* instance, int encoding) {
  Record("gsapi_set_arg_encoding " + std::to_string(encoding));
  static_cast<Instance*>(instance)->encoding = encoding;
  return 0;
}

int GSDLLAPI gsapi_init_with_args(void* handle, int count, char** arguments) {
  auto* instance = static_cast<Instance*>(handle);
  Record("gsapi_init_with_args " + std::to_string(count));
  std::string output;
  std::size_t pages{0};
  for (int i = 0; i < count; ++i) {
    const std::string argument = arguments[i];
    Record("arg " + argument);
    constexpr std::string_view kOutput = "-sOutputFile=";
    if (argument.starts_with(kOutput)) {
      output = argument.substr(kOutput.size());
    } else if (i > 0 && !argument.starts_with("-")) {
      pages += PagesIn(argument);
    }
  }
  for (std::size_t page = 1; page <= pages; ++page) {
    if (instance->poll != nullptr) {
      if (const int code = instance->poll(instance->caller); code < 0) {
        return code;  // the caller asked to stop, as the interpreter does
      }
    }
    if (instance->output != nullptr) {
      const std::string line = "Page " + std::to_string(page) + "\n";
      instance->output(instance->caller, line.c_str(), static_cast<int>(line.size()));
    }
  }
  constexpr int kUndefinedFileName = -22;
  if (output.empty() || !vellumor::test::WriteMinimalPdf(output, pages == 0 ? 1 : pages)) {
    return kUndefinedFileName;
  }
  return 0;
}

int GSDLLAPI gsapi_exit(void*) {
  Record("gsapi_exit");
  return 0;
}

}  // extern "C"
