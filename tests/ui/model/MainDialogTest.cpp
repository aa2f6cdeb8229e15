// The main window's rules without a toolkit: a controller initialised as the program does it,
// the window's rules bound to it and driven through a recording view.

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "RecordingView.h"
#include "app/MainController.h"
#include "settings/Choices.h"
#include "support/PipelineFixture.h"
#include "support/TempDir.h"
#include "ui/model/MainDialog.h"
#include "ui/model/Resources.h"

namespace vellumor::test {
namespace {

namespace ids = dialog::ids;
namespace colours = dialog::colours;

class MainDialogTest : public PipelineFixture {
 protected:
  void Start() {
    const std::filesystem::path input = dir / "stdin.ps";
    WriteFileBytes(input, "");
    controller =
        std::make_unique<app::MainController>(*services, app::SplitCommandLine("\"/usr/bin/vellumor\""), dir / "home");
    const int fd = ::open(input.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    controller->Initialise(fd);
    ::close(fd);
    rules.Bind(*controller);
    view.Open();
  }

  std::unique_ptr<app::MainController> controller;
  dialog::MainDialog rules{ui, clock};
  RecordingView view{rules};
};

// A setup-file line "SaveAs;" reads as an empty choice: it is shown empty and written back empty,
// never replaced by the first entry of the list.
TEST_F(MainDialogTest, AnEmptyChoiceLoadedFromASetupFileIsKeptAsStored) {
  Start();
  const std::filesystem::path file = dir / "empty.vsf";
  WriteFileBytes(file, "SaveAs;\r\nAfterCreation;Open PDF\r\n");
  ui.fileAnswers = {file.string()};
  view.Press(ids::kMenuLoadSettings);
  EXPECT_EQ(view[ids::kSaveAs].selection, -1);
  EXPECT_EQ(view[ids::kSaveAs].text, "");
  EXPECT_EQ(view[ids::kAfterCreation].text, "Open PDF");

  view.Press(ids::kMenuSaveSettings);
  const std::string written = ReadFileBytes(file);
  EXPECT_NE(written.find("SaveAs;\r\n"), std::string::npos) << written;
  EXPECT_EQ(controller->State().settings.SaveAs, "");
}

TEST_F(MainDialogTest, TheFileNameColourShowsAppendingAndADocumentNameApart) {
  Start();
  const auto colourWith = [this](std::string_view append, bool tint) {
    controller->State().settings.AdvAppend = std::string{append};
    controller->State().FileNameTint = tint;
    view.Press(ids::kSecurityUpdate);  // refreshes the controls after the (cancelled) window
    return *view[ids::kFileName].colour;
  };
  EXPECT_EQ(colourWith(settings::entries::kOverwrite, false), colours::kFileName);
  EXPECT_EQ(colourWith(settings::entries::kOverwrite, true), colours::kFileNameTint);
  EXPECT_EQ(colourWith(settings::entries::kAppendToExisting, false), colours::kFileNameAppend);
  const dialog::Colour both = colourWith(settings::entries::kAppendToExisting, true);
  for (const dialog::Colour other : {colours::kFileName, colours::kFileNameTint, colours::kFileNameAppend}) {
    EXPECT_NE(both, other);
  }
  EXPECT_EQ(colourWith("append to existing", false), colours::kFileName) << "only the exact entry appends";
}

// The option windows belong to the main window: the same window each time, whatever it returned,
// followed by the summary it changes.
TEST_F(MainDialogTest, OptionWindowsAreItsOwnAndTheSummariesFollowThem) {
  Start();
  view.onChild = [](dialog::Dialog& child) {
    RecordingView childView{child};
    childView.Open();
    childView.Type(1024, "secret");
    childView.Press(dialog::kOkId);
    return *childView.closed;
  };
  view.Press(ids::kSecurityUpdate);
  EXPECT_EQ(view[ids::kSecuritySummary].text, "Password required to open");
  view.onChild = nullptr;
  view.Press(ids::kSecurityUpdate);
  ASSERT_EQ(view.children.size(), 2U);
  EXPECT_EQ(view.children[0], view.children[1]);

  view.Press(ids::kCustom);
  EXPECT_EQ(controller->State().settings.Quality, settings::QualityProfileText(settings::QualityProfile::Custom));
  EXPECT_EQ(view[ids::kCustom].icon, dialog::resources::kProfileIcons[4].selected);
  ASSERT_EQ(view.children.size(), 3U);
  EXPECT_EQ(&view.children[2]->Description(), &dialog::kCustomImageWindow);
}

}  // namespace
}  // namespace vellumor::test
