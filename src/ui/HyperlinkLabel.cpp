#include "ui/HyperlinkLabel.h"

#include <QApplication>
#include <QFontMetrics>
#include <QMouseEvent>

#include "platform/Environment.h"
#include "ui/model/LinkOpenError.h"

namespace vellumor::ui {

HyperlinkLabel::HyperlinkLabel(const QString& text, platform::Shell& shell, platform::UserInteraction& ui,
                               QWidget* parent)
    : QLabel(text, parent), shell_{shell}, ui_{ui}, hoverColour_{QApplication::palette().color(QPalette::Highlight)} {
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_Hover);
  ApplyColour();
}

void HyperlinkLabel::Attach() {
  attached_ = true;
  if (address_.isEmpty()) {
    address_ = text();
  }
  if (text().isEmpty()) {
    setText(address_);
  }
  ApplyLinkFont();
  FitToText();
  setToolTip(address_);
}

void HyperlinkLabel::SetAddress(const QString& address) {
  address_ = address;
  if (attached_) {
    FitToText();
    setToolTip(address_);
  }
}

void HyperlinkLabel::SetVisited(bool visited) {
  visited_ = visited;
  ApplyColour();
}

void HyperlinkLabel::SetUnderline(bool underline) {
  underline_ = underline;
  if (attached_) {
    ApplyLinkFont();
  }
}

void HyperlinkLabel::SetColours(const QColor& link, const QColor& visited, const QColor& hover) {
  linkColour_ = link;
  visitedColour_ = visited;
  hoverColour_ = hover;
  ApplyColour();
}

QColor HyperlinkLabel::TextColour() const {
  if (hovering_) {
    return hoverColour_;
  }
  return visited_ ? visitedColour_ : linkColour_;
}

void HyperlinkLabel::ApplyLinkFont() {
  QFont linkFont = font();
  linkFont.setUnderline(underline_);
  setFont(linkFont);
  update();
}

void HyperlinkLabel::ApplyColour() {
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, TextColour());
  setPalette(colours);
  update();
}

void HyperlinkLabel::FitToText() {
  if (!adjustToFit_) {
    return;
  }
  const QFontMetrics metrics(font());
  const QSize textSize = metrics.size(Qt::TextShowMnemonic, text());
  QRect area = geometry();
  const Qt::Alignment align = alignment();
  if (align & Qt::AlignVCenter) {
    const int spare = area.height() - textSize.height();
    area.setTop(area.top() + spare / 2);
    area.setHeight(textSize.height());
  } else {
    area.setHeight(textSize.height());
  }
  if (align & Qt::AlignHCenter) {
    const int spare = area.width() - textSize.width();
    area.setLeft(area.left() + spare / 2);
    area.setWidth(textSize.width());
  } else if (align & Qt::AlignRight) {
    area.setLeft(area.right() + 1 - textSize.width());
  } else {
    area.setWidth(textSize.width());
  }
  setGeometry(area);
}

void HyperlinkLabel::enterEvent(QEnterEvent* event) {
  QLabel::enterEvent(event);
  if (!hovering_) {
    hovering_ = true;
    ApplyColour();
    repaint();
  }
}

void HyperlinkLabel::leaveEvent(QEvent* event) {
  QLabel::leaveEvent(event);
  if (hovering_) {
    hovering_ = false;
    ApplyColour();
    repaint();
  }
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
    Click();
  }
}

void HyperlinkLabel::Click() {
  const int result = OpenUrl(address_, kShowNormal);
  SetVisited(result > kOpenSucceededAbove);
  if (!visited_) {
    QApplication::beep();
    ReportOpenError(result);
  }
  emit Opened(visited_);
}

int HyperlinkLabel::OpenUrl(const QString& address, int /*showCommand*/) {
  // Windows is shown its window in the current size and position anyway; the desktop handler
  // decides that here. The opener says only by its exit status that it found no handler, so it
  // is watched for a moment; the windows keep painting, but a second click waits.
  const platform::OpenerWatch watch{kOpenerPatience,
                                    [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }};
  const std::string target = address.toStdString();
  if (shell_.OpenDocumentWatched(target, watch)) {
    return kOpened;
  }
  // The user's browser is the handler of web pages when the desktop has none registered.
  if (const std::optional<std::string> browser = platform::GetEnvironmentVariable("BROWSER");
      browser && !browser->empty() && shell_.OpenWithWatched(*browser, target, watch)) {
    return kOpened;
  }
  return kNoAssociation;
}

QString HyperlinkLabel::OpenErrorText(int result) {
  return QString::fromStdString(dialog::LinkOpenErrorText(result));
}

void HyperlinkLabel::ReportOpenError(int result) {
  ui_.ShowMessage(OpenErrorText(result).toStdString(), platform::MessageStyle::Application);
}

}  // namespace vellumor::ui
