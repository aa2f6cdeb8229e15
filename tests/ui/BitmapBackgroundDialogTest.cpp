// The tiled background of the dialogs and the dialog-unit conversion their layouts rest on.

#include <gtest/gtest.h>

#include <QTest>

#include "ui/BitmapBackgroundDialog.h"
#include "ui/DialogUnits.h"

namespace vellumor::ui {
namespace {

TEST(BitmapBackgroundDialog, TilesTheBitmapFromTheTopLeftAndClipsTheLastRowAndColumn) {
  BitmapBackgroundDialog dialog;
  dialog.setFixedSize(130, 110);  // 2 whole tiles and a part, each way
  dialog.LoadBackground(QLatin1String(kOptionsBackground));
  ASSERT_TRUE(dialog.HasBackground());
  ASSERT_EQ(dialog.BackgroundSize(), QSize(48, 48));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

  const QImage tile{QLatin1String(kOptionsBackground)};
  const QImage shown = dialog.grab().toImage();
  for (const QPoint point : {QPoint(0, 0), QPoint(47, 47), QPoint(48, 0), QPoint(60, 70), QPoint(100, 100),
                             QPoint(129, 109), QPoint(96 + 33, 24)}) {
    EXPECT_EQ(shown.pixelColor(point), tile.pixelColor(point.x() % 48, point.y() % 48))
        << point.x() << "," << point.y();
  }
}

TEST(BitmapBackgroundDialog, ABitmapThatDoesNotLoadLeavesTheDefaultBackground) {
  BitmapBackgroundDialog dialog;
  dialog.resize(120, 80);
  dialog.LoadBackground(QLatin1String(kOptionsBackground));
  dialog.LoadBackground(QStringLiteral(":/vellumor/no-such-bitmap.png"));
  EXPECT_FALSE(dialog.HasBackground()) << "the earlier bitmap is released too";
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  const QImage shown = dialog.grab().toImage();
  const QColor window = dialog.palette().color(QPalette::Window);
  EXPECT_EQ(shown.pixelColor(5, 5), window);
  EXPECT_EQ(shown.pixelColor(119, 79), window);
}

TEST(DialogUnits, AHorizontalUnitIsAQuarterCharacterAndAVerticalOneAnEighthOfTheHeight) {
  QFont small = DialogFont();
  QFont large = DialogFont();
  large.setPointSize(small.pointSize() * 2);
  const DialogUnits smallUnits(small);
  const DialogUnits largeUnits(large);

  EXPECT_EQ(smallUnits.Y(8), QFontMetrics(small).height());
  EXPECT_EQ(smallUnits.X(400), 100 * smallUnits.X(4));
  EXPECT_GT(largeUnits.X(400), smallUnits.X(400) * 3 / 2) << "units follow the font";
  EXPECT_EQ(smallUnits.Rect(132, 83, 212, 12),
            QRect(smallUnits.X(132), smallUnits.Y(83), smallUnits.X(212), smallUnits.Y(12)));
  EXPECT_EQ(smallUnits.X(0), 0);
}

}  // namespace
}  // namespace vellumor::ui
