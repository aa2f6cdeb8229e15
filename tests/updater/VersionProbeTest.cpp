// Reading the version from the maker's and the portal's pages over HTTP, against a server on
// 127.0.0.1: markers and their order, chunks, the maker's limit, HTTP and network failures.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <string>

#include "support/CheckFixture.h"
#include "updater/VersionProbe.h"
#include "updater/VersionText.h"

namespace vellumor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using updater::ProbeResult;
using updater::ProbeSource;

class VersionProbeTest : public CheckFixture {
 protected:
  VersionProbeTest() { context_.arguments = Arguments(); }

  ProbeResult Probe(ProbeSource source, const std::string& page) {
    server_.Serve(source == ProbeSource::Maker ? "/index.htm" : "/Vellumor3041587.htm", TestHttpServer::Page(page));
    return updater::ProbeVersion(source, context_, view_, *transport_);
  }
};

TEST_F(VersionProbeTest, EveryMakerMarkerIsFollowedByTheVersion) {
  EXPECT_EQ(Probe(ProbeSource::Maker, "<META NAME=\"Version\" CONTENT=\"1.07\">").version, "1.07");
  EXPECT_EQ(Probe(ProbeSource::Maker, "<p>Download v1.07 now</p>").version, "1.07");
  EXPECT_EQ(Probe(ProbeSource::Maker, "<a href=\"get.htm\">v1.07</a>").version, "1.07");
  EXPECT_EQ(context_.makerVersionText, "1.07");
  // The portal's markers mean nothing on the maker's page.
  EXPECT_EQ(Probe(ProbeSource::Maker, "<b>Version:</b> 1.07").version, "");
}

TEST_F(VersionProbeTest, EveryPortalMarkerIsFollowedByTheVersion) {
  EXPECT_EQ(Probe(ProbeSource::Portal, "<input name=\"productVersion\" value=\"1.07\">").version, "1.07");
  EXPECT_EQ(Probe(ProbeSource::Portal, "<li><b>Version:</b> 1.07</li>").version, "1.07");
  EXPECT_EQ(context_.portalVersionText, "1.07");
  EXPECT_EQ(context_.makerVersionText, "");
  EXPECT_EQ(Probe(ProbeSource::Portal, "Download v1.07").version, "");
}

TEST_F(VersionProbeTest, ProgressIsShownStepByStep) {
  Probe(ProbeSource::Portal, "<b>Version:</b> 1.07");
  EXPECT_THAT(view_.statuses, ElementsAre("Initilizing...", "Connecting CNET...", "Downloading CNET...",
                                          "Found version: 1.07", "Done"));
  view_.statuses.clear();
  Probe(ProbeSource::Maker, "no version here");
  EXPECT_THAT(view_.statuses, ElementsAre("Initilizing...", "Connecting Corvane...", "Downloading Corvane...",
                                          "Found version: 0.00", "Done"));
  EXPECT_EQ(context_.makerVersionText, "0.00");
}

TEST_F(VersionProbeTest, TheEarlierRowOfTheMarkerTableWinsWhereverItStands) {
  EXPECT_EQ(Probe(ProbeSource::Maker, "\">v3.00 Download v2.00 <META NAME=\"Version\" CONTENT=\"1.07\">").version,
            "1.07");
  EXPECT_EQ(Probe(ProbeSource::Maker, "\">v3.00 Download v2.00").version, "2.00");
  EXPECT_EQ(Probe(ProbeSource::Portal, "<b>Version:</b> 2.00 productVersion\" value=\"1.07\"").version, "1.07");
}

TEST_F(VersionProbeTest, MakerVersionsOfNineOrMoreAreDiscarded) {
  EXPECT_EQ(Probe(ProbeSource::Maker, "<a>v10.1</a>").version, "");
  EXPECT_EQ(view_.statuses.end()[-2], "Found version: 0.00");
  EXPECT_EQ(Probe(ProbeSource::Maker, "Download v9.00").version, "");
  EXPECT_EQ(Probe(ProbeSource::Maker, "Download v8.99").version, "8.99");
  // The portal has no such limit.
  EXPECT_EQ(Probe(ProbeSource::Portal, "<b>Version:</b> 10.1").version, "10.10");
}

TEST_F(VersionProbeTest, OnlyAPositiveNumberIsAVersion) {
  EXPECT_EQ(Probe(ProbeSource::Maker, "Download v-1.5").version, "");
  EXPECT_EQ(context_.makerVersionText, "-1.50");
  EXPECT_EQ(Probe(ProbeSource::Maker, "Download vNext").version, "");
  EXPECT_EQ(Probe(ProbeSource::Maker, "Download v 2.5e0!").version, "2.50");
}

TEST_F(VersionProbeTest, PagesAreSearchedInChunksOf32767Bytes) {
  const std::string filler(updater::kChunkSize, 'x');
  EXPECT_EQ(Probe(ProbeSource::Maker, filler + "Download v1.07").version, "1.07");
  EXPECT_THAT(view_.statuses, ElementsAre("Initilizing...", "Connecting Corvane...", "Downloading Corvane...",
                                          "Found version: 0.00", "Found version: 1.07", "Done"));

  // Each chunk is searched on its own: a number that ends right at the boundary is whole, one the
  // boundary cuts is read as far as the chunk goes, and a cut marker is seen by neither chunk.
  EXPECT_EQ(Probe(ProbeSource::Maker, std::string(updater::kChunkSize - 14, 'x') + "Download v1.07").version, "1.07");
  EXPECT_EQ(Probe(ProbeSource::Maker, std::string(updater::kChunkSize - 12, 'x') + "Download v1.07").version, "1.00");
  EXPECT_EQ(Probe(ProbeSource::Maker, std::string(updater::kChunkSize - 5, 'x') + "Download v1.07").version, "");
  // Nor is a marker behind a zero byte of its chunk.
  EXPECT_EQ(Probe(ProbeSource::Maker, std::string("abc\0Download v1.07", 18)).version, "");
}

