#pragma once
// A user account made for one test program (useradd) and removed with it (userdel), with a home
// in a test folder. Print jobs and print-files runs are made as this user, as a person would.

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "support/Process.h"

namespace vellumor::test {

class TestUser final {
 public:
  // Needs root. Nothing, with the reason in `error`, when the account cannot be made. `suffix`
  // tells apart the users of one test program.
  static std::unique_ptr<TestUser> Create(const std::filesystem::path& homeParent, std::string& error,
                                          std::string_view suffix = "");
  ~TestUser();
  TestUser(const TestUser&) = delete;
  TestUser& operator=(const TestUser&) = delete;

  const std::string& Name() const { return name_; }
  uid_t Uid() const { return uid_; }
  gid_t Gid() const { return gid_; }
  const std::filesystem::path& Home() const { return home_; }
  // Where the user's settings say the PDFs go (set up by Create).
  std::filesystem::path PdfFolder() const { return home_ / "pdfs"; }
  std::filesystem::path RegistryFolder() const { return home_ / ".config/vellumor/registry"; }

  // Stores a setting in the user's product key, as the settings editor would.
  void SetSetting(std::string_view name, std::string_view value) const;
  // Gives `path` (and what it holds) to the user.
  void Own(const std::filesystem::path& path) const;
  // `command` run as the user, with the user's home and no display.
  ProcessResult Run(const std::vector<std::string>& command, ProcessOptions options) const;

 private:
  TestUser() = default;

  std::string name_;
  uid_t uid_{0};
  gid_t gid_{0};
  std::filesystem::path home_;
};

}  // namespace vellumor::test
