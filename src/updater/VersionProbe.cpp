#include "updater/VersionProbe.h"

#include <algorithm>
#include <array>

#include "updater/VersionText.h"

namespace vellumor::updater {

namespace {

constexpr std::array<std::string_view, 3> kMakerMarkers{"<META NAME=\"Version\" CONTENT=\"", "Download v", "\">v"};
constexpr std::array<std::string_view, 2> kPortalMarkers{"productVersion\" value=\"", "Version:</b> "};

struct SourceTexts {
  const std::string& address;
  std::string& versionField;
  const char* connecting;
  const char* downloading;
};

SourceTexts TextsFor(ProbeSource source, CheckContext& context) {
  if (source == ProbeSource::Maker) {
    return {context.arguments.productPageUrl, context.makerVersionText, "Connecting Corvane...",
            "Downloading Corvane..."};
  }
  return {context.arguments.portalPageUrl, context.portalVersionText, "Connecting CNET...", "Downloading CNET..."};
}

// Takes the page as it arrives and searches it chunk by chunk; ends the transfer after a hit.
class PageReader final : public platform::ResponseReceiver {
 public:
  PageReader(ProbeSource source, CheckContext& context, CheckView& view, const SourceTexts& texts)
      : source_{source}, context_{context}, view_{view}, texts_{texts} {}

  bool OnStatus(long code) override {
    SetStatus(context_, view_, texts_.downloading);
    ok_ = code == 200;
    if (!ok_) {
      SetStatus(context_, view_, "Unable to connect, try again later.");
    }
    return ok_;
  }

  bool OnBody(std::string_view bytes) override {
    while (!bytes.empty()) {
      const std::size_t take = std::min(kChunkSize - chunk_.size(), bytes.size());
      chunk_.append(bytes.substr(0, take));
      bytes.remove_prefix(take);
      if (chunk_.size() == kChunkSize && !Examine()) {
        return false;
      }
    }
    return true;
  }

  // The last, shorter chunk of a page that ended before a hit.
  void Finish() {
    if (ok_ && !found_ && !chunk_.empty()) {
      Examine();
    }
  }

  double Value() const { return value_; }

 private:
  // Searches the chunk that is full; false once the version was found.
  bool Examine() {
    const ChunkSearch search = SearchChunk(source_, chunk_);
    chunk_.clear();
    if (search.found) {
      found_ = true;
      value_ = search.value;
      if (source_ == ProbeSource::Maker && value_ >= kMakerVersionLimit) {
        value_ = 0.0;
      }
    }
    texts_.versionField = FormatVersion(value_);
    SetStatus(context_, view_, "Found version: " + texts_.versionField);
    return !found_;
  }

  ProbeSource source_;
  CheckContext& context_;
  CheckView& view_;
  const SourceTexts& texts_;
  std::string chunk_;
  bool ok_{false};
  bool found_{false};
  double value_{0.0};
};

}  // namespace

ChunkSearch SearchChunk(ProbeSource source, std::string_view chunk) {
  // The chunk is a zero-terminated text: whatever follows a zero byte is not looked at.
  chunk = chunk.substr(0, chunk.find('\0'));
  const auto search = [chunk](const auto& markers) {
    for (const std::string_view marker : markers) {
      const std::size_t at = chunk.find(marker);
      if (at != std::string_view::npos) {
        return ChunkSearch{true, ParseDecimal(chunk.substr(at + marker.size()))};
      }
    }
    return ChunkSearch{};
  };
  return source == ProbeSource::Maker ? search(kMakerMarkers) : search(kPortalMarkers);
}

ProbeResult ProbeVersion(ProbeSource source, CheckContext& context, CheckView& view,
                         platform::HttpTransport& transport) {
  const SourceTexts texts = TextsFor(source, context);
  SetStatus(context, view, "Initilizing...");
  if (!transport.AcceptsAddress(texts.address)) {
    SetStatus(context, view, "Can't connect to internet, check connection\r\n");
    return {};
  }
  SetStatus(context, view, texts.connecting);
  PageReader reader{source, context, view, texts};
  if (std::optional<platform::TransportFailure> failure = transport.Get(texts.address, kRequestHeaders, reader)) {
    return ProbeResult{{}, std::move(failure)};
  }
  reader.Finish();
  SetStatus(context, view, "Done");
  return ProbeResult{reader.Value() > 0.0 ? texts.versionField : std::string{}, std::nullopt};
}

}  // namespace vellumor::updater
