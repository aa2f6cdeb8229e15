#pragma once
// The user interaction of the native windows: message boxes with the application's caption and
// the icons each question calls for, the system's file dialogs, the folder picker, the completion
// window, and the progress bar and progress window of the main window.

#include <memory>
#include <string>

#include "platform/UserInteraction.h"
#include "ui/model/MainDialog.h"
#include "ui/model/ProgressDialog.h"
#include "ui/win32/NativeDialog.h"

namespace vellumor::native {

inline constexpr const char* kApplicationName = "Vellumor";

class NativeInteraction final : public platform::UserInteraction {
 public:
  explicit NativeInteraction(DialogServices services) : services_{std::move(services)} {}
  ~NativeInteraction() override;
  NativeInteraction(const NativeInteraction&) = delete;
  NativeInteraction& operator=(const NativeInteraction&) = delete;

  // The window that owns the dialogs and shows the progress bar, with its rules; none before it
  // exists.
  void SetMainWindow(NativeDialog* window, dialog::MainDialog* rules);

  void ShowMessage(std::string_view text, platform::MessageStyle style) override;
  bool AskYesNo(std::string_view text) override;
  std::optional<std::string> ChooseSaveFile(const platform::FileDialogRequest& request) override;
  std::optional<std::string> ChooseOpenFile(const platform::FileDialogRequest& request) override;
  std::optional<std::string> ChooseFolder(std::string_view title, std::string_view prompt,
                                          std::string_view startFolder) override;
  int ShowCompletion(std::string_view fileLine) override;

  void SetProgressBarVisible(bool visible) override;
  void SetProgressBarPosition(int position) override;
  void CreateProgressWindow() override;
  bool ProgressWindowExists() const override;
  void SetProgressWindowLines(std::string_view fileLine, std::string_view pageLine) override;
  void DestroyProgressWindow() override;
  void PumpMessages() override;

  // The progress window while it exists (tests look at it).
  NativeDialog* ProgressWindow() const { return progress_.get(); }
  // From now on nothing waits for the user: messages are not shown and every question or dialog
  // counts as answered No or cancelled (the job was cancelled from outside).
  void StopAsking() { stopped_ = true; }

 private:
  std::optional<std::string> RunFileDialog(const platform::FileDialogRequest& request, bool save);
  // The main window when it is on the screen, else none: a box owned by a hidden window would be
  // hidden with it.
  HWND Owner() const;

  DialogServices services_;
  NativeDialog* window_{nullptr};
  dialog::MainDialog* rules_{nullptr};
  dialog::ProgressDialog progressRules_;
  std::unique_ptr<NativeDialog> progress_;
  bool stopped_{false};
};

}  // namespace vellumor::native
