// The rules of the option windows and of single controls, without a toolkit: what a drop-down
// selects for a stored text, the data exchange with the record, and what each window's buttons do.

#include <gtest/gtest.h>

#include "RecordingView.h"
#include "settings/Settings.h"
#include "ui/model/ChoiceList.h"
#include "ui/model/SecurityDialog.h"

namespace vellumor::test {
namespace {

using dialog::kCancelId;
using dialog::kOkId;

TEST(ChoiceListTest, AStoredTextSelectsTheFirstEntryBeginningWithItWhateverItsCase) {
  const std::vector<std::string_view> zoom{"10", "25", "100", "1600"};
  EXPECT_EQ(dialog::FirstEntryBeginningWith(zoom, "1"), 0);
  EXPECT_EQ(dialog::FirstEntryBeginningWith(zoom, "16"), 3);
  EXPECT_EQ(dialog::FirstEntryBeginningWith({"PDF 1.4", "PDF 1.5"}, "pdf 1.5"), 1);
  EXPECT_EQ(dialog::FirstEntryBeginningWith(zoom, "21 days"), -1);
  EXPECT_EQ(dialog::FirstEntryBeginningWith(zoom, ""), -1) << "an empty text selects nothing";

  dialog::Control sorted{
      .kind = dialog::Kind::DropDown, .style = dialog::kSorted, .entries = settings::kChangesPermissions};
  const std::vector<std::string_view> shown = dialog::DisplayedEntries(sorted);
  ASSERT_EQ(shown.size(), 5U);
  EXPECT_EQ(shown.front(), "All except extract pages");
  EXPECT_EQ(shown.back(), "None");
}

TEST(ChoiceListTest, AWholeNumberFitsThirtyTwoBitsWithBlanksAndASign) {
  EXPECT_EQ(dialog::ParseWholeNumber(" 144 "), 144);
  EXPECT_EQ(dialog::ParseWholeNumber("+250"), 250);
  EXPECT_EQ(dialog::ParseWholeNumber("-73"), -73);
  for (const char* refused : {"", " ", "high", "12x", "99999999999", "+-1", "1 2"}) {
    EXPECT_FALSE(dialog::ParseWholeNumber(refused)) << refused;
  }
}

class SecurityDialogTest : public ::testing::Test {
 protected:
  settings::Settings record{settings::DefaultSettings("/home/ann")};
  dialog::SecurityDialog rules{record};
  RecordingView view{rules};
};

TEST_F(SecurityDialogTest, SaveExitTakesEveryControlAndCancelTakesNothing) {
  view.Open();
  EXPECT_EQ(view[1026].text, "None");
  EXPECT_EQ(view[1026].selection, 2) << "the sorted list shows None last";
  view.Type(1024, "secret");
  view.Type(1027, "Anything goes");
  view.Tick(1030);
  const settings::Settings before = record;
  view.Press(kCancelId);
  EXPECT_EQ(view.closed, kCancelId);
  EXPECT_EQ(record, before);

  view.Open();
  EXPECT_EQ(view[1024].text, "") << "reopening shows the record, not the unsaved edits";
  view.Type(1024, "secret");
  view.Type(1027, "Anything goes");
  view.Tick(1030);
  view.Press(kOkId);
  EXPECT_EQ(view.closed, kOkId);
  EXPECT_EQ(record.SecOpenPassword, "secret");
  EXPECT_EQ(record.SecPermChanges, "Anything goes");
  EXPECT_EQ(record.SecAlwaysUse, 1);
}

// An empty permission grants nothing; shown as the first entry of its list, it would grant
// high-resolution printing on the next "Save/Exit".
TEST_F(SecurityDialogTest, AnEmptyChoiceStaysEmpty) {
  record.SecPermPrinting = "";
  view.Open();
  EXPECT_EQ(view[1026].selection, -1);
  EXPECT_EQ(view[1026].text, "");
  view.Press(kOkId);
  EXPECT_EQ(record.SecPermPrinting, "");
}

}  // namespace
}  // namespace vellumor::test
