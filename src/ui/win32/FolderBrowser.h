#pragma once
// The folder picker: the shell's folder browser with an edit field above its tree, in which the
// user may type a path, and a check of that path before the browser may close.

#include <optional>
#include <string>
#include <string_view>

#include "platform/UserInteraction.h"
#include "platform/win32/WindowsApi.h"

namespace vellumor::native {

class FolderBrowser final {
 public:
  // The browser's own control ids, and the edit field's.
  static constexpr int kTreeId = 14145;
  static constexpr int kStatusId = 14147;
  static constexpr int kEditId = 14148;

  FolderBrowser(std::string_view caption, std::string_view instruction, std::string_view initialFolder, HWND owner,
                platform::UserInteraction& ui);
  FolderBrowser(const FolderBrowser&) = delete;
  FolderBrowser& operator=(const FolderBrowser&) = delete;

  // The accepted path, or nothing when the user cancelled.
  std::optional<std::string> Run();

 private:
  static int CALLBACK Callback(HWND window, UINT message, LPARAM lParam, LPARAM self);
  static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self);
  void Initialised(HWND browser);
  void SelectionChanged(LPARAM item);
  std::wstring EditText() const;

  std::wstring caption_;
  std::wstring instruction_;
  std::wstring initialFolder_;
  HWND owner_;
  platform::UserInteraction& ui_;
  HWND browser_{nullptr};
  HWND edit_{nullptr};
  std::wstring selected_;
  bool accepted_{false};
};

}  // namespace vellumor::native
