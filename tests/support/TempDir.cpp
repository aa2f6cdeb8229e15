#include "support/TempDir.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace vellumor::test {

// "vellumor-test-XXXXXX" as mkdtemp would name it, made the same way on every system (Windows'
// C runtime has no mkdtemp): create_directory fails for a name that exists, so two tests never
// share a folder, and the folder is the user's alone.
TempDir::TempDir(const std::filesystem::path& base) {
  constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device seed;
  std::mt19937_64 random{(static_cast<std::uint64_t>(seed()) << 32) ^ seed()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = "vellumor-test-";
    for (int i = 0; i < 6; ++i) {
      name += kLetters[random() % kLetters.size()];
    }
    if (std::filesystem::create_directory(base / name)) {
      path_ = base / name;
      std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
      return;
    }
  }
  throw std::runtime_error("no fresh test folder could be made");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace vellumor::test
