#include "updater/UpdaterWindowParts.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPalette>

namespace vellumor::updater {

namespace {

class EnterEscapeFilter final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        // An accepted shortcut override turns the key into a plain key press, which is then eaten.
        event->accept();
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

// No fill of its own: the control's text is drawn onto whatever the window painted behind it.
void DrawOnBackground(QWidget* control) {
  control->setAutoFillBackground(false);
  QPalette palette = control->palette();
  palette.setColor(QPalette::Window, Qt::transparent);
  control->setPalette(palette);
}

}  // namespace

QString ControlName(int id) {
  return id == kNoId ? QString() : QString::number(id);
}

QLabel* ControlPlacer::Text(int id, const QString& text, int x, int y, int width, int height) {
  auto* label = new QLabel(text, window_);
  label->setObjectName(ControlName(id));
  label->setGeometry(units_.Rect(x, y, width, height));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Product names and page texts are shown as they are, never read as markup.
  label->setTextFormat(Qt::PlainText);
  DrawOnBackground(label);
  return label;
}

QWidget* ControlPlacer::Frame(const QString& caption, int x, int y, int width, int height) {
  auto* frame = new QGroupBox(caption, window_);
  frame->setGeometry(units_.Rect(x, y, width, height));
  DrawOnBackground(frame);
  return frame;
}

QPushButton* ControlPlacer::Button(int id, const QString& caption, int x, int y, int width, int height) {
  auto* button = new QPushButton(caption, window_);
  button->setObjectName(ControlName(id));
  button->setGeometry(units_.Rect(x, y, width, height));
  return button;
}

void IgnoreEnterAndEscape(QWidget* window) {
  auto* filter = new EnterEscapeFilter(window);
  window->installEventFilter(filter);
  for (QWidget* child : window->findChildren<QWidget*>()) {
    child->installEventFilter(filter);
  }
}

}  // namespace vellumor::updater
