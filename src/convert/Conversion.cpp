#include "convert/Conversion.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <vector>

#include "convert/AfterCreation.h"
#include "convert/EngineArguments.h"
#include "convert/JobIntake.h"
#include "convert/MarksFile.h"
#include "convert/OutputNaming.h"
#include "convert/Progress.h"

namespace vellumor::convert {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxErrorText = 4096;

bool CanOpenForReading(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return false;
  }
  ::close(fd);
  return true;
}

// Renames without ever replacing a file that is already there.
bool RenameNoReplace(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno != EINVAL && errno != ENOSYS) {
    return false;
  }
  // File systems without that flag: a hard link fails when the name is taken.
  if (::link(from.c_str(), to.c_str()) != 0) {
    return false;
  }
  ::unlink(from.c_str());
  return true;
}

// Two jobs appending to the same PDF at the same moment would each move the old file aside and
// one job's pages would be lost; the output folder is locked for the whole append.
class FolderLock final {
 public:
  explicit FolderLock(const fs::path& folder) : fd_{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)} {
    if (fd_ >= 0) {
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

// Moves the existing PDF to "<output>_append.pdf", or to the first free "<output>_appendN.pdf"
// when a file of that name is left over from an earlier run (merging it would lose the PDF).
std::optional<fs::path> MoveAsideForAppend(const fs::path& output) {
  for (int attempt = 1; attempt <= 100; ++attempt) {
    const std::string suffix = attempt == 1 ? "_append.pdf" : "_append" + std::to_string(attempt) + ".pdf";
    const fs::path candidate = output.string() + suffix;
    if (RenameNoReplace(output, candidate)) {
      return candidate;
    }
    if (errno != EEXIST) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

// The engine writes into a new file beside the PDF that is renamed over it only when the
// conversion succeeded, so a failed run never leaves a broken file or destroys the old one. The
// name also keeps "%" in the user's file name from being taken as a page-number pattern.
std::optional<fs::path> ReserveEngineOutput(const fs::path& output) {
  std::string pattern = (output.parent_path() / ".vellumor-XXXXXX.pdf").string();
  const int fd = ::mkstemps(pattern.data(), 4);
  if (fd < 0) {
    return std::nullopt;
  }
  ::close(fd);
  return fs::path{pattern};
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

// The file mode a newly created file gets under the process's umask.
void GiveNewFileMode(const fs::path& path) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::chmod(path.c_str(), 0666 & ~mask);
}

// Collects what the engine says while it runs: the latest output chunk feeds the progress
// display; the error text is kept to tell the user why a conversion failed.
class ConversionListener final : public EngineListener {
 public:
  ConversionListener(MainWindowState& state, platform::UserInteraction& ui) : state_{state}, ui_{ui} {}

  void OnEngineOutput(std::string_view text) override {
    engineOutputText_.assign(text);
    Keep(output_, text);
    OnProgressTick(state_, ui_, engineOutputText_);
  }
  void OnEngineError(std::string_view text) override { Keep(errors_, text); }

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

 private:
  static void Keep(std::string& kept, std::string_view text) {
    kept.append(text);
    if (kept.size() > kMaxErrorText) {
      kept.erase(0, kept.size() - kMaxErrorText);
    }
  }

  MainWindowState& state_;
  platform::UserInteraction& ui_;
  std::string engineOutputText_;
  std::string output_;
  std::string errors_;
};

void ReportFailure(platform::UserInteraction& ui, std::string_view detail) {
  std::string text{kConversionFailedMessage};
  if (!detail.empty()) {
    text += "\n\n";
    text += detail;
  }
  ui.ShowMessage(text, platform::MessageStyle::Application);
}

}  // namespace

ConversionOutcome RunConversion(MainWindowState& state, const Services& services) {
  platform::UserInteraction& ui = services.ui;
  const settings::Settings& s = state.settings;

  int code = 0;
  std::unique_ptr<EngineInstance> engine = services.engine.NewInstance(code);
  if (!engine) {
    ui.ShowMessage(kEngineInitMessage, platform::MessageStyle::System);
    return {ConversionResult::EngineUnavailable, {}};
  }
  std::vector<std::string> arguments = BuildEngineArguments(s);

  const std::optional<OutputPath> resolved = ResolveOutputPath(state, services);
  if (!resolved) {
    engine.reset();
    ui.ShowMessage(kNoFileNameMessage, platform::MessageStyle::Application);
    return {ConversionResult::NoFileName, {}};
  }
  if (!resolved->failure.empty()) {
    engine.reset();
    ReportFailure(ui, resolved->failure);
    return {ConversionResult::Failed, {}};
  }
  const fs::path output = fs::absolute(resolved->path);

  const bool append = s.AdvAppend == settings::entries::kAppendToExisting;
  std::optional<FolderLock> appendLock;
  if (append) {
    appendLock.emplace(output.parent_path());
  }
  std::optional<fs::path> appendSource;
  if (append && CanOpenForReading(output)) {
    appendSource = MoveAsideForAppend(output);
    if (!appendSource) {
      engine.reset();
      ui.ShowMessage(kAppendMoveFailedMessage, platform::MessageStyle::Application);
      return {ConversionResult::Failed, output};
    }
  }
  // Puts the old PDF back where it was when the new one is not written.
  auto restoreAppendSource = [&] {
    if (appendSource) {
      ::rename(appendSource->c_str(), output.c_str());
    }
  };

  if (s.AdvAskOverwrite != 0 && !resolved->fromSaveDialog && CanOpenForReading(output) &&
      !ui.AskYesNo(kOverwriteQuestion)) {
    return {ConversionResult::OverwriteDeclined, output};
  }

  const std::optional<fs::path> engineOutput = ReserveEngineOutput(output);
  arguments.push_back("-sOutputFile=" + (engineOutput ? engineOutput->string() : EscapePercent(output.string())));
  if (appendSource) {
    arguments.push_back(appendSource->string());
  }
  arguments.push_back(state.JobFilePath.string());
  const std::optional<fs::path> marks = WriteMarksFile(services.temp, s, kProducer);
  if (marks) {
    arguments.push_back(marks->string());
  }

  ClearEngineEnvironment(services.environment);
  ConversionListener listener{state, ui};
  engine->SetStdio(listener);
  const int initCode = engine->InitWithArgs(arguments);
  const int exitCode = engine->Exit();
  const int result = (initCode == 0 || initCode == kEngineQuit) ? exitCode : initCode;
  engine.reset();

  if (marks) {
    std::error_code ignored;
    fs::remove(*marks, ignored);
    // The reservation that made the marks file's name unique.
    const std::string reservation = marks->string();
    fs::remove(reservation.substr(0, reservation.size() - std::string_view{".mark.txt"}.size()), ignored);
  }

  std::string failure;
  if (result == kEngineFatal) {
    // The interpreter ends this way also when the job itself has an error; its own words go to
    // the diagnostic output beside the fixed text.
    ui.ShowMessage(kFatalEngineMessage, platform::MessageStyle::ApplicationNoIcon);
    DiagnosticOutput(listener.ErrorText());
  } else if (result < 0) {
    failure = listener.ErrorText();
    if (failure.empty()) {
      failure = "Ghostscript returned " + std::to_string(result) + ".";
    }
  } else if (engineOutput) {
    std::error_code error;
    if (fs::file_size(*engineOutput, error) == 0 || error) {
      failure = "The print job produced no pages.";
    } else if (::rename(engineOutput->c_str(), output.c_str()) != 0) {
      failure = "The PDF could not be saved as " + output.string() + ".";
    } else {
      GiveNewFileMode(output);
    }
  }

  if (result < 0 || !failure.empty()) {
    if (engineOutput) {
      std::error_code ignored;
      fs::remove(*engineOutput, ignored);
    } else {
      std::error_code ignored;
      fs::remove(output, ignored);
    }
    restoreAppendSource();
    if (result != kEngineFatal) {
      ReportFailure(ui, failure);
    }
    return {ConversionResult::Failed, output};
  }

  if (appendSource) {
    std::error_code ignored;
    fs::remove(*appendSource, ignored);
  }
  PerformAfterCreation(state, services, output);
  return {ConversionResult::Written, output};
}

ConversionOutcome CreatePdf(MainWindowState& state, const Services& services) {
  platform::UserInteraction& ui = services.ui;
  const bool showProgress = state.settings.AdvShowProgress != 0;
  if (showProgress) {
    ui.SetProgressBarVisible(true);
    ui.SetProgressBarPosition(1);
    ui.PumpMessages();
    state.ProgressStep = 2;
    ui.PumpMessages();
    StepProgressBar(state, ui);
  } else {
    ui.SetProgressBarVisible(false);
  }

  ConversionOutcome outcome{ConversionResult::NoJobFile, {}};
  if (JobFileExists(state)) {
    outcome = RunConversion(state, services);
  } else {
    if (ui.ProgressWindowExists()) {
      ui.DestroyProgressWindow();
    }
    ui.ShowMessage(kNoJobFileMessage, platform::MessageStyle::Application);
  }

  ui.SetProgressBarVisible(false);
  ui.PumpMessages();
  if (ui.ProgressWindowExists()) {
    ui.DestroyProgressWindow();
  }
  return outcome;
}

}  // namespace vellumor::convert
