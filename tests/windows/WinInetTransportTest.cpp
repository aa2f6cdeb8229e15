// The updater's transport on WinINet against a web server on 127.0.0.1: what the server is sent
// and what the receiver is given. The checks on top of it run in the updater's own tests.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/win32/WinInetTransport.h"
#include "support/TestHttpServer.h"
#include "updater/VersionProbe.h"

namespace vellumor::updater {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

using platform::HttpTransport;
using platform::TransportFailure;

struct Collector final : platform::ResponseReceiver {
  std::vector<long> statuses;
  std::string body;
  bool stopAtStatus{false};
  bool OnStatus(long code) override {
    statuses.push_back(code);
    return !stopAtStatus;
  }
  bool OnBody(std::string_view bytes) override {
    body += bytes;
    return true;
  }
};

std::unique_ptr<HttpTransport> Transport() {
  return platform::MakeWinInetTransport({std::chrono::seconds{3}, std::chrono::seconds{2}, std::chrono::seconds{10}});
}

TEST(WinInetTransportTest, TheWholePageArrivesWithTheRequestedHeaders) {
  test::TestHttpServer server;
  std::string page(100000, 'x');
  page += "Download v1.07";
  server.Serve("/index.htm", test::TestHttpServer::Page(page));
  Collector collector;
  EXPECT_EQ(Transport()->Get(server.Url("/index.htm"), kRequestHeaders, collector), std::nullopt);
  EXPECT_EQ(collector.statuses, std::vector<long>{200});
  EXPECT_EQ(collector.body, page);

  ASSERT_EQ(server.Requests().size(), 1U);
  const std::string request = server.Requests()[0];
  EXPECT_THAT(request, HasSubstr("GET /index.htm HTTP/1.1\r\n"));
  EXPECT_THAT(request, HasSubstr("\r\nAccept: text/*\r\n"));
  EXPECT_THAT(request, HasSubstr("\r\nUser-Agent: Corvane Software Updater\r\n"));
  EXPECT_EQ(request.find("User-Agent"), request.rfind("User-Agent"));  // one agent, the updater's
}

TEST(WinInetTransportTest, StatusAloneAndEndingEarly) {
  test::TestHttpServer server;
  Collector missing;
  EXPECT_EQ(Transport()->Get(server.Url("/missing.htm"), kRequestHeaders, missing), std::nullopt);
  EXPECT_EQ(missing.statuses, std::vector<long>{404});

  server.Serve("/index.htm", test::TestHttpServer::Page("Download v1.07"));
  Collector stopping;
  stopping.stopAtStatus = true;
  EXPECT_EQ(Transport()->Get(server.Url("/index.htm"), kRequestHeaders, stopping), std::nullopt);
  EXPECT_EQ(stopping.statuses, std::vector<long>{200});
  EXPECT_EQ(stopping.body, "");
}

// A refused connection, and one closed before any answer (which WinINet hands over as a response
// with status 0), are failures in the network's words, not pages.
TEST(WinInetTransportTest, NoAnswerIsAFailureInTheNetworksWords) {
  test::TestHttpServer server;
  server.Serve("/closed.htm", test::TestHttpServer::Reply{test::TestHttpServer::Behaviour::CloseAtOnce, 200, {}, {}});
  std::string refused;
  {
    test::TestHttpServer gone;
    refused = gone.Url("/index.htm");
  }
  for (const std::string& address : {refused, server.Url("/closed.htm")}) {
    Collector collector;
    const std::optional<TransportFailure> failure = Transport()->Get(address, kRequestHeaders, collector);
    ASSERT_TRUE(failure) << address;
    EXPECT_FALSE(failure->description.empty());
    EXPECT_THAT(failure->description, Not(HasSubstr("Network error")));  // the system's text, not a number
    EXPECT_TRUE(collector.statuses.empty());
  }
}

TEST(WinInetTransportTest, OnlyWebAddressesAreAccepted) {
  const std::unique_ptr<HttpTransport> transport = Transport();
  EXPECT_TRUE(transport->AcceptsAddress("http://www.vellumor.example/index.htm"));
  EXPECT_TRUE(transport->AcceptsAddress("https://downloads.example:8443/Vellumor3041587.htm"));
  EXPECT_FALSE(transport->AcceptsAddress("ftp://www.vellumor.example/index.htm"));
  EXPECT_FALSE(transport->AcceptsAddress("www.vellumor.example/index.htm"));
  EXPECT_FALSE(transport->AcceptsAddress("http://"));
  EXPECT_FALSE(transport->AcceptsAddress(""));
}

}  // namespace
}  // namespace vellumor::updater
