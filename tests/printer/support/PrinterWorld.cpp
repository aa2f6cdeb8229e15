#include "printer/support/PrinterWorld.h"

#include <unistd.h>

#include "support/PdfFacts.h"
#include "support/Sandbox.h"

namespace vellumor::test {

std::unique_ptr<PrinterWorld> PrinterWorld::Make(bool installProductPrinter, std::string& error, bool& unavailable) {
  unavailable = true;
  if (::geteuid() != 0) {
    error = "printing as a test user needs root";
    return nullptr;
  }
  auto world = std::make_unique<PrinterWorld>();
  world->cups = PrivateCups::Start(error);
  if (!world->cups) {
    error = "no CUPS scheduler can be started here: " + error;
    return nullptr;
  }
  unavailable = false;
  world->user = TestUser::Create(world->cups->Folder() / "home", error);
  if (!world->user) {
    return nullptr;
  }
  world->program = SharedProgramCopy(world->cups->Folder() / "program", VELLUMOR_BINARY);
  if (installProductPrinter) {
    const ProcessResult installed = world->cups->InstallProductPrinter(world->program);
    if (installed.exitCode != 0) {
      error = "install-printer.sh failed: " + installed.out + installed.err;
      return nullptr;
    }
  }
  world->cups->AddPlainPrinter("Office");
  return world;
}

ProcessResult PrinterWorld::RunAsUser(const std::vector<std::string>& command) const {
  return user->Run(command, cups->Options());
}

std::string PrinterWorld::UserDefault() const {
  const std::string answer = RunAsUser({"lpstat", "-d"}).out;
  const std::string prefix = "system default destination: ";
  if (answer.rfind(prefix, 0) != 0) {
    return "";
  }
  return answer.substr(prefix.size(), answer.find('\n') - prefix.size());
}

std::filesystem::path PrinterWorld::TextFile(const std::string& name, int pages) const {
  std::string text;
  for (int page = 1; page <= pages; ++page) {
    text += (page > 1 ? "\f" : "") + std::string{"Page "} + std::to_string(page) + " of " + name + "\n";
  }
  const std::filesystem::path file = user->Home() / name;
  WriteFileBytes(file, text);
  user->Own(file);
  return file;
}

std::filesystem::path PrinterWorld::PdfFile(const std::string& name, int pages) const {
  const TempDir scratch;
  const std::filesystem::path job = MakeGroffJob(scratch.Path(), "job", pages);
  const std::filesystem::path file = user->Home() / name;
  RunProcess({"gs", "-q", "-dBATCH", "-dNOPAUSE", "-dSAFER", "-sDEVICE=pdfwrite", "-sOutputFile=" + file.string(),
              job.string()});
  user->Own(file);
  return file;
}

std::map<std::string, int> PrinterWorld::Pdfs() const {
  std::map<std::string, int> pdfs;
  for (const std::filesystem::path& pdf : Sandbox::FilesIn(user->PdfFolder(), ".pdf")) {
    pdfs[pdf.filename().string()] = InspectPdf(pdf).pages;
  }
  return pdfs;
}

}  // namespace vellumor::test
