#include "platform/TempFolder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <utility>

#include "platform/Environment.h"
#include "platform/FreshName.h"
#include "platform/RunJournal.h"
#include "platform/posix/FileIo.h"
#include "platform/posix/FileLock.h"
#include "platform/posix/OwnedFile.h"
#include "platform/posix/PrivateFolder.h"

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

std::string SystemReason() {
  return std::strerror(errno);
}

// "/a/b/" names the same folder as "/a/b", but the system follows a link at "/a/b/" while
// examining it; the checks must see the link itself.
std::filesystem::path WithoutTrailingSeparators(std::string text) {
  while (text.size() > 1 && text.back() == '/') {
    text.pop_back();
  }
  return text;
}

struct FreshFolder {
  std::filesystem::path path;  // "" when none could be made
  OwnedFile lock;
};

// A folder of this run alone beside the default one, locked while the run lives: a later run
// takes an unlocked one for the folder of a dead run and removes it.
FreshFolder MakeFreshFolder(const std::filesystem::path& defaultFolder) {
  FreshFolder fresh;
  CreateUnderFreshName([&] {
    std::string pattern = defaultFolder.string() + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      return NameTry::Failed;
    }
    // Until the lock is taken, a starting run may take the new, empty folder for a dead run's
    // and remove it; the name then no longer leads here and another one is made.
    OwnedFile folder{::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
    if (!folder.Valid() || ::flock(folder.Get(), LOCK_EX | LOCK_NB) != 0 ||
        !file_lock::StillNamed(folder.Get(), pattern)) {
      errno = EEXIST;  // what the caller reports should no name be left
      return NameTry::Taken;
    }
    fresh = {pattern, std::move(folder)};
    return NameTry::Created;
  });
  return fresh;
}

}  // namespace

std::optional<TempFolder> TempFolder::Open(const std::filesystem::path& defaultFolder, std::string& error,
                                           std::vector<std::string>& notices) {
  std::string tmpdirProblem;
  std::filesystem::path tmpdir;
  if (std::optional<std::string> value = GetEnvironmentVariable("TMPDIR"); value && !value->empty()) {
    tmpdir = WithoutTrailingSeparators(*value);
    tmpdirProblem = tmpdir.is_absolute() ? PrivateFolderProblem(tmpdir) : "is not an absolute path";
    if (tmpdirProblem.empty()) {
      return TempFolder{std::move(tmpdir)};
    }
  }
  std::optional<TempFolder> chosen;
  std::string defaultProblem;
  if (::mkdir(defaultFolder.c_str(), 0700) != 0 && errno != EEXIST) {
    defaultProblem = "cannot be created: " + SystemReason();
  } else {
    defaultProblem = PrivateFolderProblem(defaultFolder);
  }
  if (defaultProblem.empty()) {
    chosen = TempFolder{defaultFolder};
  } else if (FreshFolder fresh = MakeFreshFolder(defaultFolder); !fresh.path.empty()) {
    chosen = TempFolder{std::move(fresh.path), std::move(fresh.lock)};
  } else {
    error = Describe(defaultFolder, defaultProblem + ", and no other folder could be made: " + SystemReason());
    return std::nullopt;
  }
  const std::string instead = "; using " + chosen->Path().string() + " instead.";
  if (!tmpdirProblem.empty()) {
    notices.push_back(Describe(tmpdir, "from TMPDIR " + tmpdirProblem + instead));
  }
  if (!defaultProblem.empty()) {
    notices.push_back(Describe(defaultFolder, defaultProblem + instead));
  }
  return chosen;
}

std::filesystem::path TempFolder::DefaultFolder() {
  return "/tmp/vellumor-" + std::to_string(::geteuid());
}

// A given folder need only exist: the caller chose it (tests, a folder already checked).
bool TempFolder::UsableFolder(const std::filesystem::path& folder, std::string& error) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) {
    error = Describe(folder, "cannot be used: " + SystemReason());
    return false;
  }
  if (!S_ISDIR(info.st_mode)) {
    error = Describe(folder, "is not a folder.");
    return false;
  }
  return true;
}

bool TempFolder::MakePrivateFolder(const std::filesystem::path& folder, std::string& error) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    error = Describe(folder, "cannot be created: " + SystemReason());
    return false;
  }
  if (const std::string problem = PrivateFolderProblem(folder); !problem.empty()) {
    error = Describe(folder, problem + "; refusing to use it.");
    return false;
  }
  return true;
}

void TempFolder::RemoveHeldFolder(const std::filesystem::path& folder, SystemHandle hold) noexcept {
  // Removed before the lock goes, so no other run ever finds it unlocked while it is in use.
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  hold.Reset();
}

std::optional<std::filesystem::path> TempFolder::Reserve(std::string_view prefix, RunJournal* journal) const {
  const std::uint32_t start = StartNumber();
  for (std::uint32_t attempt = 0; attempt < kNumberCount; ++attempt) {
    const std::uint32_t number = (start + attempt) % kNumberCount + 1;
    std::filesystem::path candidate = folder_ / (std::string{prefix} + HexNumber(number) + ".tmp");
    if (journal != nullptr) {
      journal->WillCreate(candidate);
    }
    const bool created =
        OwnedFile{::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600)}.Valid();
    const int reason = errno;
    if (journal != nullptr) {
      created ? journal->Created(candidate) : journal->NotCreated(candidate);
    }
    if (created) {
      return candidate;
    }
    if (reason != EEXIST) {
      return std::nullopt;  // the folder itself is the problem; other names fail the same way
    }
  }
  return std::nullopt;
}

bool TempFolder::WriteNewFile(const std::filesystem::path& path, std::string_view bytes, RunJournal* journal) {
  if (journal != nullptr) {
    journal->WillCreate(path);
  }
  OwnedFile file{::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
  if (journal != nullptr) {
    file.Valid() ? journal->Created(path) : journal->NotCreated(path);
  }
  if (!file.Valid()) {
    return false;
  }
  const bool wrote = file_io::WriteAll(file.Get(), bytes) == 0;
  const bool written = file.Close() && wrote;
  if (!written) {
    ::unlink(path.c_str());
  }
  return written;
}

}  // namespace vellumor::platform
