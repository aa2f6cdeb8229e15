#pragma once
// Answers modal dialogs in window tests without ever blocking: each queued action runs on the
// next modal dialog that opens; a dialog nobody expected, or one still open long after its
// action, is closed and counted, so a test fails instead of hanging.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

class QWidget;

namespace vellumor::test {

class ModalDriver final : public QObject {
  Q_OBJECT

 public:
  using Action = std::function<void(QWidget& dialog)>;

  explicit ModalDriver(int timeoutMs = 5000);
  ~ModalDriver() override;

  // Runs `action` on the next modal dialog.
  void Next(Action action);
  // The captions of the modal dialogs seen, in order.
  const std::vector<QString>& Seen() const { return seen_; }
  // Dialogs that were closed because no action was queued or the action left them open.
  int Unexpected() const { return unexpected_; }
  bool AllUsed() const { return actions_.empty(); }

 private:
  void Poll();

  std::deque<Action> actions_;
  std::vector<QString> seen_;
  QPointer<QWidget> current_;
  int ticksOpen_{0};
  int unexpected_{0};
  int timeoutTicks_;
  QTimer timer_;
};

// Common actions: press the push button with that object name or text; close with reject().
ModalDriver::Action Press(const QString& nameOrText);
ModalDriver::Action Reject();

}  // namespace vellumor::test
