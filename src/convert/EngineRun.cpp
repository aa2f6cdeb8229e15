#include "convert/EngineRun.h"

#include <fstream>

#include "convert/Progress.h"
#include "platform/PathText.h"

namespace vellumor::convert {
namespace {

constexpr std::size_t kMaxErrorText = 4096;
constexpr std::size_t kMaxLine = 256;

// The output device's page count, printed on a line of its own. systemdict comes first so
// that nothing the job defined can stand in for the operators.
constexpr std::string_view kPagesMarker = "%%VellumorPages: ";
std::string PageCountProbe(std::string_view when) {
  return "systemdict begin (\\n" + std::string{kPagesMarker} + std::string{when} +
         " ) print currentpagedevice /PageCount get == flush end";
}

// Ghostscript reads "%" in an output name as a page-number pattern; "%%" is a plain "%".
std::string EscapePercent(std::string_view path) {
  std::string escaped;
  for (const char c : path) {
    escaped += c;
    if (c == '%') {
      escaped += '%';
    }
  }
  return escaped;
}

std::optional<int> ParseCount(std::string_view text) {
  int value = 0;
  bool any = false;
  for (const char c : text) {
    if (c < '0' || c > '9' || value > 100'000'000) {
      break;
    }
    value = value * 10 + (c - '0');
    any = true;
  }
  return any ? std::optional<int>{value} : std::nullopt;
}

// Collects what the engine says while it runs: the latest output chunk feeds the progress
// display; the error text is kept to tell the user why a conversion failed; the page counts
// are picked out of the output; and the job is handed over as the engine reads it.
class ConversionListener final : public EngineListener {
 public:
  ConversionListener(JobState& state, platform::UserInteraction& ui, const platform::Cancellation* cancellation,
                     const std::filesystem::path& job)
      : state_{state}, ui_{ui}, cancellation_{cancellation}, job_{job, std::ios::binary} {}

  void OnEngineOutput(std::string_view text) override {
    Keep(output_, text);
    ScanLines(text);
    OnProgressTick(state_, ui_, text);
  }
  void OnEngineError(std::string_view text) override { Keep(errors_, text); }

  int OnEngineInput(char* buffer, int length) override {
    if (Cancelled() || !job_.is_open()) {
      return -1;
    }
    job_.read(buffer, length);
    if (job_.bad()) {
      return -1;
    }
    return static_cast<int>(job_.gcount());
  }
  bool OnEnginePoll() override { return !Cancelled(); }

  bool Cancelled() const { return cancellation_ != nullptr && cancellation_->Requested(); }

  // The interpreter's own error line (it prints that on standard output) followed by what it
  // wrote to standard error.
  std::string ErrorText() const {
    std::string text;
    if (const std::size_t at = output_.rfind("Error:"); at != std::string::npos) {
      text = output_.substr(at, output_.find('\n', at) - at);
    }
    std::string errors = errors_;
    while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r' || errors.back() == ' ')) {
      errors.pop_back();
    }
    if (!errors.empty()) {
      text += text.empty() ? errors : "\n" + errors;
    }
    return text;
  }
  // Writing the output failed somewhere; the engine says so but may still end with success.
  bool WriteFailed() const { return errors_.find("ioerror") != std::string::npos; }

  std::optional<int> pagesBefore;
  std::optional<int> pagesAfter;

 private:
  static void Keep(std::string& kept, std::string_view text) {
    kept.append(text);
    if (kept.size() > kMaxErrorText) {
      kept.erase(0, kept.size() - kMaxErrorText);
    }
  }

  void ScanLines(std::string_view text) {
    for (const char c : text) {
      if (c != '\n') {
        if (line_.size() < kMaxLine) {
          line_ += c;
        }
        continue;
      }
      if (line_.starts_with(kPagesMarker)) {
        const std::string_view rest = std::string_view{line_}.substr(kPagesMarker.size());
        // The first "before" is printed before the job runs; the job could print lookalikes
        // only after it. The "after" count is printed last, so the last one counts.
        if (rest.starts_with("before ") && !pagesBefore) {
          pagesBefore = ParseCount(rest.substr(7));
        } else if (rest.starts_with("after ")) {
          pagesAfter = ParseCount(rest.substr(6));
        }
      }
      line_.clear();
    }
  }

  JobState& state_;
  platform::UserInteraction& ui_;
  const platform::Cancellation* cancellation_;
  std::ifstream job_;
  std::string output_;
  std::string errors_;
  std::string line_;
};

}  // namespace

std::vector<std::string> EngineRunArguments(const EngineJob& job) {
  std::vector<std::string> arguments = job.switches;
  arguments.push_back("-sOutputFile=" + EscapePercent(platform::Utf8FromPath(job.output)));
  if (job.appendSource) {
    if (!job.appendPassword.empty()) {
      arguments.push_back("-sPDFPassword=" + job.appendPassword);
    }
    arguments.push_back(platform::Utf8FromPath(*job.appendSource));
  }
  arguments.emplace_back("-c");
  arguments.push_back(PageCountProbe("before"));
  arguments.emplace_back(kEngineStandardInput);
  if (job.marks) {
    arguments.push_back(platform::Utf8FromPath(*job.marks));
  }
  arguments.emplace_back("-c");
  arguments.push_back(PageCountProbe("after"));
  return arguments;
}

EngineRunResult RunEngine(EngineInstance& engine, const EngineJob& job, JobState& state, platform::UserInteraction& ui,
                          const platform::Cancellation* cancellation) {
  ConversionListener listener{state, ui, cancellation, job.job};
  engine.SetStdio(listener);
  const int initCode = engine.InitWithArgs(EngineRunArguments(job));
  const int exitCode = engine.Exit();
  EngineRunResult result;
  result.code = (initCode == 0 || initCode == kEngineQuit) ? exitCode : initCode;
  result.errorText = listener.ErrorText();
  result.writeFailed = listener.WriteFailed();
  result.pagesBeforeJob = listener.pagesBefore;
  result.pagesAfterJob = listener.pagesAfter;
  return result;
}

}  // namespace vellumor::convert
