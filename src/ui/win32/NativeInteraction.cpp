#include "ui/win32/NativeInteraction.h"

#include <commdlg.h>

#include "platform/win32/WideText.h"
#include "ui/model/CompletionDialog.h"
#include "ui/win32/FolderBrowser.h"

namespace vellumor::native {

namespace {

// Long paths are allowed (the program declares itself aware of them): room for the longest.
constexpr std::size_t kPathBuffer = 32768;

std::wstring Wide(std::string_view text) {
  return platform::WideFromUtf8(text);
}

}  // namespace

NativeInteraction::~NativeInteraction() {
  DestroyProgressWindow();
}

void NativeInteraction::SetMainWindow(NativeDialog* window, dialog::MainDialog* rules) {
  window_ = window;
  rules_ = rules;
}

HWND NativeInteraction::Owner() const {
  return window_ != nullptr && ::IsWindowVisible(window_->Window()) ? window_->Window() : nullptr;
}

void NativeInteraction::ShowMessage(std::string_view text, platform::MessageStyle style) {
  if (stopped_) {
    return;
  }
  const std::wstring wide = Wide(text);
  const std::wstring caption = Wide(kApplicationName);
  switch (style) {
    case platform::MessageStyle::Application:
      ::MessageBoxW(Owner(), wide.c_str(), caption.c_str(), MB_OK | MB_ICONWARNING);
      break;
    case platform::MessageStyle::ApplicationNoIcon:
      ::MessageBoxW(Owner(), wide.c_str(), caption.c_str(), MB_OK);
      break;
    case platform::MessageStyle::System:
      // No owner and the system's own caption.
      ::MessageBoxW(nullptr, wide.c_str(), nullptr, MB_OK);
      break;
  }
}

bool NativeInteraction::AskYesNo(std::string_view text) {
  if (stopped_) {
    return false;
  }
  return ::MessageBoxW(Owner(), Wide(text).c_str(), Wide(kApplicationName).c_str(), MB_YESNO | MB_ICONQUESTION) ==
         IDYES;
}

std::optional<std::string> NativeInteraction::RunFileDialog(const platform::FileDialogRequest& request, bool save) {
  if (stopped_) {
    return std::nullopt;
  }
  // "text\0pattern\0" for each filter, and one more NUL at the end.
  std::wstring filters;
  for (const auto& [text, pattern] : request.filters) {
    filters += Wide(text);
    filters.push_back(L'\0');
    filters += Wide(pattern);
    filters.push_back(L'\0');
  }
  filters.push_back(L'\0');
  std::wstring name(kPathBuffer, L'\0');
  const std::wstring initial = Wide(request.initialName);
  initial.copy(name.data(), std::min(initial.size(), kPathBuffer - 1));
  const std::wstring title = Wide(request.title);
  const std::wstring extension = Wide(request.defaultExtension);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = Owner();
  dialog.lpstrFilter = request.filters.empty() ? nullptr : filters.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (save && request.promptOverwrite) {
    dialog.Flags |= OFN_OVERWRITEPROMPT;
  }
  const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
  if (!chosen) {
    return std::nullopt;
  }
  name.resize(name.find(L'\0'));
  return platform::Utf8FromWide(name);
}

std::optional<std::string> NativeInteraction::ChooseSaveFile(const platform::FileDialogRequest& request) {
  return RunFileDialog(request, true);
}

std::optional<std::string> NativeInteraction::ChooseOpenFile(const platform::FileDialogRequest& request) {
  return RunFileDialog(request, false);
}

std::optional<std::string> NativeInteraction::ChooseFolder(std::string_view title, std::string_view prompt,
                                                           std::string_view startFolder) {
  if (stopped_) {
    return std::nullopt;
  }
  FolderBrowser browser{title, prompt, startFolder, Owner(), *this};
  return browser.Run();
}

int NativeInteraction::ShowCompletion(std::string_view fileLine) {
  if (stopped_) {
    return platform::kCompletionNo;
  }
  dialog::CompletionDialog rules{std::string{fileLine}};
  // Its own window on the task bar, owned by nobody: it may come after the main window has gone.
  NativeDialog completion{rules, services_, nullptr};
  std::string error;
  if (!completion.Create(error)) {
    return platform::kCompletionNo;
  }
  completion.Prepare();
  const int answer = completion.RunModal();
  // Owned by nobody, it hands the activation to nobody: the main window takes it back.
  if (HWND main = Owner()) {
    ::SetForegroundWindow(main);
  }
  return answer;
}

void NativeInteraction::SetProgressBarVisible(bool visible) {
  if (window_ != nullptr && rules_ != nullptr) {
    rules_->ShowProgressBar(*window_, visible);
  }
}

void NativeInteraction::SetProgressBarPosition(int position) {
  if (window_ != nullptr) {
    window_->SetProgress(dialog::ids::kProgressBar, position);
  }
}

void NativeInteraction::CreateProgressWindow() {
  if (progress_) {
    return;
  }
  auto window =
      std::make_unique<NativeDialog>(progressRules_, services_, window_ != nullptr ? window_->Window() : nullptr);
  std::string error;
  if (!window->Create(error)) {
    return;
  }
  window->Prepare();
  window->Show();
  progress_ = std::move(window);
}

bool NativeInteraction::ProgressWindowExists() const {
  return progress_ && !progress_->Closed();
}

void NativeInteraction::SetProgressWindowLines(std::string_view fileLine, std::string_view pageLine) {
  if (ProgressWindowExists()) {
    progress_->SetText(dialog::ProgressDialog::kFileLineId, fileLine);
    progress_->SetText(dialog::ProgressDialog::kPageLineId, pageLine);
    ::UpdateWindow(progress_->Window());
  }
}

void NativeInteraction::DestroyProgressWindow() {
  progress_.reset();
}

void NativeInteraction::PumpMessages() {
  native::PumpMessages();
}

}  // namespace vellumor::native
