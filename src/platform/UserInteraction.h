#pragma once
// Everything the program asks of, or tells, the person in front of it: message boxes, yes/no
// questions, the file and folder dialogs, the completion window and the progress display.
// The pipeline talks only to this interface. Implementations: the Qt windows, the unattended
// one (no display) and a scripted one for tests.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellumor::platform {

enum class MessageStyle {
  Application,        // the application's name as caption, warning icon, OK
  ApplicationNoIcon,  // the application's name as caption, no icon, OK
  System,             // plain system message box: no owner, default caption, OK
};

struct FileDialogRequest {
  std::string title;
  std::vector<std::pair<std::string, std::string>> filters;  // shown text, pattern
  std::string defaultExtension;                              // without the dot
  std::string initialName;
  bool promptOverwrite{false};  // save dialogs: let the dialog ask before replacing a file
};

// Answers of the completion window.
inline constexpr int kCompletionNo = 0;
inline constexpr int kCompletionYes = 1;
inline constexpr int kCompletionSettings = 2;

class UserInteraction {
 public:
  virtual ~UserInteraction() = default;

  virtual void ShowMessage(std::string_view text, MessageStyle style) = 0;
  // A Yes/No question with the question icon; true only for Yes.
  virtual bool AskYesNo(std::string_view text) = 0;
  // A chosen path, or nothing when the dialog was cancelled.
  virtual std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> ChooseFolder(std::string_view title, std::string_view prompt,
                                                  std::string_view startFolder) = 0;
  // The modal "Vellumor - PDF Output" window; returns kCompletionNo, kCompletionYes or
  // kCompletionSettings.
  virtual int ShowCompletion(std::string_view fileLine) = 0;

  // Progress bar in the place of "&Create PDF": showing it hides the button, hiding it shows
  // the button again.
  virtual void SetProgressBarVisible(bool visible) = 0;
  virtual void SetProgressBarPosition(int position) = 0;
  // The modeless "PDF file creation progress" window.
  virtual void CreateProgressWindow() = 0;
  virtual bool ProgressWindowExists() const = 0;
  virtual void SetProgressWindowLines(std::string_view fileLine, std::string_view pageLine) = 0;
  virtual void DestroyProgressWindow() = 0;

  // Lets the windows repaint and react to input while a long call runs on this thread.
  virtual void PumpMessages() = 0;
};

// Nobody is there to answer: messages go nowhere, questions are answered No, dialogs count as
// cancelled and there is no progress display. The base of the unattended mode and of stand-ins.
class QuietInteraction : public UserInteraction {
 public:
  void ShowMessage(std::string_view, MessageStyle) override {}
  bool AskYesNo(std::string_view) override { return false; }
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> ChooseFolder(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
  int ShowCompletion(std::string_view) override { return kCompletionNo; }
  void SetProgressBarVisible(bool) override {}
  void SetProgressBarPosition(int) override {}
  void CreateProgressWindow() override {}
  bool ProgressWindowExists() const override { return false; }
  void SetProgressWindowLines(std::string_view, std::string_view) override {}
  void DestroyProgressWindow() override {}
  void PumpMessages() override {}
};

}  // namespace vellumor::platform
