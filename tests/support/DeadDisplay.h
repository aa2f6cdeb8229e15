#pragma once
// Display names that cannot be reached, held for the test's lifetime so that no X server of a
// parallel test can take them meanwhile.

#include <filesystem>
#include <string>

namespace vellumor::test {

// ":<n>": the X display number's socket name is taken by a socket that never listens, so a
// client is refused at once and no server can start on that number.
class DeadXDisplay final {
 public:
  DeadXDisplay();
  ~DeadXDisplay();
  DeadXDisplay(const DeadXDisplay&) = delete;
  DeadXDisplay& operator=(const DeadXDisplay&) = delete;

  const std::string& Name() const { return name_; }

 private:
  int fd_{-1};
  std::string name_;
};

// A Wayland socket at `path` that accepts connections (and never answers them).
class ListeningSocket final {
 public:
  explicit ListeningSocket(const std::filesystem::path& path);
  ~ListeningSocket();
  ListeningSocket(const ListeningSocket&) = delete;
  ListeningSocket& operator=(const ListeningSocket&) = delete;

  bool Listening() const { return fd_ >= 0; }

 private:
  int fd_{-1};
};

}  // namespace vellumor::test
