#include "support/ModalDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>

namespace vellumor::test {

namespace {

constexpr int kTickMs = 10;

void Close(QWidget& widget) {
  if (auto* dialog = qobject_cast<QDialog*>(&widget)) {
    dialog->reject();
  } else {
    widget.close();
  }
}

}  // namespace

ModalDriver::ModalDriver(int timeoutMs) : timeoutTicks_{timeoutMs / kTickMs} {
  connect(&timer_, &QTimer::timeout, this, &ModalDriver::Poll);
  timer_.start(kTickMs);
}

ModalDriver::~ModalDriver() {
  timer_.stop();
}

void ModalDriver::Next(Action action) {
  actions_.push_back(std::move(action));
}

void ModalDriver::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr) {
    current_ = nullptr;
    return;
  }
  if (modal == current_) {
    // The action left it open (or it is waiting for a nested dialog that never came).
    if (++ticksOpen_ > timeoutTicks_) {
      ++unexpected_;
      Close(*modal);
    }
    return;
  }
  current_ = modal;
  ticksOpen_ = 0;
  seen_.push_back(modal->windowTitle());
  if (actions_.empty()) {
    ++unexpected_;
    Close(*modal);
    return;
  }
  // A dialog that is reused opens again as a new modal run once this one has finished.
  if (auto* dialog = qobject_cast<QDialog*>(modal)) {
    connect(
        dialog, &QDialog::finished, this,
        [this, dialog] {
          if (current_ == dialog) {
            current_ = nullptr;
          }
        },
        Qt::SingleShotConnection);
  }
  Action action = std::move(actions_.front());
  actions_.pop_front();
  action(*modal);
}

ModalDriver::Action Press(const QString& nameOrText) {
  return [nameOrText](QWidget& dialog) {
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
      if (button->objectName() == nameOrText || button->text() == nameOrText) {
        button->click();
        return;
      }
    }
    Close(dialog);
  };
}

ModalDriver::Action Reject() {
  return [](QWidget& dialog) { Close(dialog); };
}

}  // namespace vellumor::test
