#pragma once
// One print job on the port, from StartDocPort to EndDocPort: the program started for it, the
// job's bytes written into its input, and at the end the program told whether the job is whole.

#include <memory>
#include <optional>
#include <string>

#include "monitor/win32/JobProgram.h"
#include "monitor/win32/SpoolerJob.h"

namespace vellumor::monitor {

class PortJob final {
 public:
  // Starts the program for job `jobId` of `printerName`; nothing when the job is refused, and then
  // the print queue shows why beside the job and the system's last error is set.
  static std::unique_ptr<PortJob> Start(SpoolerJobSource spooler, const wchar_t* printerName, DWORD jobId,
                                        const wchar_t* documentName);

  // Writes the bytes on to the program; false when it is gone (the job failed, and the queue
  // says so beside it).
  bool Write(const BYTE* bytes, DWORD size, DWORD* written);
  // The spooler sent everything: the program gets the end of a whole job, or, when the job was
  // cancelled, restarted or failed meanwhile (the program ended before it), the word that it was
  // not. Does not wait for the program, which goes on with its windows.
  void End();
  // The port closed without the end of the job: whatever the program received is dropped.
  void Abandon();

 private:
  PortJob(std::unique_ptr<SpoolerJob> job, bool known, JobProgram program);
  bool ProgramEnded() const;
  // The job failed: the queue is told why, once.
  void Fail();

  std::unique_ptr<SpoolerJob> job_;
  JobProgram program_;
  bool known_{false};  // the spooler knew the job when it started
  bool failed_{false};
  bool ended_{false};
};

}  // namespace vellumor::monitor
