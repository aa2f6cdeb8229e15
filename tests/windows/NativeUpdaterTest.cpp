// Updater.dll as the program calls it, under Wine on a display of its own: a due check reads both
// pages from a web server on 127.0.0.1 and offers the new version in its window; a network
// failure is told and leaves the status window on the screen until the user closes it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "platform/Environment.h"
#include "platform/PathText.h"
#include "platform/Registry.h"
#include "platform/win32/RegistryAccess.h"
#include "platform/win32/WideText.h"
#include "support/TempDir.h"
#include "support/TestHttpServer.h"
#include "support/WindowDriver.h"
#include "updater/Update.h"

namespace vellumor::platform {
namespace {

using test::PressButton;
using test::WaitForWindow;
using ::testing::StartsWith;

constexpr std::string_view kProductKey = "SOFTWARE\\Corvane Software\\Vellumor";

class NativeUpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SetEnvironmentVariable("VELLUMOR_REGISTRY", Utf8FromPath(registry_.Folder())));
    // Checked a year ago, every seven days: due.
    ASSERT_EQ(registry_.SetValues(RegistryRoot::LocalMachine, kProductKey,
                                  std::vector<RegistryValue>{{"AdvCheckUpdate", kRegSz, "7 days"},
                                                             {"AdvLastUpdateCheck", kRegSz, "1700000000"}}),
              win_error::kSuccess);
    library_ = ::LoadLibraryW((ProgramFolder() / "Updater.dll").c_str());
    ASSERT_NE(library_, nullptr);
    // Through void*: the system hands every export out as the same function type.
    update_ = reinterpret_cast<UpdateFunction*>(reinterpret_cast<void*>(::GetProcAddress(library_, "Update")));
    ASSERT_NE(update_, nullptr);
  }
  void TearDown() override {
    if (library_ != nullptr) {
      ::FreeLibrary(library_);
    }
    DeletePrivateRegistry(registry_.Folder());
  }

  std::string LastCheck() {
    std::vector<RegistryValue> values;
    // The program writes the settings to the user's own layer; the machine's holds the defaults.
    registry_.ListValues(platform::UserSettingsRoot(), kProductKey, values);
    for (const RegistryValue& value : values) {
      if (value.name == "AdvLastUpdateCheck") {
        return value.data;
      }
    }
    return "";
  }

  int Call(const std::string& productPage, const std::string& portalPage) {
    return update_("Vellumor", "1.06", "Vellumor", productPage.c_str(), portalPage.c_str(), "", 0, 0);
  }

  test::TempDir dir_;
  Registry registry_{dir_.Path() / "registry"};
  HMODULE library_{nullptr};
  UpdateFunction* update_{nullptr};
};

TEST_F(NativeUpdaterTest, ADueCheckOffersTheVersionBothPagesShow) {
  test::TestHttpServer server;
  server.Serve("/index.htm", test::TestHttpServer::Page("<META NAME=\"Version\" CONTENT=\"1.07\">"));
  server.Serve("/Vellumor3041587.htm", test::TestHttpServer::Page("<b>Version:</b> 1.07 <br>"));
  std::wstring offerLine;
  // The offer waits for the user inside the call: another thread answers it, "Not now".
  std::thread user([&offerLine] {
    HWND offer = WaitForWindow(L"New Version Available", ::GetCurrentProcessId(), true);
    if (offer != nullptr) {
      offerLine = test::Caption(::GetDlgItem(offer, 1003));
      test::Screenshot(offer, "updater-offer");
      PressButton(offer, 1004);
    }
  });
  const int result = Call(server.Url("/index.htm"), server.Url("/Vellumor3041587.htm"));
  user.join();
  EXPECT_EQ(result, 0);
  EXPECT_THAT(Utf8FromWide(offerLine), StartsWith("A new version of Vellumor has been found on CNET "));
  EXPECT_EQ(server.Requests().size(), 2U);
  // "Not now" stamps the time: the next check comes one interval later.
  EXPECT_GT(std::stoll(LastCheck()), 1700000000LL);
}

TEST_F(NativeUpdaterTest, ANetworkFailureIsToldAndTheStatusWindowStaysUntilClosed) {
  // Nothing listens on the port a stopped server had.
  std::string refused;
  {
    test::TestHttpServer server;
    refused = server.Url("/index.htm");
  }
  std::string told;
  std::thread user([&told] {
    HWND box = WaitForWindow(L"Updater", ::GetCurrentProcessId(), true);
    if (box == nullptr) {
      return;
    }
    told = "yes";
    PressButton(box, IDOK);
    HWND status = WaitForWindow(L"Corvane Software Updater", ::GetCurrentProcessId(), true);
    if (status == nullptr) {
      return;
    }
    test::Screenshot(status, "updater-status");
    ::PostMessageW(status, WM_SYSCOMMAND, 16, 0);
    if (HWND about = WaitForWindow(L"About Updater", ::GetCurrentProcessId(), true)) {
      test::Screenshot(about, "updater-about");
      PressButton(about, IDOK);
      test::WaitUntil([about] { return !::IsWindow(about); });
    }
    ::PostMessageW(status, WM_CLOSE, 0, 0);
  });
  const int result = Call(refused, refused);
  user.join();
  EXPECT_EQ(told, "yes");
  EXPECT_EQ(result, 2);
}

}  // namespace
}  // namespace vellumor::platform
