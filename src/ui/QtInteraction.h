#pragma once
// The user interaction of the windows: Qt message boxes and file dialogs, the folder picker, the
// completion window, and the progress bar and window of the main window.

#include <QPointer>

#include "platform/UserInteraction.h"
#include "ui/MainWindow.h"
#include "ui/ProgressWindow.h"

namespace vellumor::ui {

inline constexpr const char* kApplicationName = "Vellumor";
// The caption of a plain system message box, which has none of its own.
inline constexpr const char* kSystemMessageCaption = "Error";

class QtInteraction final : public platform::UserInteraction {
 public:
  QtInteraction() = default;
  ~QtInteraction() override;
  QtInteraction(const QtInteraction&) = delete;
  QtInteraction& operator=(const QtInteraction&) = delete;

  // The window that owns the dialogs and shows the progress bar; nullptr before it exists.
  void SetMainWindow(MainWindow* window);

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

  ProgressWindow* CurrentProgressWindow() const { return progress_; }
  // From now on nothing waits for the user: messages are not shown and every question or
  // dialog counts as answered No or cancelled (the job was cancelled from outside).
  void StopAsking() { stopped_ = true; }

 private:
  std::optional<std::string> RunFileDialog(const platform::FileDialogRequest& request, bool save);
  QWidget* Owner() const;

  QPointer<MainWindow> window_;
  QPointer<ProgressWindow> progress_;
  bool stopped_{false};
};

}  // namespace vellumor::ui
