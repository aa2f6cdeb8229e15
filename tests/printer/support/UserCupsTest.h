#pragma once
// A fixture for tests in which the test process itself is the printing user: one scheduler of
// the suite's own, reached through CUPS_SERVER, and a home of its own for the user's lpoptions,
// emptied before each test. No printer is chosen by the environment (LPDEST, PRINTER).

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/Spooler.h"
#include "printer/support/PrivateCups.h"
#include "support/TempDir.h"

namespace vellumor::test {

class UserCupsTest : public ::testing::Test {
 protected:
  // For the suite's SetUpTestSuite: false, with the reason kept for the tests' skip, when no
  // scheduler could be started.
  static bool StartCups() {
    home_ = new TempDir;
    cups_ = PrivateCups::Start(startError_).release();
    if (cups_ == nullptr) {
      return false;
    }
    // libcups reads these once per thread, at its first call.
    ::setenv("CUPS_SERVER", cups_->Server().c_str(), 1);
    ::setenv("HOME", home_->Path().c_str(), 1);
    ::unsetenv("LPDEST");
    ::unsetenv("PRINTER");
    return true;
  }
  // For a suite whose set-up failed after the start.
  static void StopCups(std::string why) {
    startError_ = std::move(why);
    delete cups_;
    cups_ = nullptr;
  }
  static void TearDownTestSuite() {
    delete cups_;
    cups_ = nullptr;
    delete home_;
    home_ = nullptr;
  }

  void SetUp() override {
    if (cups_ == nullptr) {
      GTEST_SKIP() << "no CUPS scheduler can be started here: " << startError_;
    }
    std::filesystem::remove_all(home_->Path() / ".cups");
    printers_ = platform::MakeSystemSpooler();
  }
  void TearDown() override {
    ::unsetenv("LPDEST");
    ::unsetenv("PRINTER");
  }

  static std::string Lpoptions() { return ReadFileBytes(home_->Path() / ".cups/lpoptions"); }

  static inline TempDir* home_{nullptr};
  static inline PrivateCups* cups_{nullptr};
  static inline std::string startError_;
  std::unique_ptr<platform::Spooler> printers_;
};

}  // namespace vellumor::test
