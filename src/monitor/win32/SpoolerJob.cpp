#include "monitor/win32/SpoolerJob.h"

#include <vector>

// After windows.h: it relies on its types.
#include <winspool.h>

namespace vellumor::monitor {
namespace {

// JOB_INFO_1 with its texts, in a buffer of the size the spooler asks for.
std::vector<BYTE> JobInfo1(HANDLE printer, DWORD jobId) {
  DWORD needed = 0;
  ::GetJobW(printer, jobId, 1, nullptr, 0, &needed);
  if (needed < sizeof(JOB_INFO_1W)) {
    return {};
  }
  std::vector<BYTE> buffer(needed);
  if (!::GetJobW(printer, jobId, 1, buffer.data(), needed, &needed)) {
    return {};
  }
  return buffer;
}

std::wstring Text(const wchar_t* text) {
  return text == nullptr ? std::wstring{} : std::wstring{text};
}

class WinspoolJob final : public SpoolerJob {
 public:
  WinspoolJob(const wchar_t* printerName, DWORD jobId) : jobId_{jobId} {
    if (printerName == nullptr || !::OpenPrinterW(const_cast<wchar_t*>(printerName), &printer_, nullptr)) {
      printer_ = nullptr;
    }
  }
  ~WinspoolJob() override {
    if (printer_ != nullptr) {
      ::ClosePrinter(printer_);
    }
  }
  WinspoolJob(const WinspoolJob&) = delete;
  WinspoolJob& operator=(const WinspoolJob&) = delete;

  std::optional<JobDetails> Details() const override;
  bool Cancelled(bool knownAtStart) const override;
  void SetStatus(const std::wstring& text) const override;
  void SentToPrinter() const override;

 private:
  HANDLE printer_{nullptr};
  DWORD jobId_{0};
};

std::optional<JobDetails> WinspoolJob::Details() const {
  const std::vector<BYTE> buffer = printer_ != nullptr ? JobInfo1(printer_, jobId_) : std::vector<BYTE>{};
  if (buffer.empty()) {
    return std::nullopt;
  }
  const auto* info = reinterpret_cast<const JOB_INFO_1W*>(buffer.data());
  return JobDetails{Text(info->pUserName), Text(info->pDocument)};
}

bool WinspoolJob::Cancelled(bool knownAtStart) const {
  const std::vector<BYTE> buffer = printer_ != nullptr ? JobInfo1(printer_, jobId_) : std::vector<BYTE>{};
  if (buffer.empty()) {
    return knownAtStart;
  }
  const DWORD status = reinterpret_cast<const JOB_INFO_1W*>(buffer.data())->Status;
  return (status & (JOB_STATUS_DELETING | JOB_STATUS_DELETED | JOB_STATUS_RESTART)) != 0;
}

void WinspoolJob::SetStatus(const std::wstring& text) const {
  std::vector<BYTE> buffer = printer_ != nullptr ? JobInfo1(printer_, jobId_) : std::vector<BYTE>{};
  if (buffer.empty()) {
    return;
  }
  auto* info = reinterpret_cast<JOB_INFO_1W*>(buffer.data());
  std::wstring status = text;
  info->pStatus = status.empty() ? nullptr : status.data();
  // Leave the job where it is in the queue.
  info->Position = JOB_POSITION_UNSPECIFIED;
  ::SetJobW(printer_, jobId_, 1, buffer.data(), 0);
}

void WinspoolJob::SentToPrinter() const {
  if (printer_ != nullptr) {
    ::SetJobW(printer_, jobId_, 0, nullptr, JOB_CONTROL_SENT_TO_PRINTER);
  }
}

}  // namespace

std::unique_ptr<SpoolerJob> OpenSpoolerJob(const wchar_t* printerName, DWORD jobId) {
  return std::make_unique<WinspoolJob>(printerName, jobId);
}

}  // namespace vellumor::monitor
