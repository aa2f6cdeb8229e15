// The link label of the About window: set-up from text or address, fitting to the text, colours
// through hover and visits, and what a click opens or reports.

#include <gtest/gtest.h>

#include <QTest>
#include <cstdlib>

#include "support/ScriptedInteraction.h"
#include "ui/HyperlinkLabel.h"

namespace vellumor::ui {
namespace {

// The desktop's opener as the label sees it: it starts or not, and once started it may still
// fail (xdg-open ending with "no handler").
class FakeShell final : public platform::Shell {
 public:
  bool opens{true};
  bool failsAfterStart{false};
  bool opensWith{false};
  std::vector<std::string> opened;
  std::vector<std::pair<std::string, std::string>> openedWith;
  bool OpenDocument(std::string_view path) override {
    opened.emplace_back(path);
    return opens;
  }
  bool OpenWith(std::string_view program, std::string_view path) override {
    openedWith.emplace_back(program, path);
    return opensWith;
  }
  bool OpenDocumentWatched(std::string_view path, const platform::OpenerWatch& watch) override {
    patience = watch.patience;
    return OpenDocument(path) && !failsAfterStart;
  }
  std::chrono::milliseconds patience{0};
};

class HyperlinkLabelFixture : public ::testing::Test {
 protected:
  HyperlinkLabelFixture() {
    unsetenv("BROWSER");
    window.resize(400, 200);
  }

  HyperlinkLabel* Label(const QString& text, QRect area, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop) {
    auto* label = new HyperlinkLabel(text, shell, ui, &window);
    label->setGeometry(area);
    label->setAlignment(alignment);
    return label;
  }
  int TextWidth(const HyperlinkLabel& label) const {
    return QFontMetrics(label.font()).horizontalAdvance(label.text());
  }

  QWidget window;
  FakeShell shell;
  test::ScriptedInteraction ui;
};

TEST_F(HyperlinkLabelFixture, TakesTheAddressAsTextWhenItHasNoneAndShowsItAsTooltip) {
  HyperlinkLabel* label = Label(QString(), QRect(10, 10, 300, 20));
  label->SetAddress(QStringLiteral("http://www.vellumor.example/index.htm"));
  label->Attach();
  EXPECT_EQ(label->text(), QStringLiteral("http://www.vellumor.example/index.htm"));
  EXPECT_EQ(label->toolTip(), label->Address());
  EXPECT_TRUE(label->font().underline());
  EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);

