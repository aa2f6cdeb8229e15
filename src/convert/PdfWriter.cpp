#include "convert/PdfWriter.h"

#include <fstream>

#include "convert/EngineEnvironment.h"
#include "convert/EngineRun.h"
#include "convert/MarksFile.h"
#include "convert/PdfCheck.h"
#include "platform/OutputTarget.h"
#include "platform/ScratchFolder.h"
#include "platform/StagedFile.h"
#include "platform/WritingTurn.h"

namespace vellumor::convert {
namespace {

namespace fs = std::filesystem;

// Each attempt that loses the race for a free name appends to (or replaces) the file that won.
constexpr int kMaxAttempts = 20;

bool CanOpenForReading(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return file.is_open();
}

struct KnownPdf {
  PdfReport report;
  std::string password;
};

// The PDFs here carry the passwords of the security settings: the open password, or the
// permissions password, which opens the file as well.
KnownPdf OpenWithSettingsPasswords(const fs::path& pdf, const settings::Settings& s, bool strict) {
  KnownPdf known{CheckPdf(pdf, "", strict), ""};
  for (const std::string* password : {&s.SecOpenPassword, &s.SecPermPassword}) {
    if (!known.report.needsPassword || password->empty()) {
      continue;
    }
    known = {CheckPdf(pdf, *password, strict), *password};
  }
  return known;
}

std::string SavedAsFailure(const fs::path& output) {
  return "The PDF could not be saved as " + output.string() + ".";
}

// What is wrong with the engine's output, "" when it may replace the old file.
std::string CheckEngineOutput(const fs::path& written, const EngineRunResult& run, std::optional<int> oldPages,
                              const settings::Settings& s) {
  if (run.writeFailed) {
    return "The PDF was not written completely.\n" + run.errorText;
  }
  std::error_code error;
  if (fs::file_size(written, error) == 0 || error) {
    return "The print job produced no pages.";
  }
  const PdfReport report = OpenWithSettingsPasswords(written, s, true).report;
  if (!report.opened || !report.whole) {
    return "The PDF was not written completely (" + report.problem + ").";
  }
  if (report.pages == 0) {
    return "The print job produced no pages.";
  }
  // The engine read every old page exactly when its device held that many pages before the
  // job began; a job that ended with "quit" leaves no count after it, and then it has at least
  // added a page.
  const bool oldPagesKept = !oldPages || run.pagesBeforeJob == oldPages;
  const bool pagesAllThere =
      run.pagesAfterJob ? report.pages == *run.pagesAfterJob : report.pages > oldPages.value_or(0);
  if (!oldPagesKept || !pagesAllThere) {
    return oldPages ? "The new PDF did not hold every page of the existing PDF; the existing PDF was kept."
                    : "The new PDF did not hold every page of the job.";
  }
  return "";
}

}  // namespace

PdfWriter::PdfWriter(JobState& state, const Services& services, std::vector<std::string> switches, fs::path output,
                     bool askOverwrite)
    : state_{state},
      services_{services},
      switches_{std::move(switches)},
      output_{std::move(output)},
      askOverwrite_{askOverwrite} {}

ConversionResult PdfWriter::Write(std::unique_ptr<EngineInstance> engine) {
  const settings::Settings& s = state_.settings;
  platform::UserInteraction& ui = services_.ui;
  const bool append = s.AdvAppend == settings::entries::kAppendToExisting;
  bool asked = false;
  std::unique_ptr<platform::WritingTurn> turn;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    // Appending never asks: the old pages stay in the new file.
    if (!append && askOverwrite_ && !asked && CanOpenForReading(output_)) {
      asked = true;
      if (!ui.AskYesNo(kOverwriteQuestion)) {
        return ConversionResult::OverwriteDeclined;
      }
    }
    if (services_.Cancelled()) {
      return ConversionResult::Cancelled;
    }
    if (!turn) {
      // Taken after the question: a job waiting for its user keeps no other job waiting.
      platform::WritingTurn::Outcome outcome{};
      turn = platform::WritingTurn::Take(services_.temp.Path(), output_, services_.cancellation, outcome);
      if (outcome == platform::WritingTurn::Outcome::Cancelled) {
        return ConversionResult::Cancelled;
      }
    }
    platform::OutputTarget target = platform::OutputTarget::Open(output_, services_.cancellation);
    using State = platform::OutputTarget::State;
    switch (target.Status()) {
      case State::Missing:
      case State::Locked:
        break;
      case State::SymbolicLink:
        // Following it would put the content of whatever it points at into the PDF; replacing
        // the link itself is what overwriting does.
        if (append) {
          return Fail(output_.string() + " is a symbolic link; nothing was appended to it.");
        }
        break;
      case State::Protected:
        return Fail(SavedAsFailure(output_));
      case State::Unusable:
        return Fail(SavedAsFailure(output_) + " " + target.Error());
      case State::Cancelled:
        return ConversionResult::Cancelled;
    }
    const bool exists = target.Status() != State::Missing;

    EngineJob job{switches_, {}, {}, {}, state_.JobFilePath, {}};
    std::optional<int> oldPages;
    if (append && target.Status() == State::Locked) {
      const KnownPdf old = OpenWithSettingsPasswords(target.ReadablePath(), s, false);
      if (!old.report.opened) {
        return Fail(old.report.needsPassword
                        ? "The existing PDF " + output_.string() +
                              " needs a password that the security settings do not hold; "
                              "nothing was appended to it."
                        : "The existing PDF " + output_.string() + " could not be read: " + old.report.problem);
      }
      oldPages = old.report.pages;
      job.appendSource = target.ReadablePath();
      job.appendPassword = old.password;
    }

    if (!engine && !(engine = NewEngineOrReport(services_))) {
      return ConversionResult::EngineUnavailable;
    }
    if (services_.journal != nullptr) {
      services_.journal->WillCreateIn(output_.parent_path());
    }
    std::string error;
    std::optional<platform::StagedFile> staged = platform::StagedFile::Create(
        output_.parent_path(), services_.journal != nullptr ? services_.journal->Tag() : "", ".pdf", error);
    if (!staged) {
      return Fail(SavedAsFailure(output_) + " " + error);
    }
    job.output = staged->Path();
    job.marks = WriteMarks();

    ClearEngineEnvironment(services_.environment);
    EngineRunResult run;
    {
      // The engine keeps parts of the PDF in TMPDIR while it works.
      const std::unique_ptr<platform::ScratchFolder> scratch =
          services_.journal != nullptr ? platform::ScratchFolder::Create(services_.journal->OwnFolder("gs")) : nullptr;
      run = RunEngine(*engine, job, state_, ui, services_.cancellation);
      engine.reset();
    }
    RemoveMarks(job.marks);
    // A cancellation that stopped the engine stays requested.
    if (services_.Cancelled()) {
      return ConversionResult::Cancelled;
    }
    if (run.code == kEngineFatal) {
      // The interpreter ends this way also when the job itself has an error; its own words go
      // to the diagnostic output beside the fixed text.
      ui.ShowMessage(kFatalEngineMessage, platform::MessageStyle::ApplicationNoIcon);
      DiagnosticOutput(run.errorText);
      return ConversionResult::Failed;
    }
    if (run.code < 0) {
      return Fail(run.errorText.empty() ? "Ghostscript returned " + std::to_string(run.code) + "." : run.errorText);
    }
    if (const std::string failure = CheckEngineOutput(staged->Path(), run, oldPages, s); !failure.empty()) {
      return Fail(failure);
    }

    if (target.Status() == State::Locked) {
      // What the user set on the old file stays: a private PDF stays private.
      staged->SetOwnership(target.Mode(), target.Owner(), target.Group());
    } else {
      staged->SetOwnership(platform::NewFileMode(), std::nullopt, std::nullopt);
    }
    if (!staged->Sync()) {
      return Fail(SavedAsFailure(output_));
    }
    if (services_.Cancelled()) {
      return ConversionResult::Cancelled;
    }
    if (oldPages && !target.Unchanged()) {
      continue;  // the file read is no longer the one at the name: the job goes after the new one
    }
    switch (staged->PublishAs(output_, exists, error)) {
      case platform::StagedFile::Publish::Done:
        return ConversionResult::Written;
      case platform::StagedFile::Publish::NameTaken:
        continue;  // another job created the PDF meanwhile; this job goes after it
      case platform::StagedFile::Publish::Failed:
        return Fail(SavedAsFailure(output_));
    }
  }
  return Fail(SavedAsFailure(output_));
}

std::optional<fs::path> PdfWriter::WriteMarks() {
  if (services_.journal != nullptr) {
    services_.journal->WillCreateTemporary();
  }
  std::optional<fs::path> marks = WriteMarksFile(services_.temp, state_.settings, kProducer);
  if (services_.journal != nullptr && marks) {
    services_.journal->CreatedTemporary(MarksReservation(*marks));
  } else if (services_.journal != nullptr) {
    services_.journal->CreatedNoTemporary();  // and the reservation is gone again
  }
  return marks;
}

void PdfWriter::RemoveMarks(const std::optional<fs::path>& marks) {
  if (!marks) {
    return;
  }
  std::error_code ignored;
  fs::remove(*marks, ignored);
  fs::remove(MarksReservation(*marks), ignored);
}

ConversionResult PdfWriter::Fail(std::string_view detail) {
  if (services_.Cancelled()) {
    return ConversionResult::Cancelled;
  }
  ReportConversionFailure(services_.ui, detail);
  return ConversionResult::Failed;
}

}  // namespace vellumor::convert
