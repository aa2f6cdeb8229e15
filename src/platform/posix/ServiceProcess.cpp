#include "platform/posix/ServiceProcess.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vellumor::platform {

void PrepareServiceProcess() {
  for (int standard = STDIN_FILENO; standard <= STDERR_FILENO; ++standard) {
    if (::fcntl(standard, F_GETFD) < 0) {
      const int null = ::open("/dev/null", standard == STDIN_FILENO ? O_RDONLY : O_WRONLY);
      if (null >= 0 && null != standard) {
        ::dup2(null, standard);
        ::close(null);
      }
    }
  }
  // The root folder is always there; should the change fail, the process only keeps its folder
  // busy. (A cast to void does not silence glibc's warn_unused_result in a fortified build.)
  if (::chdir("/") != 0) {
    return;
  }
}

bool InputIsConnection() {
  struct stat info {};
  return ::fstat(STDIN_FILENO, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode));
}

bool DrainInput(int descriptor) {
  char buffer[512];
  const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
  return count > 0 || (count < 0 && (errno == EINTR || errno == EAGAIN));
}

std::uint32_t CurrentUser() {
  return ::geteuid();
}

}  // namespace vellumor::platform