  HyperlinkLabel* plain = Label(QStringLiteral("www.vellumor.example"), QRect(10, 40, 300, 20));
  plain->SetUnderline(false);
  plain->Attach();
  EXPECT_EQ(plain->Address(), QStringLiteral("www.vellumor.example")) << "the text is the address";
  EXPECT_FALSE(plain->font().underline());
}

TEST_F(HyperlinkLabelFixture, ShrinksToItsTextTowardsItsAlignment) {
  HyperlinkLabel* left = Label(QStringLiteral("Left link"), QRect(10, 10, 300, 40));
  HyperlinkLabel* right = Label(QStringLiteral("Right link"), QRect(10, 60, 300, 40), Qt::AlignRight | Qt::AlignTop);
  HyperlinkLabel* centred = Label(QStringLiteral("Centred link"), QRect(10, 110, 300, 40), Qt::AlignCenter);
  for (HyperlinkLabel* label : {left, right, centred}) {
    label->Attach();
  }
  const int height = QFontMetrics(left->font()).height();

  EXPECT_EQ(left->geometry(), QRect(10, 10, TextWidth(*left), height));
  EXPECT_EQ(right->geometry().right(), 309);
  EXPECT_EQ(right->width(), TextWidth(*right));
  EXPECT_EQ(right->y(), 60);
  const int spare = 300 - TextWidth(*centred);
  EXPECT_EQ(centred->x(), 10 + spare / 2);
  EXPECT_EQ(centred->width(), TextWidth(*centred));
  EXPECT_EQ(centred->y(), 110 + (40 - height) / 2) << "vertically centred as well";
}

TEST_F(HyperlinkLabelFixture, ColoursFollowHoverAndVisits) {
  HyperlinkLabel* label = Label(QStringLiteral("link"), QRect(10, 10, 100, 20));
  label->Attach();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(label->TextColour(), QColor(100, 10, 14));

  QTest::mouseMove(label, label->rect().center());
  EXPECT_TRUE(label->Hovering());
  EXPECT_EQ(label->TextColour(), QApplication::palette().color(QPalette::Highlight));
  EXPECT_EQ(label->palette().color(QPalette::WindowText), label->TextColour());

  QTest::mouseMove(&window, QPoint(390, 190));
  EXPECT_FALSE(label->Hovering());
  label->SetVisited(true);
  EXPECT_EQ(label->TextColour(), QColor(200, 200, 200));
}

TEST_F(HyperlinkLabelFixture, AClickOpensTheAddressAsItIsAndMarksTheLinkVisited) {
  HyperlinkLabel* label = Label(QStringLiteral("Mail us"), QRect(10, 10, 100, 20));
  label->SetAddress(QStringLiteral("mailto:support@vellumor.example"));
  label->Attach();
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
  EXPECT_EQ(shell.opened, std::vector<std::string>{"mailto:support@vellumor.example"});
  EXPECT_TRUE(label->Visited());
  EXPECT_TRUE(ui.messages.empty());

  EXPECT_GT(shell.patience.count(), 0) << "the opener is watched for a failure";

  // A later failure takes the visited mark away again and tells why: whether the opener cannot
  // start or starts and finds no handler.
  for (const bool starts : {false, true}) {
    shell.opens = starts;
    shell.failsAfterStart = starts;
    label->SetVisited(true);
    ui.messages.clear();
    QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());
    EXPECT_FALSE(label->Visited());
    ASSERT_EQ(ui.messages.size(), 1U);
    EXPECT_EQ(ui.messages[0].text,
              "Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.");
    EXPECT_EQ(ui.messages[0].style, platform::MessageStyle::Application);
  }
}

TEST_F(HyperlinkLabelFixture, FallsBackToTheUsersBrowserWhenTheDesktopHasNoHandler) {
  shell.opens = false;
  shell.opensWith = true;
  setenv("BROWSER", "/usr/bin/firefox", 1);
  HyperlinkLabel* label = Label(QStringLiteral("http://www.vellumor.example/"), QRect(10, 10, 200, 20));
  label->Attach();
  EXPECT_GT(label->OpenUrl(label->Address(), HyperlinkLabel::kShowNormal), HyperlinkLabel::kOpenSucceededAbove);
  ASSERT_EQ(shell.openedWith.size(), 1U);
  EXPECT_EQ(shell.openedWith[0].first, "/usr/bin/firefox");
  EXPECT_EQ(shell.openedWith[0].second, "http://www.vellumor.example/");
  unsetenv("BROWSER");
}

TEST(HyperlinkLabelErrors, EachResultHasItsTextAndUnknownOnesTheirNumber) {
  EXPECT_EQ(HyperlinkLabel::OpenErrorText(26),
            QStringLiteral("Unable to open hyperlink:\n\nA sharing violation occurred. "));
  EXPECT_EQ(HyperlinkLabel::OpenErrorText(4),
            QStringLiteral("Unable to open hyperlink:\n\nUnknown Error (4) occurred."));
  EXPECT_EQ(HyperlinkLabel::OpenErrorText(0),
            QStringLiteral("Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources."));
  EXPECT_EQ(HyperlinkLabel::OpenErrorText(32),
            QStringLiteral("Unable to open hyperlink:\n\nThe specified dynamic-link library was not found."));
}

}  // namespace
}  // namespace vellumor::ui
