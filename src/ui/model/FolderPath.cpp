#include "ui/model/FolderPath.h"

#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/PathText.h"

namespace vellumor::dialog {

namespace {

std::string WithPath(std::string_view text, std::string_view path) {
  std::string message{text};
  message.replace(message.find("%s"), 2, path);
  return message;
}

bool IsFolder(std::string_view path) {
  std::error_code error;
  return std::filesystem::is_directory(platform::PathFromUtf8(path), error);
}

}  // namespace

int CheckPathForm(std::string_view path, bool skipDriveCheck) {
  // A path with a NUL cannot reach the file system intact.
  if (path.size() < 3 || path.find('\0') != std::string_view::npos) {
    return kPathInvalid;
  }
  if (std::isalpha(static_cast<unsigned char>(path[0])) == 0 && path[0] != '\\') {
    return kPathInvalid;
  }
  if (path[1] != ':' && path[1] != '\\') {
    return kPathInvalid;
  }
  std::error_code error;
  if (path.size() == 3 && !skipDriveCheck && !std::filesystem::exists(platform::PathFromUtf8(path), error)) {
    return kPathCannotBeCreated;
  }
  return kPathAccepted;
}

int ValidateFolderPath(std::string_view path, platform::UserInteraction& ui) {
  int code = CheckPathForm(path, true);
  if (code == kPathAccepted) {
    if (IsFolder(path)) {
      return kPathAccepted;
    }
    if (!ui.AskYesNo(WithPath("The folder:\n\n%s\n\ndoes not exist. Do you want the folder to be created?", path))) {
      return kPathDeclined;
    }
    code = CheckPathForm(path, false);
    // The folder is made now, so the first PDF saved into it cannot fail for want of it and a
    // folder that cannot be made is reported while the user can still choose another.
    std::error_code error;
    if (code == kPathAccepted &&
        (std::filesystem::create_directories(platform::PathFromUtf8(path), error) || IsFolder(path))) {
      return kPathAccepted;
    }
    code = kPathCannotBeCreated;
  }
  ui.ShowMessage(WithPath(code == kPathInvalid ? "The folder:\n\n%s\n\nis invalid. Please reenter."
                                               : "The folder:\n\n%s\n\ncan not be created. Please double check.",
                          path),
                 platform::MessageStyle::Application);
  return code;
}

}  // namespace vellumor::dialog