TEST_F(VersionProbeTest, TheRequestCarriesTheUpdatersHeaders) {
  Probe(ProbeSource::Maker, "Download v1.07");
  ASSERT_EQ(server_.Requests().size(), 1U);
  const std::string request = server_.Requests()[0];
  EXPECT_THAT(request, ::testing::StartsWith("GET /index.htm HTTP/1.1\r\n"));
  EXPECT_THAT(request, HasSubstr("\r\nAccept: text/*\r\n"));
  EXPECT_THAT(request, HasSubstr("\r\nUser-Agent: Corvane Software Updater\r\n"));
}

TEST_F(VersionProbeTest, RedirectsAreFollowed) {
  server_.Serve("/moved.htm", TestHttpServer::Page("Download v1.07"));
  server_.Serve("/index.htm", TestHttpServer::RedirectTo(server_.Url("/moved.htm")));
  EXPECT_EQ(updater::ProbeVersion(ProbeSource::Maker, context_, view_, *transport_).version, "1.07");
}

TEST_F(VersionProbeTest, AStatusOtherThan200LeavesTheFieldAsItWas) {
  // Not even another success: a partial or otherwise different page is not the page.
  for (const int status : {404, 203, 206}) {
    SCOPED_TRACE(status);
    view_.statuses.clear();
    context_.makerVersionText = "earlier";
    server_.Serve("/index.htm", TestHttpServer::Page("Download v1.07", status));
    const ProbeResult result = updater::ProbeVersion(ProbeSource::Maker, context_, view_, *transport_);
    EXPECT_EQ(result.version, "");
    EXPECT_FALSE(result.failure);
    EXPECT_EQ(context_.makerVersionText, "earlier");
    EXPECT_THAT(view_.statuses, ElementsAre("Initilizing...", "Connecting Corvane...", "Downloading Corvane...",
                                            "Unable to connect, try again later.", "Done"));
  }
}

TEST_F(VersionProbeTest, AddressesOtherThanHttpAreNotFetched) {
  for (const char* address :
       {"ftp://127.0.0.1/index.htm", "file:///etc/passwd", "www.vellumor.example/index.htm", "", "http://"}) {
    SCOPED_TRACE(address);
    view_.statuses.clear();
    context_.arguments.productPageUrl = address;
    const ProbeResult result = updater::ProbeVersion(ProbeSource::Maker, context_, view_, *transport_);
    EXPECT_EQ(result.version, "");
    EXPECT_FALSE(result.failure);
    EXPECT_THAT(view_.statuses, ElementsAre("Initilizing...", "Can't connect to internet, check connection\r\n"));
  }
  EXPECT_TRUE(server_.Requests().empty());
}

// A failing network ends the probe with the network's own description; the status line keeps
// the step it failed in. None of these may hold the caller for long.
TEST_F(VersionProbeTest, NetworkFailuresAreReportedNotHidden) {
  const auto started = std::chrono::steady_clock::now();
  server_.Serve("/closed.htm", TestHttpServer::Reply{TestHttpServer::Behaviour::CloseAtOnce, 200, {}, {}});
  server_.Serve("/stalled.htm", TestHttpServer::Reply{TestHttpServer::Behaviour::Stall, 200, {}, {}});
  for (const std::string& address :
       {server_.Url("/closed.htm"), server_.Url("/stalled.htm"), std::string{"http://name.invalid/index.htm"}}) {
    SCOPED_TRACE(address);
    context_.arguments.productPageUrl = address;
    const ProbeResult result = updater::ProbeVersion(ProbeSource::Maker, context_, view_, *transport_);
    ASSERT_TRUE(result.failure);
    EXPECT_FALSE(result.failure->description.empty());
    EXPECT_EQ(view_.statuses.back(), "Connecting Corvane...");
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds{20});
}

TEST(VersionTextTest, NumbersAreDecimalWhateverTheLocale) {
  EXPECT_DOUBLE_EQ(updater::ParseDecimal(" \t+1.07xyz"), 1.07);
  EXPECT_DOUBLE_EQ(updater::ParseDecimal("1.10"), 1.1);
  EXPECT_LT(updater::ParseDecimal("1.10"), updater::ParseDecimal("1.9"));
  EXPECT_DOUBLE_EQ(updater::ParseDecimal(".5"), 0.5);
  for (const char* nothing : {"", "abc", "+-1", "inf", "nan", "0x10", "1e999"}) {
    EXPECT_EQ(updater::ParseDecimal(nothing), 0.0) << nothing;
  }
  EXPECT_EQ(updater::FormatVersion(1.065), "1.06");  // as "%.2lf" rounds the binary value
  EXPECT_EQ(updater::FormatVersion(12.0), "12.00");
  EXPECT_EQ(updater::FormatVersion(-1.5), "-1.50");

  // The window toolkit switches the process to the user's locale.
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
    GTEST_SKIP() << "no German locale installed";
  }
  EXPECT_DOUBLE_EQ(updater::ParseDecimal("1.07"), 1.07);
  EXPECT_EQ(updater::FormatVersion(1.07), "1.07");
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace vellumor::test
