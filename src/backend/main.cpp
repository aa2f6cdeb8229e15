// vellumor backend: the port of the Vellumor printer. The scheduler runs it once per job, as
// root; it converts the job by starting the vellumor program as the user who printed it, with
// the job's PostScript on standard input: in the user's desktop session when the user has one
// (the job is done once it is there), else unattended (done only when the PDF was written).
//
//   vellumor                                       the device line, for `lpinfo -v`
//   vellumor job-id user title copies options [file]

#include <cups/backend.h>
#include <cups/cups.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>

#include "backend/JobRun.h"
#include "backend/JobUser.h"
#include "backend/ProgramChoice.h"
#include "platform/FileIdentity.h"
#include "platform/Spooler.h"
#include "backend/SchedulerChannel.h"
#include "printer/ProductPrinter.h"

namespace {

using namespace vellumor;

int Fail(const std::string& reason) {
  // The scheduler logs "ERROR:" lines and shows the last one as the printer's state message.
  backend::Report(backend::LineKind::Error, reason);
  return CUPS_BACKEND_FAILED;
}

// The identity of the file a print-files job prints, from the job's options; "" when the job
// carries none (or one that is not an identity).
std::string PrintedFile(const char* jobOptions) {
  cups_option_t* options = nullptr;
  const int count = cupsParseOptions(jobOptions, 0, &options);
  const char* value = cupsGetOption(std::string{printer::kPrintedFileJobOption}.c_str(), count, options);
  const std::optional<platform::FileIdentity> identity =
      value != nullptr ? platform::FileIdentity::Parse(value) : std::nullopt;
  cupsFreeOptions(count, options);
  return identity ? identity->Text() : "";
}

std::filesystem::path OwnPath(const char* fallback) {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::path{fallback} : path;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) {
    // One file is written per job, so the device is of the "file" class.
    std::printf("file %s \"%s\" \"%s (PDF files)\"\n", std::string{platform::ProductPrinterPort()}.c_str(),
                std::string{printer::ProductPrinterName}.c_str(), std::string{printer::ProductPrinterName}.c_str());
    return CUPS_BACKEND_OK;
  }
  if (argc < 6 || argc > 7) {
    std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
    return CUPS_BACKEND_FAILED;
  }
  if (::geteuid() != 0) {
    return Fail(
        "the vellumor backend must run as root to convert as the printing user (install it owned by root, "
        "mode 0700)");
  }

  std::string error;
  const std::optional<backend::JobUser> user = backend::LookUpJobUser(argv[2], error);
  if (!user) {
    return Fail(error);
  }
  const backend::ProgramChoice choice = backend::ChooseProgram(
      {backend::ConfigurationFile(OwnPath(argv[0])), backend::SystemConfigurationFile()}, backend::InstalledProgram());
  if (!choice.error.empty()) {
    return Fail(choice.error);
  }

  // The spool file is readable by root only: it is opened here and handed over open.
  int input = STDIN_FILENO;
  if (argc == 7) {
    input = ::open(argv[6], O_RDONLY | O_CLOEXEC);
    if (input < 0) {
      return Fail(std::string{"cannot open the job file "} + argv[6]);
    }
  }
  // One PDF per job, whatever the number of copies: copies of a PDF are made by printing it.
  const backend::JobRequest request{argv[1], *user,           choice.program, argv[3], PrintedFile(argv[5]),
                                 input,   choice.timeLimit};
  const bool done = backend::RunJob(request);
  if (input != STDIN_FILENO) {
    ::close(input);
  }
  return done ? CUPS_BACKEND_OK : CUPS_BACKEND_FAILED;
}
