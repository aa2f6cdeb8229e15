#pragma once
// A text label that is a link: link colours, another colour while the mouse is over it, the
// address as tooltip, a hand cursor, and a click opens the address in the desktop's handler.

#include <QColor>
#include <QLabel>
#include <QString>
#include <chrono>

#include "platform/Shell.h"
#include "platform/UserInteraction.h"

namespace vellumor::ui {

class HyperlinkLabel final : public QLabel {
  Q_OBJECT

 public:
  // Results of OpenUrl: above kOpenSucceededAbove means the address was opened.
  static constexpr int kOpenSucceededAbove = 32;
  static constexpr int kOpened = 33;
  static constexpr int kNoAssociation = 31;
  static constexpr int kShowNormal = 5;
  // How long an opener that has started is given to fail before the link counts as opened.
  static constexpr std::chrono::milliseconds kOpenerPatience{3000};

  HyperlinkLabel(const QString& text, platform::Shell& shell, platform::UserInteraction& ui, QWidget* parent = nullptr);

  // Sets the control up once its text and geometry are in place: the address falls back to the
  // text and the text to the address, the link font is applied and the label fitted to its text.
  void Attach();

  void SetAddress(const QString& address);
  void SetVisited(bool visited);
  void SetUnderline(bool underline);
  void SetColours(const QColor& link, const QColor& visited, const QColor& hover);

  const QString& Address() const { return address_; }
  bool Visited() const { return visited_; }
  bool Hovering() const { return hovering_; }
  bool Underline() const { return underline_; }
  // The colour the text is drawn in now.
  QColor TextColour() const;

  // Opens `address`; the shell's result number (above 32 on success).
  int OpenUrl(const QString& address, int showCommand);
  // Tells the user why the address could not be opened.
  void ReportOpenError(int result);
  // The message ReportOpenError shows for `result`.
  static QString OpenErrorText(int result);

 signals:
  void Opened(bool success);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void FitToText();
  void ApplyLinkFont();
  void ApplyColour();
  void Click();

  platform::Shell& shell_;
  platform::UserInteraction& ui_;
  QColor linkColour_{100, 10, 14};
  QColor visitedColour_{200, 200, 200};
  QColor hoverColour_;
  bool hovering_{false};
  bool visited_{false};
  bool underline_{true};
  bool adjustToFit_{true};
  bool attached_{false};
  QString address_;
};

}  // namespace vellumor::ui
