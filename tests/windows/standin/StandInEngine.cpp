// A stand-in for Ghostscript's DLL in the Windows tests, keeping the contract the program relies
// on. Every call and argument is written to the file VELLUMOR_STANDIN_RECORD names. The arguments
// are taken in their order, as the interpreter takes them: a file argument is read (a PDF keeps
// its pages, PostScript makes a page per "showpage", a marks file none), "-_" reads the job
// through the standard-input callback, and "-c" runs code, of which the stand-in knows what the
// program sends: "(text) print" and "currentpagedevice /PageCount get ==", so the page counts it
// prints are those of the pages it holds. gsapi_exit, which closes the device, writes a small
// complete PDF of those pages to -sOutputFile; each page shows its text, so the order of old and
// new pages can be read back.

#include <ghostscript/iapi.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Environment.h"
#include "standin/MinimalPdf.h"

namespace {

using vellumor::test::PathFromArgument;

constexpr int kUndefinedFileName = -22;
constexpr int kIoError = -12;

struct Instance {
  void* caller{nullptr};
  int(GSDLLCALL* input)(void*, char*, int){nullptr};
  int(GSDLLCALL* output)(void*, const char*, int){nullptr};
  int(GSDLLCALL* error)(void*, const char*, int){nullptr};
  int(GSDLLCALL* poll)(void*){nullptr};
  int encoding{0};
  std::string outputFile;
  std::vector<std::string> pages;  // the text of each page the device holds
  bool quiet{false};
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
  std::ofstream out(PathFromArgument(*path), std::ios::binary | std::ios::app);
  out << line << '\n';
}

void Say(Instance& instance, const std::string& text, bool error = false) {
  auto* callback = error ? instance.error : instance.output;
  if (callback != nullptr) {
    callback(instance.caller, text.data(), static_cast<int>(text.size()));
  }
}

bool Polled(Instance& instance, int& code) {
  code = instance.poll != nullptr ? instance.poll(instance.caller) : 0;
  return code >= 0;
}

// "%%" in an output file name is a plain "%" to the interpreter.
std::string OutputName(std::string_view argument) {
  std::string name;
  for (std::size_t i = 0; i < argument.size(); ++i) {
    name += argument[i];
    if (argument[i] == '%' && i + 1 < argument.size() && argument[i + 1] == '%') {
      ++i;
    }
  }
  return name;
}

std::string TitleOf(std::string_view job) {
  constexpr std::string_view kTitle = "%%Title: ";
  const std::size_t at = job.find(kTitle);
  if (at == std::string_view::npos) {
    return "Untitled";
  }
  const std::size_t start = at + kTitle.size();
  return std::string{job.substr(start, job.find_first_of("\r\n", start) - start)};
}

// PostScript makes a page per "showpage"; a PDF brings its pages, with their texts when it is
// one of the stand-in's own.
int ReadInput(Instance& instance, std::string_view content) {
  int code = 0;
  if (content.starts_with("%PDF")) {
    std::vector<std::string> texts = vellumor::test::PageTextsOf(content);
    for (std::string& text : texts) {
      if (!Polled(instance, code)) {
        return code;
      }
      instance.pages.push_back(std::move(text));
    }
    return 0;
  }
  const std::string title = TitleOf(content);
  for (std::size_t at = content.find("showpage"); at != std::string_view::npos; at = content.find("showpage", at + 8)) {
    if (!Polled(instance, code)) {
      return code;
    }
    instance.pages.push_back(title + " page " + std::to_string(instance.pages.size() + 1));
    if (!instance.quiet) {
      Say(instance, "Page " + std::to_string(instance.pages.size()) + "\n");
    }
  }
  return 0;
}

int ReadStandardInput(Instance& instance) {
  std::string job;
  char buffer[4096];
  int code = 0;
  for (;;) {
    if (!Polled(instance, code)) {
      return code;
    }
    const int count = instance.input != nullptr ? instance.input(instance.caller, buffer, sizeof(buffer)) : 0;
    if (count < 0) {
      Say(instance, "Error: /ioerror in --%stdin--\n", true);
      return kIoError;
    }
    if (count == 0) {
      break;
    }
    job.append(buffer, static_cast<std::size_t>(count));
  }
  const std::size_t before = instance.pages.size();
  code = ReadInput(instance, job);
  Record("stdin " + std::to_string(job.size()) + " bytes, " + std::to_string(instance.pages.size() - before) +
         " pages");
  return code;
}

// The code the program runs between its inputs: string literals, "print", and the page count of
// the current device printed with "==".
void RunCode(Instance& instance, std::string_view code) {
  std::string literal;
  std::vector<std::string> words;
  for (std::size_t i = 0; i < code.size();) {
    if (code[i] == '(') {
      literal.clear();
      for (++i; i < code.size() && code[i] != ')'; ++i) {
        if (code[i] == '\\' && i + 1 < code.size()) {
          ++i;
          literal += code[i] == 'n' ? '\n' : code[i];
        } else {
          literal += code[i];
        }
      }
      ++i;
      continue;
    }
    if (code[i] == ' ' || code[i] == '\n') {
      ++i;
      continue;
    }
    const std::size_t end = code.find_first_of(" \n(", i);
    const std::string word{code.substr(i, end - i)};
    i = end == std::string_view::npos ? code.size() : end;
    if (word == "print") {
      Say(instance, literal);
    } else if (word == "==" && words.size() >= 3 && words[words.size() - 3] == "currentpagedevice" &&
               words[words.size() - 2] == "/PageCount" && words.back() == "get") {
      Say(instance, std::to_string(instance.pages.size()) + "\n");
    }
    words.push_back(word);
  }
}

std::optional<std::string> ReadFile(const Instance& instance, const std::string& argument) {
  const std::filesystem::path path =
      instance.encoding == 1 ? PathFromArgument(argument) : std::filesystem::path{argument};
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  return std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" {

int GSDLLAPI gsapi_new_instance(void** instance, void* caller) {
  Record("gsapi_new_instance");
  auto* created = new Instance;
  created->caller = caller;
  *instance = created;
  return 0;
}

void GSDLLAPI gsapi_delete_instance(void* instance) {
  Record("gsapi_delete_instance");
  delete static_cast<Instance*>(instance);
}

int GSDLLAPI gsapi_set_stdio(void* handle, int(GSDLLCALL* input)(void*, char*, int),
                             int(GSDLLCALL* output)(void*, const char*, int),
                             int(GSDLLCALL* error)(void*, const char*, int)) {
  Record("gsapi_set_stdio");
  auto* instance = static_cast<Instance*>(handle);
  instance->input = input;
  instance->output = output;
  instance->error = error;
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
  auto& instance = *static_cast<Instance*>(handle);
  Record("gsapi_init_with_args " + std::to_string(count));
  bool code = false;  // after "-c", until the next switch
  for (int i = 0; i < count; ++i) {
    Record("arg " + std::string{arguments[i]});
  }
  for (int i = 1; i < count; ++i) {
    const std::string argument = arguments[i];
    constexpr std::string_view kOutput = "-sOutputFile=";
    if (argument == "-c") {
      code = true;
    } else if (argument == "-_") {
      code = false;
      if (const int result = ReadStandardInput(instance); result < 0) {
        return result;
      }
    } else if (argument.starts_with("-")) {
      code = false;
      if (argument.starts_with(kOutput)) {
        instance.outputFile = OutputName(std::string_view{argument}.substr(kOutput.size()));
      } else if (argument == "-q" || argument == "-dQUIET") {
        instance.quiet = true;
      }
    } else if (code) {
      RunCode(instance, argument);
    } else {
      const std::optional<std::string> content = ReadFile(instance, argument);
      if (!content) {
        Say(instance, "Error: /undefinedfilename in (" + argument + ")\n");
        return kUndefinedFileName;
      }
      const std::size_t before = instance.pages.size();
      if (const int result = ReadInput(instance, *content); result < 0) {
        return result;
      }
      Record("read " + argument + ", " + std::to_string(instance.pages.size() - before) + " pages");
    }
  }
  return instance.outputFile.empty() ? kUndefinedFileName : 0;
}

// Closing the device is what completes the PDF on disk.
int GSDLLAPI gsapi_exit(void* handle) {
  auto& instance = *static_cast<Instance*>(handle);
  Record("gsapi_exit");
  if (instance.outputFile.empty()) {
    return 0;
  }
  if (!vellumor::test::WriteMinimalPdf(PathFromArgument(instance.outputFile), instance.pages)) {
    Say(instance, "**** Could not write " + instance.outputFile + ": ioerror\n", true);
    return kIoError;
  }
  Record("wrote " + instance.outputFile + ", " + std::to_string(instance.pages.size()) + " pages");
  instance.outputFile.clear();
  return 0;
}

}  // extern "C"
