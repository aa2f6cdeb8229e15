#pragma once
// The private temporary folder that holds the print job, the marks file and the sibling
// product's setup file, and the unique "vlmXXXX.tmp" reservations made in it. The folder must be
// the user's alone: the sibling setup file read from it can name a program to open PDFs with, and
// a file or link another user planted there could steer or overwrite the user's files.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumor::platform {

class RunJournal;

class TempFolder final {
 public:
  // $TMPDIR when it is set and is a private folder of the user (as `Private` checks it, but never
  // created), else `defaultFolder`, created 0700 when missing. When that name is taken (another
  // user's folder, a link, a file, a folder open to others), a fresh folder "<defaultFolder>-XXXXXX"
  // made for this run alone, which is removed with everything in it when this object goes (and
  // by a later run, RepairDeadRunFolders, when this one is killed first); the taken one is never
  // used. Each fallback adds one line to `notices`. Nothing, with the reason in `error`, when no
  // folder could be had at all.
  static std::optional<TempFolder> Open(const std::filesystem::path& defaultFolder, std::string& error,
                                        std::vector<std::string>& notices);
  // "/tmp/vellumor-<uid>".
  static std::filesystem::path DefaultFolder();
  // A folder private to the user at `folder`: created 0700 when missing, refused when it is a
  // symbolic link, not a folder, owned by someone else or open to group or others.
  static std::optional<TempFolder> Private(std::filesystem::path folder, std::string& error);
  // A given folder (tests); it must exist.
  static std::optional<TempFolder> At(std::filesystem::path folder, std::string& error);

  ~TempFolder();
  TempFolder(TempFolder&& other) noexcept;
  TempFolder& operator=(TempFolder&& other) noexcept;
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return folder_; }
  // The folder was made for this run alone (and goes with it).
  bool MadeForThisRun() const { return lock_ >= 0; }

  // Creates an empty file "<prefix><hex>.tmp" that did not exist before (O_CREAT|O_EXCL,
  // mode 0600) and returns its path; nothing when no name could be reserved. Each attempt is
  // written down in `journal`, when given.
  std::optional<std::filesystem::path> Reserve(std::string_view prefix, RunJournal* journal = nullptr) const;

  // Writes `bytes` into a new file at `path`, mode 0600. Fails, touching nothing, when anything
  // (a file, a link, a folder) is already there; removes what it made when a write fails. The
  // file is written down in `journal`, when given, before anything is written into it.
  static bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes, RunJournal* journal = nullptr);

 private:
  TempFolder(std::filesystem::path folder, int lock) : folder_{std::move(folder)}, lock_{lock} {}
  void RemoveIfOwned() noexcept;
  // Removes a folder made for this run alone, with everything in it, and ends the run's hold on
  // it (the system's handle of the folder, kept in an int as the seams keep descriptors).
  static void RemoveHeldFolder(const std::filesystem::path& folder, int hold) noexcept;

  std::filesystem::path folder_;
  // Made for this run alone: the folder, open and locked for as long as the run lives; else -1.
  int lock_{-1};
};

}  // namespace vellumor::platform
