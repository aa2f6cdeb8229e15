#include "backend/SchedulerChannel.h"

#include <cstdio>

namespace vellumor::backend {
namespace {

// Well below the scheduler's line buffer, which would otherwise split a longer line in two and
// read its second half as a line of its own.
constexpr std::size_t kLineLimit = 1000;
constexpr std::size_t kRelayLimit = 512;

}  // namespace

std::string PlainLine(std::string_view text, std::size_t limit) {
  std::string line;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    line.push_back(byte < 0x20 || byte == 0x7F ? ' ' : c);
  }
  if (line.size() > limit) {
    std::size_t cut = limit - 3;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
      --cut;  // not inside a UTF-8 character
    }
    line.resize(cut);
    line += "...";
  }
  return line;
}

void Report(LineKind kind, std::string_view text) {
  const char* prefix = kind == LineKind::Error ? "ERROR" : kind == LineKind::Info ? "INFO" : "DEBUG";
  std::fprintf(stderr, "%s: %s\n", prefix, PlainLine(text, kLineLimit).c_str());
  std::fflush(stderr);
}

void OutputRelay::Take(std::string_view bytes) {
  pending_.append(bytes);
  std::size_t start = 0;
  for (std::size_t end = 0; (end = pending_.find('\n', start)) != std::string::npos; start = end + 1) {
    Report(LineKind::Debug, PlainLine(std::string_view{pending_}.substr(start, end - start), kRelayLimit));
  }
  pending_.erase(0, start);
  // A program that writes without ending its lines is passed on in parts, never held in memory.
  while (pending_.size() >= kRelayLimit) {
    Report(LineKind::Debug, PlainLine(std::string_view{pending_}.substr(0, kRelayLimit), kRelayLimit));
    pending_.erase(0, kRelayLimit);
  }
}

void OutputRelay::Finish() {
  if (!pending_.empty()) {
    Report(LineKind::Debug, PlainLine(pending_, kRelayLimit));
    pending_.clear();
  }
}

}  // namespace vellumor::backend
