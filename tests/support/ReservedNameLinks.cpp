// Links planted at every name a temporary-file reservation can take: portable, so that the
// tests of every system share it.

#include <cstdio>
#include <string>

#include "support/TempDir.h"

namespace vellumor::test {

void LinkEveryReservedName(const std::filesystem::path& folder, std::string_view suffix,
                           const std::filesystem::path& target) {
  char number[8];
  for (unsigned value = 1; value <= 0xFFFF; ++value) {
    std::snprintf(number, sizeof number, "%X", value);
    std::filesystem::create_symlink(target, folder / ("vlm" + std::string{number} + ".tmp" + std::string{suffix}));
  }
}

}  // namespace vellumor::test
