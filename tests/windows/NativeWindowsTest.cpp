// The native windows under Wine on a display of their own: each window of the program and of the
// updater opens with the caption, client size and control rectangles its description gives (as
// the dialog manager maps them with the dialog font), keys reach the rules as on Linux, and
// a picture of every window is kept for people to compare with the Qt ones.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/Clock.h"
#include "platform/win32/WideText.h"
#include "settings/Settings.h"
#include "support/WindowDriver.h"
#include "ui/model/AboutDialog.h"
#include "ui/model/AdvancedDialog.h"
#include "ui/model/CompletionDialog.h"
#include "ui/model/CustomImageDialog.h"
#include "ui/model/DocumentPropertiesDialog.h"
#include "ui/model/MainDialog.h"
#include "ui/model/ProgressDialog.h"
#include "ui/model/SecurityDialog.h"
#include "ui/win32/NativeDialog.h"

namespace vellumor::native {
namespace {

using test::ClientRectOf;
using test::DialogRect;

std::string Describe(const RECT& rect) {
  return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " + std::to_string(rect.right - rect.left) +
         "x" + std::to_string(rect.bottom - rect.top);
}

DialogServices Services() {
  return DialogServices{::GetModuleHandleW(nullptr), {}};
}

// A window of `rules`, initialised and on the screen.
struct ShownWindow {
  explicit ShownWindow(dialog::Dialog& rules) : window{rules, Services(), nullptr} {
    std::string error;
    created = window.Create(error);
    EXPECT_TRUE(created) << error;
    if (created) {
      window.Prepare();
      window.Show();
    }
  }
  NativeDialog window;
  bool created{false};
};

// The caption, the client area and every control the description places whole, where the
// description puts them.
void ExpectDescribedGeometry(const NativeDialog& window) {
  const dialog::DialogDescription& description = window.Description();
  HWND shown = window.Window();
  EXPECT_EQ(test::Caption(shown), platform::WideFromUtf8(description.caption));
  RECT client{};
  ::GetClientRect(shown, &client);
  EXPECT_EQ(Describe(client), Describe(DialogRect(shown, 0, 0, description.width, description.height)))
      << description.caption;
  for (const dialog::Control& control : description.controls) {
    if (control.id == dialog::kNoId || control.fit != dialog::Fit::Exact || control.kind == dialog::Kind::Hyperlink) {
      continue;
    }
    const RECT wanted = DialogRect(shown, control.rect.x, control.rect.y, control.rect.width, control.rect.height);
    RECT actual = ClientRectOf(window.Control(control.id));
    if (control.kind == dialog::Kind::DropDown) {
      // A drop-down's rectangle holds its open list; the box itself is one line high.
      actual.bottom = wanted.bottom;
    }
    EXPECT_EQ(Describe(actual), Describe(wanted)) << description.caption << ": control " << control.id;
  }
}

TEST(NativeWindowsTest, EveryWindowOpensWithTheCaptionSizeAndControlsOfItsDescription) {
  settings::Settings settings;
  platform::QuietInteraction ui;
  const std::unique_ptr<platform::Clock> clock = platform::MakeSystemClock();
  dialog::MainDialog main{ui, *clock};
  dialog::AdvancedDialog advanced{settings, ui};
  dialog::SecurityDialog security{settings};
  dialog::DocumentPropertiesDialog document{settings};
  dialog::CustomImageDialog custom{settings, ui};
  dialog::AboutDialog about;
  dialog::ProgressDialog progress;
  dialog::CompletionDialog completion{"File: C:\\Users\\Ana\\Desktop\\Relat\xC3\xB3rio.pdf"};
  const std::vector<std::pair<const char*, dialog::Dialog*>> windows{
      {"main", &main},     {"advanced", &advanced}, {"security", &security}, {"document-properties", &document},
      {"custom", &custom}, {"about", &about},       {"progress", &progress}, {"completion", &completion}};
  for (const auto& [name, rules] : windows) {
    ShownWindow shown{*rules};
    if (!shown.created) {
      continue;
    }
    ExpectDescribedGeometry(shown.window);
    test::Screenshot(shown.window.Window(), name);
  }
}

// What the rules read back is what the controls show, in every script; a sorted list shows its
// entries in the model's order, so an index means the same entry as in every front end.
TEST(NativeWindowsTest, ControlsHoldWhatTheRulesGiveThem) {
  settings::Settings settings;
  dialog::SecurityDialog rules{settings};
  ShownWindow shown{rules};
  ASSERT_TRUE(shown.created);
  NativeDialog& window = shown.window;
  window.SetText(1024, "Relat\xC3\xB3rio \xE2\x82\xAC");
  EXPECT_EQ(window.Text(1024), "Relat\xC3\xB3rio \xE2\x82\xAC");
  window.SetSelection(1026, 0);
  EXPECT_EQ(window.Text(1026), "High resolution");
  window.SetText(1026, "Low resolution");
  EXPECT_EQ(window.Selection(1026), 1) << "a typed text equal to an entry is that entry";
  window.SetText(1026, "Sometimes");
  EXPECT_EQ(window.Selection(1026), -1);
  window.SetChecked(1028, true);
  EXPECT_TRUE(window.Checked(1028));
  EXPECT_EQ(window.Text(1028), "Enable copying of text, images && other content");
}

// Escape is "Cancel" and Enter the default button, in a window that lets them through.
TEST(NativeWindowsTest, EscapeCancelsAndEnterPressesTheDefaultButton) {
  settings::Settings settings;
  settings.SecOpenPassword = "old";
  dialog::SecurityDialog rules{settings};
  for (const auto& [key, result] : {std::pair{VK_ESCAPE, dialog::kCancelId}, std::pair{VK_RETURN, dialog::kOkId}}) {
    NativeDialog window{rules, Services(), nullptr};
    std::string error;
    ASSERT_TRUE(window.Create(error)) << error;
    window.Prepare();
    window.SetText(1024, "typed");
    window.SetFocus(1024);
    ::PostMessageW(window.Control(1024), WM_KEYDOWN, static_cast<WPARAM>(key), 0);
    EXPECT_EQ(window.RunModal(), result);
  }
  EXPECT_EQ(settings.SecOpenPassword, "typed");
}

// The main window drops both keys: Enter does not create a PDF and Escape does not close it; its
// close box still does.
TEST(NativeWindowsTest, TheMainWindowIgnoresEnterAndEscape) {
  platform::QuietInteraction ui;
  const std::unique_ptr<platform::Clock> clock = platform::MakeSystemClock();
  dialog::MainDialog rules{ui, *clock};
  ShownWindow shown{rules};
  ASSERT_TRUE(shown.created);
  NativeDialog& window = shown.window;
  window.SetFocus(dialog::ids::kFileName);
  for (const WPARAM key : {VK_RETURN, VK_ESCAPE}) {
    ::PostMessageW(window.Control(dialog::ids::kFileName), WM_KEYDOWN, key, 0);
    ::PostMessageW(window.Control(dialog::ids::kFileName), WM_CHAR, key == VK_RETURN ? L'\r' : 0x1B, 0);
  }
  ::PostMessageW(window.Window(), WM_NULL, 0, 0);
  PumpMessages();
  EXPECT_FALSE(window.Closed());
  ::PostMessageW(window.Window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(test::WaitUntil([&window] {
    PumpMessages();
    return window.Closed();
  }));
}

}  // namespace
}  // namespace vellumor::native
