#pragma once
// The private temporary folder that holds the print job, the marks file and the sibling
// product's setup file, and the unique "vlmXXXX.tmp" reservations made in it. The folder must be
// the user's alone: the sibling setup file read from it can name a program to open PDFs with, and
// a file or link another user planted there could steer or overwrite the user's files. On POSIX
// systems the program checks that it is (a shared /tmp is everybody's); on Windows each user's
// temporary folder is the user's own already, and the system makes the reservations.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SystemHandle.h"

namespace vellumor::platform {

class RunJournal;

class TempFolder final {
 public:
  // POSIX: $TMPDIR when it is set and is a private folder of the user (as `Private` checks it, but
  // never created), else `defaultFolder`, created 0700 when missing. When that name is taken (another
  // user's folder, a link, a file, a folder open to others), a fresh folder "<defaultFolder>-XXXXXX"
  // made for this run alone, which is removed with everything in it when this object goes (and
  // by a later run, RepairDeadRunFolders, when this one is killed first); the taken one is never
  // used. Each fallback adds one line to `notices`. Nothing, with the reason in `error`, when no
  // folder could be had at all. Windows: `defaultFolder`, which must be a real folder.
  static std::optional<TempFolder> Open(const std::filesystem::path& defaultFolder, std::string& error,
                                        std::vector<std::string>& notices);
  // "/tmp/vellumor-<uid>"; on Windows the user's temporary folder (GetTempPathW).
  static std::filesystem::path DefaultFolder();
  // A folder private to the user at `folder`: created (0700) when missing, refused when it is a
  // symbolic link (a junction on Windows) or not a folder; on POSIX also when it is owned by
  // someone else or open to group or others.
  static std::optional<TempFolder> Private(std::filesystem::path folder, std::string& error);
  // A given folder (tests); it must exist.
  static std::optional<TempFolder> At(std::filesystem::path folder, std::string& error);

  // Removes a folder made for this run alone, with everything in it.
  ~TempFolder();
  TempFolder(TempFolder&&) noexcept = default;
  // The folder this one held goes first, as it would with this object.
  TempFolder& operator=(TempFolder&& other) noexcept;

  const std::filesystem::path& Path() const { return folder_; }
  // The folder was made for this run alone (and goes with it).
  bool MadeForThisRun() const { return hold_.Valid(); }

  // Creates an empty file "<prefix><hex>.tmp" that did not exist before (POSIX: O_CREAT|O_EXCL,
  // mode 0600; Windows: GetTempFileNameW) and returns its path; nothing when no name could be
  // reserved. Each attempt is written down in `journal`, when given.
  std::optional<std::filesystem::path> Reserve(std::string_view prefix, RunJournal* journal = nullptr) const;

  // Writes `bytes` into a new file at `path`, private to the user. Fails, touching nothing, when
  // anything (a file, a link, a folder) is already there; removes what it made when a write fails.
  // The file is written down in `journal`, when given, before anything is written into it.
  static bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes, RunJournal* journal = nullptr);

 private:
  explicit TempFolder(std::filesystem::path folder, SystemHandle hold = {})
      : folder_{std::move(folder)}, hold_{std::move(hold)} {}
  void RemoveIfHeld() noexcept;
  // The system's part of At and Private: whether `folder` is a folder the program may keep its
  // files in, and making a private one; the reason in `error` when not.
  static bool UsableFolder(const std::filesystem::path& folder, std::string& error);
  static bool MakePrivateFolder(const std::filesystem::path& folder, std::string& error);
  // Removes a folder made for this run alone, with everything in it, and ends the run's hold on
  // it.
  static void RemoveHeldFolder(const std::filesystem::path& folder, SystemHandle hold) noexcept;

  std::filesystem::path folder_;
  // Made for this run alone: the folder, open and locked for as long as the run lives; else
  // nothing.
  SystemHandle hold_;
};

}  // namespace vellumor::platform
