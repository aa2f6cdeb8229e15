#pragma once
// The spooler's view of the one job the port is printing: who printed it and under which name,
// whether it was cancelled meanwhile, and the status line the print queue shows for it.

#include <memory>
#include <optional>
#include <string>

#include "platform/win32/WindowsApi.h"

namespace vellumor::monitor {

struct JobDetails {
  std::wstring owner;     // the user who printed the job, as the spooler records it
  std::wstring document;  // the document's name
};

// The spooler's side of one job. The port reaches it only through this, so that a harness can
// stand in for what a spooler cannot be made to do on demand (cancel a job half sent).
class SpoolerJob {
 public:
  virtual ~SpoolerJob() = default;

  // Nothing when the spooler does not know the job (any more).
  virtual std::optional<JobDetails> Details() const = 0;
  // Deleted, being deleted, to be restarted from its start, or gone although the spooler knew it
  // when it started (`knownAtStart`): what the port received of it must not become a document.
  // (Wine's spooler hands the port jobs it no longer lists; only its word counts there.)
  virtual bool Cancelled(bool knownAtStart) const = 0;
  // The text the print queue shows beside the job; "" clears it.
  virtual void SetStatus(const std::wstring& text) const = 0;
  // The whole job went out: the spooler may take it off the queue.
  virtual void SentToPrinter() const = 0;
};

// How the port reaches a job: the spooler's own, through winspool (OpenSpoolerJob), in the DLL.
using SpoolerJobSource = std::unique_ptr<SpoolerJob> (*)(const wchar_t* printerName, DWORD jobId);
std::unique_ptr<SpoolerJob> OpenSpoolerJob(const wchar_t* printerName, DWORD jobId);

}  // namespace vellumor::monitor
