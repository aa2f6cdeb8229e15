// The updater's windows, offscreen: the status window that carries the check without being
// shown, the one that stays after a network failure, the offer window's answers, and keys that
// must not close anything. Modal moments are scripted so that nothing waits for a person.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QtTest/QTest>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/Shell.h"
#include "support/CheckFixture.h"
#include "ui/DialogWindow.h"
#include "updater/NewVersionDialog.h"
#include "updater/UpdaterAboutDialog.h"
#include "updater/UpdaterStatusDialog.h"
#include "updater/VersionDecision.h"

namespace vellumor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ui::FindControl;
using updater::NewVersionDialog;
using updater::UpdaterStatusDialog;

class RecordingShell final : public platform::Shell {
 public:
  std::vector<std::string> opened;
  bool OpenDocument(std::string_view path) override {
    opened.emplace_back(path);
    return true;
  }
  bool OpenWith(std::string_view, std::string_view) override { return false; }
};

class ScriptedPrompts final : public updater::UpdaterPrompts {
 public:
  std::function<int(NewVersionDialog&)> onOffer = [](NewVersionDialog&) { return updater::kOfferClosed; };
  std::function<int(UpdaterStatusDialog&)> onStatusWindow = [](UpdaterStatusDialog& status) {
    status.close();
    return status.result();
  };
  std::vector<std::pair<QMessageBox::Icon, QString>> messages;
  std::vector<QString> aboutLines;
  int statusWindows{0};

  int RunOffer(NewVersionDialog& offer) override { return onOffer(offer); }
  void ShowMessage(QMessageBox::Icon icon, const QString& text) override { messages.emplace_back(icon, text); }
  void RunAbout(updater::UpdaterAboutDialog& about) override {
    for (const QLabel* label : about.findChildren<QLabel*>()) {
      aboutLines.push_back(label->text());
    }
  }
  int RunStatusWindow(UpdaterStatusDialog& status) override {
    ++statusWindows;
    return onStatusWindow(status);
  }
};

QString FieldText(const QWidget& window, int id) {
  const QLabel* field = FindControl<QLabel>(&window, id);
  return field != nullptr ? field->text() : QStringLiteral("<no field>");
}

// Shows the window, presses Enter and Escape at it and at its focused control, and tells
// whether it is still open with its result untouched.
bool IgnoresEnterAndEscape(QDialog& window) {
  window.show();
  window.setResult(42);
  for (QWidget* target : {static_cast<QWidget*>(&window), window.focusWidget()}) {
    if (target == nullptr) {
      continue;
    }
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      QTest::keyClick(target, key);
    }
  }
  return window.isVisible() && window.result() == 42;
}

class UpdaterWindowsTest : public CheckFixture {
 protected:
  UpdaterWindowsTest() {
    CreateProductKey();
    SetValue("AdvCheckUpdate", "7 days");
    SetValue("AdvLastUpdateCheck", "1000");
    ServeVersions("1.07", "1.07");
  }

  updater::UpdaterServices WindowServices() { return updater::UpdaterServices{Services(), shell_, prompts_}; }

  RecordingShell shell_;
  ScriptedPrompts prompts_;
};

TEST_F(UpdaterWindowsTest, TheCheckRunsInTheStatusWindowWithoutShowingIt) {
  SetValue("AdvLastUpdateCheck", std::to_string(kNow - 3 * kDay));
  const updater::UpdaterServices services = WindowServices();
  UpdaterStatusDialog status{Arguments(), services};
  EXPECT_EQ(status.Run(), 0);
  EXPECT_FALSE(status.isVisible());
  EXPECT_EQ(prompts_.statusWindows, 0);
  EXPECT_EQ(status.windowTitle(), "Corvane Software Updater");
  EXPECT_EQ(FieldText(status, updater::kProductFieldId), "Vellumor");
  EXPECT_EQ(FieldText(status, updater::kVersionFieldId), "1.06");
  EXPECT_EQ(FieldText(status, updater::kStatusFieldId), "Not ready to check on internet\nDone: 3 out of 7 days.");
  EXPECT_TRUE(status.HasBackground());
  EXPECT_EQ(status.BackgroundSize(), QSize(800, 800));
  EXPECT_FALSE(status.windowIcon().isNull());
}

TEST_F(UpdaterWindowsTest, TheAboutBoxIsOnTheStatusWindowsMenu) {
  const updater::UpdaterServices services = WindowServices();
  UpdaterStatusDialog status{Arguments(), services};
  ASSERT_EQ(status.actions().size(), 1);
  EXPECT_EQ(status.actions()[0]->text(), "&About Updater...");
  status.actions()[0]->trigger();
  EXPECT_THAT(prompts_.aboutLines, ::testing::IsSupersetOf({QString("Updater Version 1.01")}));
  updater::UpdaterAboutDialog about;
  EXPECT_EQ(about.windowTitle(), "About Updater");
}

