#include "ui/OptionWindowControls.h"

#include <QFontMetrics>
#include <QPalette>
#include <QStyle>
#include <algorithm>
#include <limits>

namespace vellumor::ui {

namespace {

// Heights the templates give their one-line controls.
constexpr int kLabelHeight = 8;
constexpr int kCheckBoxHeight = 10;
constexpr int kDropDownHeight = 13;
constexpr int kEditHeight = 14;
// Space between a label and the control it names.
constexpr int kLabelGap = 3;

// Breaks `text` at blanks so that no line is wider than `width` pixels (a single word wider than
// that keeps a line of its own).
QString WrapToWidth(const QString& text, const QFontMetrics& metrics, int width) {
  QStringList lines;
  QString line;
  for (const QString& word : text.split(QLatin1Char(' '))) {
    const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(candidate) > width) {
      lines.append(line);
      line = word;
    } else {
      line = candidate;
    }
  }
  lines.append(line);
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

ControlPlacer::ControlPlacer(QWidget* window) : window_{window}, units_{window->font()} {}

template <typename Control>
Control* ControlPlacer::Place(Control* control, int id, int x, int y, int width, int height) {
  control->setObjectName(ControlName(id));
  control->setGeometry(units_.Rect(x, y, width, height));
  return control;
}

QGroupBox* ControlPlacer::Frame(int id, const QString& caption, int x, int y, int width, int height) {
  return Place(new QGroupBox(caption, window_), id, x, y, width, height);
}

QLabel* ControlPlacer::Label(int id, const QString& text, int x, int y, int width, int height) {
  return Place(new QLabel(text, window_), id, x, y, width, height);
}

QLabel* ControlPlacer::Label(int id, const QString& text, int x, int y) {
  QLabel* label = Label(id, text, x, y, 0, kLabelHeight);
  label->resize(label->fontMetrics().horizontalAdvance(text) + 2, label->height());
  return label;
}

QLabel* ControlPlacer::LabelBefore(int id, const QString& text, const QWidget* control) {
  auto* label = new QLabel(text, window_);
  label->setObjectName(ControlName(id));
  const int width = label->fontMetrics().horizontalAdvance(text) + 2;
  const int height = units_.Y(kLabelHeight);
  // Taller boxes keep their text on the first line, so the label stays level with that line.
  const QRect target = control->geometry();
  const int lineMiddle = target.top() + std::min(target.height(), units_.Y(kEditHeight)) / 2;
  label->setGeometry(target.left() - units_.X(kLabelGap) - width, lineMiddle - height / 2, width, height);
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  return label;
}

QCheckBox* ControlPlacer::CheckBox(int id, const QString& caption, int x, int y) {
  QCheckBox* box = Place(new QCheckBox(caption, window_), id, x, y, 0, kCheckBoxHeight);
  box->resize(box->sizeHint().width(), box->height());
  return box;
}

QCheckBox* ControlPlacer::CheckBox(int id, const QString& caption, int x, int y, int width, int height) {
  QCheckBox* box = Place(new QCheckBox(caption, window_), id, x, y, width, height);
  const QStyle* style = box->style();
  const int textWidth = box->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) -
                        style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
  box->setText(WrapToWidth(caption, box->fontMetrics(), textWidth));
  return box;
}

QLineEdit* ControlPlacer::Edit(int id, int x, int y, int width, int height) {
  return Place(new QLineEdit(window_), id, x, y, width, height);
}

QStringList ChoiceEntries(std::span<const std::string_view> list) {
  QStringList entries;
  for (const std::string_view entry : list) {
    entries.append(QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())));
  }
  return entries;
}

QComboBox* ControlPlacer::DropDown(int id, QStringList entries, bool sorted, int x, int y, int width) {
  auto* box = Place(new QComboBox(window_), id, x, y, width, kDropDownHeight);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setCompleter(nullptr);
  if (sorted) {
    std::stable_sort(entries.begin(), entries.end(), [](const QString& left, const QString& right) {
      return QString::compare(left, right, Qt::CaseInsensitive) < 0;
    });
  }
  box->addItems(entries);
  return box;
}

QPushButton* ControlPlacer::Button(int id, const QString& caption, int x, int y, int width, int height) {
  // A focused button answers Enter itself (it stays auto-default); otherwise the window's default
  // button does.
  return Place(new QPushButton(caption, window_), id, x, y, width, height);
}

void PaintWhite(QWidget* control) {
  QPalette palette = control->palette();
  palette.setColor(control->backgroundRole(), Qt::white);
  palette.setColor(QPalette::Base, Qt::white);
  control->setPalette(palette);
  control->setAutoFillBackground(true);
}

void LoadFlag(QCheckBox* box, std::int32_t value) {
  box->setChecked(value != 0);
}

std::int32_t TakeFlag(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

void LoadText(QLineEdit* edit, const std::string& value) {
  edit->setText(QString::fromStdString(value));
}

std::string TakeText(const QLineEdit* edit) {
  return edit->text().toStdString();
}

void LoadText(QComboBox* box, const std::string& value) {
  const QString text = QString::fromStdString(value);
  // Every entry begins with an empty text, so matching it would quietly put the first entry in
  // its place: an empty printing permission would come back as "High resolution" after a mere
  // "Save/Exit". An empty field therefore shows an empty box.
  if (!text.isEmpty()) {
    for (int index = 0; index < box->count(); ++index) {
      if (box->itemText(index).startsWith(text, Qt::CaseInsensitive)) {
        box->setCurrentIndex(index);
        return;
      }
    }
  }
  box->setCurrentIndex(-1);
  box->setEditText(text);
}

std::string TakeText(const QComboBox* box) {
  return box->currentText().toStdString();
}

void LoadNumber(QLineEdit* edit, std::int32_t value) {
  edit->setText(QString::number(value));
}

std::optional<std::int32_t> ParseWholeNumber(const QString& text) {
  bool ok = false;
  const qlonglong value = text.trimmed().toLongLong(&ok, 10);
  if (!ok || value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace vellumor::ui
