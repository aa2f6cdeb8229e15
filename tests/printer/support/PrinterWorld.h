#pragma once
// Everything a whole-system printing test needs: a scheduler of its own, the vellumor program
// where every user can run it, optionally the product's printer installed by the install script,
// a plain printer "Office", and a test user whose settings save every PDF into one folder.

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "printer/support/PrivateCups.h"
#include "printer/support/TestUser.h"

namespace vellumor::test {

struct PrinterWorld {
  std::unique_ptr<PrivateCups> cups;
  std::filesystem::path program;  // the shared copy of the built program
  std::unique_ptr<TestUser> user;

  // Nothing, with the reason in `error`, when the world cannot be made. `unavailable` tells that
  // this machine cannot have one at all (no scheduler can run, or not root for the test user).
  static std::unique_ptr<PrinterWorld> Make(bool installProductPrinter, std::string& error, bool& unavailable);

  // `command` as the test user against this world's scheduler.
  ProcessResult RunAsUser(const std::vector<std::string>& command) const;
  // The user's default printer as lpstat tells it ("" when none).
  std::string UserDefault() const;
  // A text file of `pages` pages and a PDF of `pages` pages in the user's home.
  std::filesystem::path TextFile(const std::string& name, int pages) const;
  std::filesystem::path PdfFile(const std::string& name, int pages) const;
  // The PDFs in the user's PDF folder and their page counts, by file name.
  std::map<std::string, int> Pdfs() const;
};

}  // namespace vellumor::test
