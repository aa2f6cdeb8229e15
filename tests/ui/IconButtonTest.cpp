// The owner-drawn profile button: setters and their result codes, the flat look through hover
// and press, transparency over the parent, and the disabled look.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "settings/QualityProfile.h"
#include "ui/BitmapBackgroundDialog.h"
#include "ui/IconButton.h"
#include "ui/Resources.h"

namespace vellumor::ui {
namespace {

const QColor kOutBackground{10, 200, 10};
const QColor kInBackground{10, 10, 200};

QColor PixelOf(QWidget& widget, QPoint point) {
  return widget.grab().toImage().pixelColor(point);
}

// A window holding one flat button with distinct "in" and "out" backgrounds and no caption.
class IconButtonFixture : public ::testing::Test {
 protected:
  IconButtonFixture() {
    window.resize(200, 120);
    button = new IconButton(QString(), &window);
    button->setGeometry(20, 20, 80, 60);
    button->SetColor(IconButton::kBackgroundOut, kOutBackground.rgb());
    button->SetColor(IconButton::kBackgroundIn, kInBackground.rgb());
    button->setFocusPolicy(Qt::NoFocus);
    window.show();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  QWidget window;
  IconButton* button;
};

TEST_F(IconButtonFixture, SetColorStoresSlotsZeroToFiveAndRefusesOthers) {
  EXPECT_EQ(button->SetColor(5, Qt::red, false), IconButton::kOk);
  EXPECT_EQ(button->Color(5), QColor(Qt::red));
  EXPECT_EQ(button->SetColor(6, Qt::blue, true), IconButton::kBadColorSlot);
  EXPECT_EQ(button->SetColor(-1, Qt::blue, true), IconButton::kBadColorSlot);
  EXPECT_EQ(button->Color(5), QColor(Qt::red));
  EXPECT_EQ(button->Color(IconButton::kBackgroundOut), kOutBackground);
}

TEST_F(IconButtonFixture, SetIconLoadsOneOrTwoIconsAndReleasesBothOnFailure) {
  const QString selected = ProfileIconResource(settings::QualityProfile::Print, true);
  const QString normal = ProfileIconResource(settings::QualityProfile::Print, false);
  ASSERT_EQ(button->SetIcon(selected), IconButton::kOk);
  EXPECT_FALSE(button->InIcon().isNull());
  EXPECT_EQ(button->OutIcon().toImage(), button->InIcon().toImage());

  ASSERT_EQ(button->SetIcon(selected, normal), IconButton::kOk);
  EXPECT_NE(button->OutIcon().toImage(), button->InIcon().toImage());

  EXPECT_EQ(button->SetIcon(selected, QStringLiteral(":/vellumor/missing.png")), IconButton::kIconFailed);
  EXPECT_TRUE(button->InIcon().isNull());
  EXPECT_TRUE(button->OutIcon().isNull());
}

TEST_F(IconButtonFixture, FlatButtonShowsNoBorderThenRaisedWhileHoveredThenSunkenWhilePressed) {
  const QPalette colours = button->palette();
  const QPoint topLeft{0, 0};
  const QPoint bottomRight{button->width() - 1, button->height() - 1};
  const QPoint inside{button->width() / 2, 5};

  EXPECT_EQ(PixelOf(*button, topLeft), kOutBackground.rgb());
  EXPECT_EQ(PixelOf(*button, bottomRight), kOutBackground.rgb());

  QTest::mouseMove(button, button->rect().center());
  ASSERT_TRUE(button->Hovering());
  EXPECT_EQ(PixelOf(*button, topLeft), colours.color(QPalette::Light).rgb());
  EXPECT_EQ(PixelOf(*button, bottomRight), colours.color(QPalette::Dark).rgb());
  EXPECT_EQ(PixelOf(*button, inside), kInBackground.rgb());

  QTest::mousePress(button, Qt::LeftButton, {}, button->rect().center());
  EXPECT_EQ(PixelOf(*button, topLeft), colours.color(QPalette::Dark).rgb());
  EXPECT_EQ(PixelOf(*button, bottomRight), colours.color(QPalette::Light).rgb());
  QTest::mouseRelease(button, Qt::LeftButton, {}, button->rect().center());

  QTest::mouseMove(&window, QPoint(190, 110));
  EXPECT_FALSE(button->Hovering());
  EXPECT_EQ(PixelOf(*button, topLeft), kOutBackground.rgb());
}

TEST_F(IconButtonFixture, ClicksStillReachTheParentAsCommands) {
  int clicks = 0;
  QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
  QTest::mouseClick(button, Qt::LeftButton);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks, 2);
}

TEST(IconButton, TransparentButtonKeepsTheBackgroundItCapturedUntilSetTransparentAgain) {
  BitmapBackgroundDialog dialog;
  dialog.resize(300, 200);
  dialog.LoadBackground(QLatin1String(kMainBackground));
  auto* button = new IconButton(QString(), &dialog);
  button->setGeometry(100, 60, 40, 30);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

  const QImage mainTile{QLatin1String(kMainBackground)};
  const QImage optionsTile{QLatin1String(kOptionsBackground)};
  const QPoint inButton{10, 12};
  const QPoint inDialog = inButton + button->pos();
  ASSERT_NE(mainTile.pixelColor(inDialog), optionsTile.pixelColor(inDialog.x() % 48, inDialog.y() % 48));

  button->SetTransparent(true);
  EXPECT_EQ(PixelOf(*button, inButton), mainTile.pixel(inDialog));
  EXPECT_TRUE(button->HasCachedBackground());

  dialog.LoadBackground(QLatin1String(kOptionsBackground));
  EXPECT_EQ(PixelOf(*button, inButton), mainTile.pixel(inDialog)) << "the old capture is still drawn";

  button->SetTransparent(true);
  EXPECT_EQ(PixelOf(*button, inButton), optionsTile.pixel(inDialog.x() % 48, inDialog.y() % 48));
}

TEST(IconButton, DisabledButtonDrawsItsIconGreyedAndHandsTheFocusOn) {
  QWidget window;
  auto* button = new IconButton(QStringLiteral("&Print"), &window);
  button->setGeometry(0, 0, 90, 70);
  auto* next = new QLineEdit(&window);
  next->setGeometry(0, 80, 90, 20);
  button->SetIcon(ProfileIconResource(settings::QualityProfile::Screen, true));
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  button->setFocus();
  ASSERT_TRUE(button->hasFocus());

  const QImage enabled = button->grab().toImage();
  button->setEnabled(false);
  EXPECT_TRUE(next->hasFocus());
  const QImage disabled = button->grab().toImage();

  // The icon sits 3 pixels from the left, centred vertically; the selected Screen icon is drawn
  // in colour, so its greyed form differs and has no saturated pixels left.
  const QRect iconArea(3, (70 - 32) / 2, 32, 32);
  int colouredEnabled = 0;
  int colouredDisabled = 0;
  for (int y = iconArea.top(); y <= iconArea.bottom(); ++y) {
    for (int x = iconArea.left(); x <= iconArea.right(); ++x) {
      colouredEnabled += enabled.pixelColor(x, y).hsvSaturation() > 80 ? 1 : 0;
      colouredDisabled += disabled.pixelColor(x, y).hsvSaturation() > 80 ? 1 : 0;
    }
  }
  EXPECT_GT(colouredEnabled, 50);
  EXPECT_LT(colouredDisabled, colouredEnabled / 4);
}

}  // namespace
}  // namespace vellumor::ui
