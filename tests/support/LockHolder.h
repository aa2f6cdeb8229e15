#pragma once
// A process that holds locks on files until the test lets it go, as another program or another
// user sharing a folder with the user could. It ends by itself after a minute, so a job that
// wrongly waits for it still ends; StillThere() tells that case apart.

#include <sys/types.h>

#include <filesystem>
#include <vector>

namespace vellumor::test {

class LockHolder final {
 public:
  enum class Kind {
    Folder,   // an exclusive flock on a folder, which anyone who may read it can take
    Reading,  // every read lock there is on a file it may only read (opening it to write fails)
    Writing,  // a write lock (open file description) on a file it may write
  };
  struct Lock {
    Kind kind;
    std::filesystem::path path;
  };

  // Takes the locks as `uid` (and its group as the same number), or as this process's user
  // when `uid` is 0.
  LockHolder(std::vector<Lock> locks, uid_t uid);
  ~LockHolder();
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  // Every lock was taken, as the kind says.
  bool Holding() const { return holding_; }
  // It still holds them: it was neither let go nor ended by itself.
  bool StillThere() const;
  void Release();

 private:
  pid_t pid_{-1};
  int release_{-1};
  bool holding_{false};
};

}  // namespace vellumor::test
