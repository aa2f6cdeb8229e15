#pragma once
// A user-interaction stand-in for tests: answers are queued ahead of time, everything shown is
// recorded, nothing blocks.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/UserInteraction.h"

namespace vellumor::test {

class ScriptedInteraction final : public platform::UserInteraction {
 public:
  struct Message {
    std::string text;
    platform::MessageStyle style;
  };

  // Queued answers; when a queue is empty the prompt counts as No / cancelled.
  std::deque<bool> yesNoAnswers;
  std::deque<std::optional<std::string>> fileAnswers;
  std::deque<std::optional<std::string>> folderAnswers;
  std::deque<int> completionAnswers;

  // What was shown.
  std::vector<Message> messages;
  std::vector<std::string> questions;
  std::vector<platform::FileDialogRequest> fileDialogs;
  std::vector<std::string> folderPrompts;
  std::vector<std::string> completionLines;
  std::vector<int> barPositions;
  std::vector<std::pair<std::string, std::string>> progressLines;
  int progressWindowsCreated{0};
  int pumps{0};
  bool barVisible{false};
  bool progressWindow{false};
  // Runs when the progress window opens, which happens at the engine's first output: a way
  // to act while the engine works.
  std::function<void()> onProgressWindow;

  void ShowMessage(std::string_view text, platform::MessageStyle style) override {
    messages.push_back({std::string{text}, style});
  }
  bool AskYesNo(std::string_view text) override {
    questions.emplace_back(text);
    return Pop(yesNoAnswers, false);
  }
  std::optional<std::string> ChooseSaveFile(const platform::FileDialogRequest& request) override {
    fileDialogs.push_back(request);
    return Pop(fileAnswers, std::optional<std::string>{});
  }
  std::optional<std::string> ChooseOpenFile(const platform::FileDialogRequest& request) override {
    fileDialogs.push_back(request);
    return Pop(fileAnswers, std::optional<std::string>{});
  }
  std::optional<std::string> ChooseFolder(std::string_view title, std::string_view prompt, std::string_view) override {
    folderPrompts.push_back(std::string{title} + "|" + std::string{prompt});
    return Pop(folderAnswers, std::optional<std::string>{});
  }
  int ShowCompletion(std::string_view fileLine) override {
    completionLines.emplace_back(fileLine);
    return Pop(completionAnswers, platform::kCompletionNo);
  }
  void SetProgressBarVisible(bool visible) override { barVisible = visible; }
  void SetProgressBarPosition(int position) override { barPositions.push_back(position); }
  void CreateProgressWindow() override {
    progressWindow = true;
    ++progressWindowsCreated;
    if (onProgressWindow) {
      onProgressWindow();
    }
  }
  bool ProgressWindowExists() const override { return progressWindow; }
  void SetProgressWindowLines(std::string_view fileLine, std::string_view pageLine) override {
    progressLines.emplace_back(fileLine, pageLine);
  }
  void DestroyProgressWindow() override { progressWindow = false; }
  void PumpMessages() override { ++pumps; }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const Message& message : messages) {
      texts.push_back(message.text);
    }
    return texts;
  }

 private:
  template <typename T>
  static T Pop(std::deque<T>& queue, T fallback) {
    if (queue.empty()) {
      return fallback;
    }
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
  }
};

}  // namespace vellumor::test