TEST_F(UpdaterWindowsTest, AnAcceptedOfferOpensThePageAndIsTheResult) {
  QString offerLine;
  prompts_.onOffer = [&offerLine](NewVersionDialog& offer) {
    offer.show();
    offerLine = FieldText(offer, updater::kOfferLineId);
    QTest::mouseClick(FindControl<QPushButton>(&offer, updater::kUpdateButtonId), Qt::LeftButton);
    return offer.result();
  };
  EXPECT_EQ(updater::RunUpdate(Arguments(), WindowServices()), 1);
  EXPECT_EQ(offerLine, "A new version of Vellumor has been found on CNET downloads.example");
  EXPECT_THAT(shell_.opened, ElementsAre(server_.Url("/Vellumor3041587.htm")));
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), std::to_string(kNow));
}

TEST_F(UpdaterWindowsTest, NoUpdateIsToldInAnExclamationBox) {
  ServeVersions("1.06", "1.06");
  updater::UpdateArguments arguments = Arguments();
  arguments.manualCheck = 1;
  EXPECT_EQ(updater::RunUpdate(arguments, WindowServices()), 0);
  EXPECT_THAT(prompts_.messages,
              ElementsAre(std::pair{QMessageBox::Warning, QString("No updates found, you're on the latest version.")}));
}

TEST_F(UpdaterWindowsTest, ANetworkFailureLeavesTheStatusWindowOpenUntilClosed) {
  server_.Serve("/index.htm", TestHttpServer::Reply{TestHttpServer::Behaviour::CloseAtOnce, 200, {}, {}});
  bool stayed = false;
  QString statusLine;
  prompts_.onStatusWindow = [&](UpdaterStatusDialog& status) {
    stayed = IgnoresEnterAndEscape(status);
    statusLine = FieldText(status, updater::kStatusFieldId);
    status.close();  // the close box
    return status.result();
  };
  EXPECT_EQ(updater::RunUpdate(Arguments(), WindowServices()), 2);
  ASSERT_EQ(prompts_.messages.size(), 1U);
  EXPECT_EQ(prompts_.messages[0].first, QMessageBox::Critical);
  EXPECT_FALSE(prompts_.messages[0].second.isEmpty());
  EXPECT_TRUE(stayed);
  EXPECT_EQ(statusLine, "Connecting Corvane...");
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), std::to_string(kNow));
}

TEST_F(UpdaterWindowsTest, AProductWithoutNameOrKeyIsNotChecked) {
  registry_.CreateKey(platform::RegistryRoot::LocalMachine, "SOFTWARE\\Corvane Software");
  for (const auto& [name, key] : {std::pair{"", "Vellumor"}, std::pair{"Vellumor", ""}}) {
    updater::UpdateArguments arguments = Arguments();
    arguments.productName = name;
    arguments.productKey = key;
    EXPECT_EQ(updater::RunUpdate(arguments, WindowServices()), 0);
  }
  std::vector<platform::RegistryValue> makerValues;
  registry_.ListValues(platform::RegistryRoot::LocalMachine, "SOFTWARE\\Corvane Software", makerValues);
  EXPECT_THAT(makerValues, IsEmpty());
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), "1000");
  EXPECT_THAT(server_.Requests(), IsEmpty());
}

TEST_F(UpdaterWindowsTest, NoWindowIsMadeOffTheApplicationsThread) {
  int result = 0;
  std::thread other([&] { result = updater::RunUpdate(Arguments(), WindowServices()); });
  other.join();
  EXPECT_EQ(result, -1);
  EXPECT_EQ(StoredValue("AdvLastUpdateCheck"), "1000");
}

TEST(NewVersionDialogTest, EachButtonAnswersAndOnlyTheCloseBoxSaysNothing) {
  const std::pair<int, int> buttons[] = {{updater::kUpdateButtonId, updater::kOfferUpdate},
                                         {updater::kNeverButtonId, updater::kOfferNever},
                                         {updater::kNotNowButtonId, updater::kOfferNotNow},
                                         {updater::kCancelButtonId, updater::kOfferNotNow}};
  for (const auto& [id, answer] : buttons) {
    NewVersionDialog offer;
    offer.show();
    QTest::mouseClick(FindControl<QPushButton>(&offer, id), Qt::LeftButton);
    EXPECT_FALSE(offer.isVisible());
    EXPECT_EQ(offer.result(), answer) << id;
  }
  NewVersionDialog offer;
  offer.show();
  offer.setResult(42);
  offer.close();
  EXPECT_EQ(offer.result(), updater::kOfferClosed);
}

TEST(NewVersionDialogTest, EnterAndEscapeDoNothing) {
  NewVersionDialog offer;
  offer.SetLines("A new version of Vellumor has been found on CNET downloads.example", updater::kOfferQuestion);
  QPushButton* update = FindControl<QPushButton>(&offer, updater::kUpdateButtonId);
  ASSERT_NE(update, nullptr);
  EXPECT_TRUE(update->isDefault());
  update->setFocus();
  EXPECT_TRUE(IgnoresEnterAndEscape(offer));
  EXPECT_EQ(FieldText(offer, updater::kQuestionLineId), "Do you want to goto the download page now?");
  EXPECT_EQ(offer.windowTitle(), "New Version Available");
  EXPECT_TRUE(offer.HasBackground());
}

}  // namespace
}  // namespace vellumor::test
