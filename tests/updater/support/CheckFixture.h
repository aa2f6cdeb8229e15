#pragma once
// The world of one update check in a test: a private registry with the product key, a fixed
// clock, a web server on 127.0.0.1 serving the maker's and the portal's pages, a network that
// counts as connected, and a scripted view.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Clock.h"
#include "platform/Registry.h"
#include "support/ScriptedCheckView.h"
#include "support/TempDir.h"
#include "support/TestHttpServer.h"
#include "updater/CheckServices.h"
#include "updater/UpdateArguments.h"
#include "updater/UpdateCheck.h"

namespace vellumor::test {

inline constexpr std::int32_t kDay = 86400;
// 2024-03-01 12:00:00 UTC
inline constexpr std::int32_t kNow = 1709294400;

class CheckFixture : public ::testing::Test {
 protected:
  CheckFixture();

  void SetClock(long long unixSeconds) { clock_ = platform::FixedClock(platform::LocalTime{}, unixSeconds); }
  // The product key "SOFTWARE\Corvane Software\Vellumor", as the program's first save leaves it.
  void CreateProductKey();
  void SetValue(std::string_view name, std::string_view text);
  // The stored text; "<missing>" when the value does not exist.
  std::string StoredValue(std::string_view name) const;

  // Serves the two pages: the maker's with "Download v<maker>", the portal's with
  // "Version:</b> <portal>"; an empty text serves a page without any marker.
  void ServeVersions(const std::string& maker, const std::string& portal);

  // Arguments as the program passes them, with the two pages on the test server.
  updater::UpdateArguments Arguments() const;
  updater::CheckServices Services();
  updater::CheckOutcome RunCheck(const updater::UpdateArguments& arguments);

  TempDir dir_;
  platform::Registry registry_;
  platform::FixedClock clock_{platform::LocalTime{}, kNow};
  TestHttpServer server_;
  std::unique_ptr<platform::HttpTransport> transport_;
  std::string connection_{"LAN"};
  ScriptedCheckView view_;
  updater::CheckContext context_;
};

}  // namespace vellumor::test
