#include "support/CheckFixture.h"

#include <chrono>

#include "updater/Schedule.h"

namespace vellumor::test {

using platform::RegistryRoot;

CheckFixture::CheckFixture()
    : registry_{dir_.Path()},
      transport_{
          platform::MakeHttpTransport({std::chrono::seconds{3}, std::chrono::seconds{2}, std::chrono::seconds{10}})} {}

// The product key in the layer the program and the updater write: the user's own settings.
void CheckFixture::CreateProductKey() {
  registry_.CreateKey(platform::UserSettingsRoot(), updater::ProductKeyPath("Vellumor"));
}

void CheckFixture::SetValue(std::string_view name, std::string_view text) {
  CreateProductKey();
  registry_.SetValue(platform::UserSettingsRoot(), updater::ProductKeyPath("Vellumor"),
                     platform::RegistryValue{std::string{name}, platform::kRegSz, std::string{text}});
}

std::string CheckFixture::StoredValue(std::string_view name) const {
  // What the next check reads: the user's value over the machine's.
  platform::RegistryValue value;
  for (const RegistryRoot root : {platform::UserSettingsRoot(), RegistryRoot::LocalMachine}) {
    if (registry_.QueryValue(root, updater::ProductKeyPath("Vellumor"), name, value) == platform::win_error::kSuccess) {
      return value.data;
    }
  }
  return "<missing>";
}

void CheckFixture::ServeVersions(const std::string& maker, const std::string& portal) {
  server_.Serve("/index.htm",
                TestHttpServer::Page("<html><body>" + (maker.empty() ? "" : "Download v" + maker) + "</body></html>"));
  server_.Serve(
      "/Vellumor3041587.htm",
      TestHttpServer::Page("<html><body>" + (portal.empty() ? "" : "<b>Version:</b> " + portal) + "</body></html>"));
}

updater::UpdateArguments CheckFixture::Arguments() const {
  return updater::UpdateArguments{
      "Vellumor", "1.06", "Vellumor", server_.Url("/index.htm"), server_.Url("/Vellumor3041587.htm"), "", 0, 0};
}

updater::CheckServices CheckFixture::Services() {
  return updater::CheckServices{clock_, registry_, *transport_, [this] { return connection_; },
                                updater::OfferHosts{"www.vellumor.example", "downloads.example"}};
}

updater::CheckOutcome CheckFixture::RunCheck(const updater::UpdateArguments& arguments) {
  context_ = updater::CheckContext{};
  context_.arguments = arguments;
  const updater::CheckServices services = Services();
  return updater::UpdateCheck{context_, services, view_}.Run();
}

}  // namespace vellumor::test
