#include "platform/TempFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "platform/Environment.h"
#include "platform/PrivateFolder.h"

namespace vellumor::platform {

namespace {

// Reservation numbers are 16 bits, written in up to four hex digits, and never 0 (as the
// Windows temporary-file service does it).
constexpr std::uint32_t kNumberCount = 0xFFFF;

std::string HexNumber(std::uint32_t number) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[number & 0x0F]);
    number >>= 4;
  } while (number != 0);
  return digits;
}

// A starting point that differs between processes and between calls, so that jobs started
// together rarely walk over each other's numbers.
std::uint32_t StartNumber() {
  const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const auto pid = static_cast<std::uint64_t>(::getpid());
  const std::uint64_t mixed = (ticks ^ (ticks >> 16) ^ (ticks >> 32) ^ (pid * 0x9E37U));
  return static_cast<std::uint32_t>(mixed % kNumberCount);  // 0 .. 0xFFFE, used plus 1
}

std::string Describe(const std::filesystem::path& folder, std::string_view problem) {
  return "The temporary folder " + folder.string() + " " + std::string{problem};
}

bool CheckExistingFolder(const std::filesystem::path& folder, std::string& error) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) {
    error = Describe(folder, "cannot be used: " + std::string{std::strerror(errno)});
    return false;
  }
  if (!S_ISDIR(info.st_mode)) {
    error = Describe(folder, "is not a folder.");
    return false;
  }
  return true;
}

// The job and the settings files land in this folder, so another user must neither be able
// to read them nor to plant a link or file there in advance.
bool CheckPrivateFolder(const std::filesystem::path& folder, std::string& error) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = Describe(folder, "cannot be created: " + std::string{std::strerror(errno)});
    return false;
  }
  if (std::string problem = PrivateFolderProblem(folder); !problem.empty()) {
    error = Describe(folder, problem);
    return false;
  }
  return true;
}

}  // namespace

std::optional<TempFolder> TempFolder::Open(std::string& error) {
  if (std::optional<std::string> tmpdir = GetEnvironmentVariable("TMPDIR"); tmpdir && !tmpdir->empty()) {
    return At(*tmpdir, error);
  }
  return Private("/tmp/vellumor-" + std::to_string(::geteuid()), error);
}

std::optional<TempFolder> TempFolder::Private(std::filesystem::path folder, std::string& error) {
  if (!CheckPrivateFolder(folder, error)) {
    return std::nullopt;
  }
  return TempFolder{std::move(folder)};
}

std::optional<TempFolder> TempFolder::At(std::filesystem::path folder, std::string& error) {
  if (!CheckExistingFolder(folder, error)) {
    return std::nullopt;
  }
  return TempFolder{std::move(folder)};
}

std::optional<std::filesystem::path> TempFolder::Reserve(std::string_view prefix) const {
  const std::uint32_t start = StartNumber();
  for (std::uint32_t attempt = 0; attempt < kNumberCount; ++attempt) {
    const std::uint32_t number = (start + attempt) % kNumberCount + 1;
    std::filesystem::path candidate = folder_ / (std::string{prefix} + HexNumber(number) + ".tmp");
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0) {
      ::close(fd);
      return candidate;
    }
    if (errno != EEXIST) {
      return std::nullopt;  // the folder itself is the problem; other names fail the same way
    }
  }
  return std::nullopt;
}

}  // namespace vellumor::platform
