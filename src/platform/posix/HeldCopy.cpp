#include "platform/posix/HeldCopy.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/posix/FileIo.h"

namespace vellumor::platform {
namespace {

// One step's most: large enough that a big job streams at the speed of the disk, small enough
// that other streams get their turn soon.
constexpr std::size_t kStep = 8 << 20;
constexpr std::size_t kPipeStep = 1 << 20;

std::string Reason(std::string_view what) {
  return std::string{what} + ": " + std::strerror(errno);
}

// The error of a first kernel copy that tells this way does not apply to these files.
bool NotThisWay(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF ||
         error == ESPIPE;
}

}  // namespace

std::optional<HeldCopy> HeldCopy::Create(const std::filesystem::path& folder, std::string& error) {
  OwnedFile file{::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600)};
  if (!file.Valid() && (errno == EOPNOTSUPP || errno == EISDIR)) {
    // A file system without nameless files: a fresh name, given up at once.
    std::string name = (folder / "vlmheldXXXXXX").string();
    file = OwnedFile{::mkostemp(name.data(), O_CLOEXEC)};
    if (file.Valid() && ::unlink(name.c_str()) != 0) {
      error = Reason("cannot hold a file in " + folder.string());
      return std::nullopt;
    }
  }
  if (!file.Valid()) {
    error = Reason("cannot hold a file in " + folder.string());
    return std::nullopt;
  }
  return HeldCopy{std::move(file)};
}

HeldCopy::Step HeldCopy::TakeFrom(int input, std::string& error) {
  for (;;) {
    ssize_t moved = 0;
    switch (way_) {
      case Way::FileCopy:
        moved = ::copy_file_range(input, nullptr, file_.Get(), nullptr, kStep, 0);
        if (moved < 0 && size_ == 0 && NotThisWay(errno)) {
          way_ = Way::Splice;
          continue;
        }
        break;
      case Way::Splice:
        moved = ::splice(input, nullptr, file_.Get(), nullptr, kPipeStep, SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
        if (moved < 0 && size_ == 0 && (errno == EINVAL || errno == ENOSYS)) {
          way_ = Way::ReadWrite;
          continue;
        }
        break;
      case Way::ReadWrite: {
        std::vector<char> buffer(kPipeStep);
        moved = ::read(input, buffer.data(), buffer.size());
        if (moved > 0) {
          if (const int failed = file_io::WriteAll(file_.Get(), {buffer.data(), static_cast<std::size_t>(moved)});
              failed != 0) {
            errno = failed;
            error = Reason("cannot write the copy");
            return Step::Failed;
          }
        }
        break;
      }
    }
    if (moved < 0 && (errno == EINTR || errno == EAGAIN)) {
      return Step::More;  // nothing ready after all: the next step comes when the stream says so
    }
    if (moved < 0) {
      error = Reason("cannot copy the stream");
      return Step::Failed;
    }
    if (moved == 0) {
      return Step::Ended;
    }
    size_ += static_cast<std::uint64_t>(moved);
    return Step::More;
  }
}

bool HeldCopy::Rewind() {
  return ::lseek(file_.Get(), 0, SEEK_SET) == 0;
}

}  // namespace vellumor::platform
