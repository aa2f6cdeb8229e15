#include "monitor/win32/PortJob.h"

#include "monitor/win32/JobOwner.h"
#include "monitor/win32/MonitorKey.h"

namespace vellumor::monitor {
namespace {

constexpr wchar_t kStatusPrefix[] = L"Vellumor: ";

}  // namespace

PortJob::PortJob(std::unique_ptr<SpoolerJob> job, bool known, JobProgram program)
    : job_{std::move(job)}, program_{std::move(program)}, known_{known} {}

std::unique_ptr<PortJob> PortJob::Start(SpoolerJobSource spooler, const wchar_t* printerName, DWORD jobId,
                                        const wchar_t* documentName) {
  std::unique_ptr<SpoolerJob> job = spooler(printerName, jobId);
  const std::optional<JobDetails> details = job->Details();
  std::wstring document = documentName != nullptr && *documentName != L'\0' ? std::wstring{documentName}
                          : details                                         ? details->document
                                                                            : std::wstring{};
  std::wstring refusal;
  OwnerToken owner = TokenOfJobOwner(details ? details->owner : std::wstring{});
  std::optional<JobProgram> program;
  if (!owner.token.Valid()) {
    refusal = owner.refusal;
  } else if (const std::optional<std::filesystem::path> path = JobProgramPath(); !path) {
    refusal = L"the port has no program to start; reinstall Vellumor";
  } else {
    program = JobProgram::Start(owner.token.Get(), *path, document, refusal);
  }
  if (!program) {
    job->SetStatus(kStatusPrefix + refusal);
    ::SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return std::unique_ptr<PortJob>{new PortJob{std::move(job), details.has_value(), std::move(*program)}};
}

bool PortJob::Write(const BYTE* bytes, DWORD size, DWORD* written) {
  // A program that ended cannot take the rest of the job, even where the pipe still takes bytes
  // into its buffer for a moment after the reader is gone.
  *written = failed_ || ProgramEnded() ? 0 : program_.Write(bytes, size);
  if (*written == size) {
    return true;
  }
  Fail();
  ::SetLastError(ERROR_BROKEN_PIPE);
  return false;
}

void PortJob::End() {
  if (ended_) {
    return;
  }
  ended_ = true;
  // The program sees the end of its input only now: one that ended before has not read the job.
  if (!failed_ && ProgramEnded()) {
    Fail();
  }
  if (failed_ || job_->Cancelled(known_)) {
    program_.Cancel();
  } else {
    program_.Finish();
  }
  job_->SentToPrinter();
}

bool PortJob::ProgramEnded() const {
  return program_.ExitCode().has_value();
}

void PortJob::Fail() {
  if (failed_) {
    return;
  }
  failed_ = true;
  const std::optional<DWORD> code = program_.ExitCode();
  job_->SetStatus(std::wstring{kStatusPrefix} + L"the program ended before it had the whole job" +
                  (code ? L" (exit code " + std::to_wstring(*code) + L")" : std::wstring{}));
}

void PortJob::Abandon() {
  if (!ended_) {
    ended_ = true;
    program_.Cancel();
  }
}

}  // namespace vellumor::monitor
