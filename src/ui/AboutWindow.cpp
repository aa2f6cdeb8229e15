#include "ui/AboutWindow.h"

#include <QLabel>
#include <QPushButton>

#include "app/UpdaterLibrary.h"
#include "convert/Services.h"
#include "ui/DialogUnits.h"
#include "ui/HyperlinkLabel.h"
#include "ui/Resources.h"

namespace vellumor::ui {

namespace {

HyperlinkLabel* Link(const QString& text, const QString& address, int id, QRect area, platform::Shell& shell,
                     platform::UserInteraction& ui, QWidget* parent) {
  auto* link = new HyperlinkLabel(text, shell, ui, parent);
  link->setObjectName(QString::number(id));
  link->setGeometry(area);
  link->SetAddress(address);
  link->SetUnderline(true);
  link->Attach();
  return link;
}

}  // namespace

AboutWindow::AboutWindow(platform::Shell& shell, platform::UserInteraction& ui, QWidget* parent)
    : BitmapBackgroundDialog(parent) {
  setWindowTitle(QStringLiteral("About Vellumor"));
  setFont(DialogFont());
  const DialogUnits units(font());
  setFixedSize(units.Size(235, 70));

  auto* icon = new QLabel(this);
  icon->setPixmap(ApplicationIcon().pixmap(32, 32));
  icon->setGeometry(units.Rect(11, 10, 21, 20));
  auto* version = new QLabel(QStringLiteral("Vellumor Version 1.06"), this);
  version->setGeometry(units.Rect(40, 10, 130, 8));
  auto* maker = new QLabel(QStringLiteral("Copyright (C) Corvane Software"), this);
  maker->setGeometry(units.Rect(40, 22, 130, 8));

  QString webPage = QString::fromStdString(app::DefaultUpdateArguments().productPageUrl);
  if (webPage.isEmpty()) {
    webPage = QStringLiteral("http://%1/index.htm").arg(QLatin1String(convert::kProducer.data()));
  }
  webPage_ = Link(webPage, webPage, kWebPageLinkId, units.Rect(40, 38, 185, 8), shell, ui, this);
  mail_ = Link(QLatin1String(kSupportMailAddress), QStringLiteral("mailto:") + QLatin1String(kSupportMailAddress),
               kMailLinkId, units.Rect(40, 50, 185, 8), shell, ui, this);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setGeometry(units.Rect(178, 7, 50, 14));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  LoadBackground(QLatin1String(kMainBackground));
}

}  // namespace vellumor::ui
