#pragma once
// The person is not there: no display can be reached. Messages become lines on standard error,
// questions are answered No, dialogs count as cancelled and nothing waits for anyone.

#include <cstdio>

#include "platform/UserInteraction.h"

namespace vellumor::app {

class UnattendedInteraction final : public platform::QuietInteraction {
 public:
  explicit UnattendedInteraction(std::FILE* out = stderr) : out_{out} {}

  void ShowMessage(std::string_view text, platform::MessageStyle style) override;
  bool AskYesNo(std::string_view text) override;
  std::optional<std::string> ChooseSaveFile(const platform::FileDialogRequest& request) override;
  std::optional<std::string> ChooseOpenFile(const platform::FileDialogRequest& request) override;
  std::optional<std::string> ChooseFolder(std::string_view title, std::string_view prompt,
                                          std::string_view startFolder) override;
  int ShowCompletion(std::string_view fileLine) override;

 private:
  void Line(std::string_view text);
  std::FILE* out_;
};

}  // namespace vellumor::app
