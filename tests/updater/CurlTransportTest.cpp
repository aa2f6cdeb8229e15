// The web client on libcurl: what makes an https page trustworthy, seen through a version probe.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/posix/CurlTransport.h"
#include "support/CheckFixture.h"
#include "support/TlsTestServer.h"
#include "updater/VersionProbe.h"

namespace vellumor::test {
namespace {

class CurlTransportTest : public CheckFixture {
 protected:
  CurlTransportTest() { context_.arguments = Arguments(); }
};

// Nobody on the way may choose the page: the certificate must come from a trusted authority and
// name the server, and a redirect never leaves https.
TEST_F(CurlTransportTest, HttpsPagesNeedAValidCertificateAndNeverFallBackToHttp) {
  std::string why;
  const std::unique_ptr<TlsTestServer> tls = TlsTestServer::Start(why);
  ASSERT_NE(tls, nullptr) << why;
  tls->Serve("/index.htm", TlsTestServer::Page("Download v1.07"));
  tls->Serve("/moved.htm", TlsTestServer::RedirectTo(tls->Url("/index.htm")));
  tls->Serve("/plain.htm", TlsTestServer::RedirectTo(server_.Url("/index.htm")));
  server_.Serve("/index.htm", TestHttpServer::Page("Download v1.07"));
  const std::unique_ptr<platform::HttpTransport> trusting = platform::MakeCurlTransport(
      {std::chrono::seconds{3}, std::chrono::seconds{2}, std::chrono::seconds{10}}, tls->Authority().string());
  const struct {
    std::string address;
    platform::HttpTransport& transport;
    bool read;
  } cases[] = {
      {tls->Url("/index.htm"), *trusting, true},
      {tls->Url("/moved.htm"), *trusting, true},
      {tls->Url("/index.htm"), *transport_, false},             // an authority the system does not know
      {tls->Url("/index.htm", "localhost"), *trusting, false},  // a certificate for another name
      {tls->Url("/plain.htm"), *trusting, false},
  };
  for (const auto& [address, transport, read] : cases) {
    SCOPED_TRACE(address);
    context_.arguments.productPageUrl = address;
    const updater::ProbeResult result = updater::ProbeVersion(updater::ProbeSource::Maker, context_, view_, transport);
    EXPECT_EQ(result.version, read ? "1.07" : "");
    EXPECT_EQ(result.failure.has_value(), !read);
  }
  EXPECT_TRUE(server_.Requests().empty()) << "the redirect to http was followed";
}

}  // namespace
}  // namespace vellumor::test
