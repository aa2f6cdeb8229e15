#include "ui/DialogWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <algorithm>

#include "ui/IconButton.h"
#include "ui/model/ChoiceList.h"

namespace vellumor::ui {

namespace {

using dialog::Kind;

// Heights of one-line controls whose template gives only a position (or, for a drop-down, the
// height of its open list): Qt boxes draw their field at the rectangle's full height.
constexpr int kDropDownFieldHeight = 13;
constexpr int kEditLineHeight = 14;
// Space between a label and the control it names.
constexpr int kLabelGap = 3;

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A static control shows one "&" for each "&&" of its text.
QString StaticText(std::string_view text) {
  return FromUtf8(text).replace(QStringLiteral("&&"), QStringLiteral("&"));
}

// Breaks `text` at blanks so that no line is wider than `width` pixels (a single word wider than
// that keeps a line of its own): a check box's caption in a box narrower than the caption.
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

// A list view that reports a finished left click, after it has updated its own selection.
class ClickReportingList final : public QListWidget {
 public:
  ClickReportingList(QWidget* parent, std::function<void(int)> onLeftClick)
      : QListWidget(parent), onLeftClick_{std::move(onLeftClick)} {}

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
      QListWidgetItem* item = itemAt(event->position().toPoint());
      onLeftClick_(item != nullptr ? row(item) : -1);
    }
  }

 private:
  std::function<void(int)> onLeftClick_;
};

Qt::WindowFlags WindowFlags(std::uint32_t style) {
  Qt::WindowFlags flags = (style & dialog::kTaskBar) != 0 ? Qt::Window : Qt::Dialog;
  flags |= Qt::CustomizeWindowHint;
  if ((style & dialog::kCaption) != 0) {
    flags |= Qt::WindowTitleHint;
  }
  if ((style & dialog::kSystemMenu) != 0) {
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  }
  if ((style & dialog::kMinimiseBox) != 0) {
    flags |= Qt::WindowMinimizeButtonHint;
  }
  return flags;
}

void FillRole(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(role, colour);
  widget->setPalette(palette);
}

}  // namespace

QString ControlName(int id) {
  return id == dialog::kNoId ? QString() : QString::number(id);
}

DialogWindow::DialogWindow(std::unique_ptr<dialog::Dialog> rules, DialogResources resources, QWidget* parent)
    : DialogWindow(*rules, std::move(resources), parent) {
  ownedRules_ = std::move(rules);
}

DialogWindow::DialogWindow(dialog::Dialog& rules, DialogResources resources, QWidget* parent)
    : BitmapBackgroundDialog(parent),
      rules_{rules},
      description_{rules.Description()},
      resources_{std::move(resources)},
      units_{[&] {
        QFont font = DialogFont();
        font.setPointSize(rules.Description().fontPoints);
        return font;
      }()} {
  setWindowFlags(WindowFlags(description_.style));
  setWindowTitle(FromUtf8(description_.caption));
  QFont font = DialogFont();
  font.setPointSize(description_.fontPoints);
  setFont(font);
  if (description_.icon != 0 && resources_.icon) {
    setWindowIcon(resources_.icon(description_.icon));
  }
  BuildMenu();
  const QSize client = units_.Size(description_.width, description_.height);
  setFixedSize(client.width(), client.height() + clientTop_);
  if (menuBar_ != nullptr) {
    menuBar_->setGeometry(0, 0, client.width(), clientTop_);
  }
  BuildControls();
  // Qt cannot add to the window manager's window menu: its commands are the window's context menu.
  for (const dialog::MenuItem& item : description_.systemMenu) {
    if (item.id == 0) {
      continue;
    }
    auto* action = new QAction(FromUtf8(item.text), this);
    action->setObjectName(ControlName(item.id));
    connect(action, &QAction::triggered, this, [this, id = item.id] { rules_.Command(*this, id); });
    addAction(action);
  }
  if (!description_.systemMenu.empty()) {
    setContextMenuPolicy(Qt::ActionsContextMenu);
  }
  if ((description_.style & dialog::kIgnoreEnterEscape) != 0) {
    installEventFilter(this);
    for (auto& [id, widget] : controls_) {
      widget->installEventFilter(this);
    }
    for (QWidget* child : findChildren<QWidget*>()) {
      child->installEventFilter(this);
    }
  }
  if (description_.background != 0 && resources_.bitmapFile) {
    LoadBackground(resources_.bitmapFile(description_.background));
  }
}

DialogWindow::~DialogWindow() = default;

void DialogWindow::BuildMenu() {
  if (description_.menus.empty()) {
    return;
  }
  menuBar_ = new QMenuBar(this);
  for (const dialog::Menu& menu : description_.menus) {
    QMenu* added = menuBar_->addMenu(FromUtf8(menu.title));
    for (const dialog::MenuItem& item : menu.items) {
      if (item.id == 0) {
        added->addSeparator();
        continue;
      }
      QAction* action = added->addAction(FromUtf8(item.text));
      action->setObjectName(ControlName(item.id));
      connect(action, &QAction::triggered, this, [this, id = item.id] { rules_.Command(*this, id); });
    }
  }
  menuBar_->adjustSize();
  clientTop_ = menuBar_->sizeHint().height();
}

QRect DialogWindow::ClientRect(int x, int y, int width, int height) const {
  return units_.Rect(x, y, width, height).translated(0, clientTop_);
}

void DialogWindow::BuildControls() {
  for (const dialog::Control& control : description_.controls) {
    QWidget* widget = Make(control);
    if (widget == nullptr) {
      continue;
    }
    widget->setObjectName(ControlName(control.id));
    if (control.id != dialog::kNoId) {
      controls_.emplace(control.id, widget);
    }
    Fit(widget, control);
    Paint(widget, control);
    Connect(widget, control);
    if ((control.style & dialog::kHidden) != 0) {
      widget->hide();
    }
    if ((control.style & dialog::kDisabled) != 0) {
      widget->setEnabled(false);
    }
  }
}

QWidget* DialogWindow::Make(const dialog::Control& control) {
  const QString text = FromUtf8(control.text);
  switch (control.kind) {
    case Kind::Label: {
      auto* label = new QLabel(StaticText(control.text), this);
      // Names and texts from outside are shown as they are, never read as markup.
      label->setTextFormat(Qt::PlainText);
      Qt::Alignment alignment = (control.style & dialog::kCentred) != 0 ? Qt::AlignHCenter : Qt::AlignLeft;
      alignment |= (control.style & dialog::kTop) != 0 ? Qt::AlignTop : Qt::AlignVCenter;
      label->setAlignment(alignment);
      label->setWordWrap((control.style & dialog::kMultiLine) != 0);
      return label;
    }
    case Kind::Edit:
    case Kind::Password: {
      auto* edit = new QLineEdit(this);
      if (control.kind == Kind::Password) {
        edit->setEchoMode(QLineEdit::Password);
      }
      if ((control.style & dialog::kTop) != 0) {
        edit->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      }
      return edit;
    }
    case Kind::DropDown: {
      auto* box = new QComboBox(this);
      // Anything typed is kept as typed: nothing is added to the list and nothing is completed
      // on the user's behalf.
      box->setEditable(true);
      box->setInsertPolicy(QComboBox::NoInsert);
      box->setCompleter(nullptr);
      for (const std::string_view entry : dialog::DisplayedEntries(control)) {
        box->addItem(FromUtf8(entry));
      }
      return box;
    }
    case Kind::CheckBox:
      return new QCheckBox(text, this);
    case Kind::Button: {
      auto* button = new QPushButton(text, this);
      if ((control.style & dialog::kDefaultButton) != 0) {
        button->setDefault(true);
      }
      if ((control.style & dialog::kNoFocus) != 0) {
        button->setFocusPolicy(Qt::NoFocus);
      }
      if ((control.style & dialog::kLargeText) != 0) {
        QFont large = button->font();
        large.setPointSize(large.pointSize() + 4);
        large.setBold(true);
        button->setFont(large);
      }
      return button;
    }
    case Kind::GroupBox:
      return new QGroupBox(text, this);
    case Kind::Picture: {
      auto* picture = new QLabel(this);
      if (resources_.bitmapFile) {
        picture->setPixmap(QPixmap(resources_.bitmapFile(control.resource)));
      }
      picture->setScaledContents(true);
      return picture;
    }
    case Kind::Icon: {
      auto* icon = new QLabel(this);
      if (resources_.icon) {
        icon->setPixmap(resources_.icon(control.resource).pixmap(32, 32));
      }
      return icon;
    }
    case Kind::IconButton: {
      auto* button = new IconButton(text, this);
      if (control.resource != 0 && resources_.iconFile) {
        button->SetIcon(resources_.iconFile(control.resource));
      }
      return button;
    }
    case Kind::ProgressBar: {
      auto* bar = new QProgressBar(this);
      bar->setTextVisible(false);
      bar->setRange(1, 4);
      bar->reset();
      return bar;
    }
    case Kind::TreeView: {
      auto* tree = new QTreeWidget(this);
      tree->setHeaderHidden(true);
      tree->setRootIsDecorated(true);
      // Keys move the tree's focus but never its mark; only a click reaches the rules.
      tree->setSelectionMode(QAbstractItemView::NoSelection);
      tree->viewport()->installEventFilter(this);
      std::vector<QTreeWidgetItem*>& items = treeItems_[control.id];
      for (const dialog::Item& item : control.items) {
        auto* made = new QTreeWidgetItem(QStringList{FromUtf8(item.text)});
        if (item.parent < 0 || item.parent >= static_cast<int>(items.size())) {
          tree->addTopLevelItem(made);
        } else {
          items[static_cast<std::size_t>(item.parent)]->addChild(made);
        }
        items.push_back(made);
      }
      marked_[control.id] = -1;
      return tree;
    }
    case Kind::ListView: {
      auto* list =
          new ClickReportingList(this, [this, id = control.id](int item) { rules_.ItemClicked(*this, id, item); });
      list->setViewMode(QListView::IconMode);
      list->setIconSize(QSize(32, 32));
      list->setMovement(QListView::Static);
      list->setFlow(QListView::LeftToRight);
      list->setWrapping(true);
      list->setSelectionMode(QAbstractItemView::ExtendedSelection);
      list->setDragEnabled(false);
      for (const dialog::Item& item : control.items) {
        new QListWidgetItem(resources_.icon ? resources_.icon(item.icon) : QIcon(), FromUtf8(item.text), list);
      }
      return list;
    }
    case Kind::Hyperlink:
      if (resources_.makeControl) {
        const dialog::Rect& r = control.rect;
        return resources_.makeControl(control, ClientRect(r.x, r.y, r.width, r.height), this);
      }
      return new QLabel(text, this);
  }
  return nullptr;
}

void DialogWindow::Fit(QWidget* widget, const dialog::Control& control) {
  if (control.kind == Kind::Hyperlink && resources_.makeControl) {
    return;  // placed by its maker
  }
  const dialog::Rect& r = control.rect;
  int height = r.height;
  if (control.kind == Kind::DropDown) {
    height = kDropDownFieldHeight;
  }
  widget->setGeometry(ClientRect(r.x, r.y, r.width, height));
  switch (control.fit) {
    case dialog::Fit::Exact:
      break;
    case dialog::Fit::TextWidth:
      if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->resize(label->fontMetrics().horizontalAdvance(label->text()) + 2, label->height());
      } else {
        widget->resize(widget->sizeHint().width(), widget->height());
      }
      break;
    case dialog::Fit::BeforeBuddy: {
      const QWidget* buddy = Control(control.buddy);
      auto* label = qobject_cast<QLabel*>(widget);
      if (buddy == nullptr || label == nullptr) {
        break;
      }
      const int width = label->fontMetrics().horizontalAdvance(label->text()) + 2;
      const int lineHeight = units_.Y(r.height);
      // Taller boxes keep their text on the first line, so the label stays level with that line.
      const QRect target = buddy->geometry();
      const int lineMiddle = target.top() + std::min(target.height(), units_.Y(kEditLineHeight)) / 2;
      label->setGeometry(target.left() - units_.X(kLabelGap) - width, lineMiddle - lineHeight / 2, width, lineHeight);
      label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      break;
    }
  }
  if (auto* list = qobject_cast<QListWidget*>(widget)) {
    // One item per row, centred across the list.
    const int rowWidth = list->width() - 2 * list->frameWidth() - 2;
    list->setGridSize(QSize(rowWidth, units_.Y(36)));
  }
  if (control.kind == Kind::CheckBox && (control.style & dialog::kMultiLine) != 0) {
    auto* box = static_cast<QCheckBox*>(widget);
    const QStyle* style = box->style();
    const int textWidth = box->width() - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) -
                          style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
    box->setText(WrapToWidth(box->text(), box->fontMetrics(), textWidth));
  }
}

void DialogWindow::Paint(QWidget* widget, const dialog::Control& control) {
  // Icon buttons draw themselves; frames, trees and lists draw their own background.
  switch (control.kind) {
    case Kind::IconButton:
    case Kind::TreeView:
    case Kind::ListView:
    case Kind::ProgressBar:
    case Kind::Picture:
    case Kind::Icon:
    case Kind::Hyperlink:
      return;
    default:
      break;
  }
  const bool field = control.kind == Kind::Edit || control.kind == Kind::Password || control.kind == Kind::DropDown;
  switch (control.brush) {
    case dialog::Brush::Default:
      break;
    case dialog::Brush::Background:
      widget->setAutoFillBackground(false);
      FillRole(widget, QPalette::Window, Qt::transparent);
      break;
    case dialog::Brush::White:
      if (control.kind == Kind::GroupBox) {
        break;
      }
      FillRole(widget, widget->backgroundRole(), Qt::white);
      FillRole(widget, QPalette::Base, Qt::white);
      widget->setAutoFillBackground(true);
      break;
    case dialog::Brush::Colour:
      if (field) {
        SetColour(control.id, control.colour);
      } else {
        FillRole(widget, QPalette::Window, QColor(control.colour.red, control.colour.green, control.colour.blue));
        widget->setAutoFillBackground(true);
      }
      break;
  }
}

void DialogWindow::Connect(QWidget* widget, const dialog::Control& control) {
  const int id = control.id;
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    connect(button, &QAbstractButton::clicked, this, [this, id] { rules_.Command(*this, id); });
  } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
    connect(box, &QComboBox::activated, this, [this, id] { rules_.SelectionPicked(*this, id); });
  }
}

QWidget* DialogWindow::Control(int id) const {
  const auto found = controls_.find(id);
  return found != controls_.end() ? found->second : nullptr;
}

QAction* DialogWindow::MenuCommand(int id) const {
  if (menuBar_ != nullptr) {
    if (auto* action = menuBar_->findChild<QAction*>(ControlName(id))) {
      return action;
    }
  }
  for (QAction* action : actions()) {
    if (action->objectName() == ControlName(id)) {
      return action;
    }
  }
  return nullptr;
}

std::string DialogWindow::Text(int id) const {
  QWidget* widget = Control(id);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    return edit->text().toStdString();
  }
  if (auto* box = qobject_cast<QComboBox*>(widget)) {
    return box->currentText().toStdString();
  }
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    return label->text().toStdString();
  }
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    return button->text().toStdString();
  }
  if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
    return frame->title().toStdString();
  }
  return {};
}

void DialogWindow::SetText(int id, std::string_view text) {
  QWidget* widget = Control(id);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(FromUtf8(text));
  } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(-1);
    box->setEditText(FromUtf8(text));
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(StaticText(text));
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(FromUtf8(text));
  } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
    frame->setTitle(FromUtf8(text));
  }
}

bool DialogWindow::Checked(int id) const {
  auto* box = qobject_cast<QAbstractButton*>(Control(id));
  return box != nullptr && box->isChecked();
}

void DialogWindow::SetChecked(int id, bool checked) {
  if (auto* box = qobject_cast<QAbstractButton*>(Control(id))) {
    box->setChecked(checked);
  }
}

int DialogWindow::Selection(int id) const {
  QWidget* widget = Control(id);
  if (auto* box = qobject_cast<QComboBox*>(widget)) {
    // A typed text that happens to equal an entry still counts as that entry.
    return box->findText(box->currentText(), Qt::MatchExactly);
  }
  if (auto* list = qobject_cast<QListWidget*>(widget)) {
    for (int row = 0; row < list->count(); ++row) {
      if (list->item(row)->isSelected()) {
        return row;
      }
    }
    return -1;
  }
  const auto marked = marked_.find(id);
  return marked != marked_.end() ? marked->second : -1;
}

void DialogWindow::SetSelection(int id, int index) {
  QWidget* widget = Control(id);
  if (auto* box = qobject_cast<QComboBox*>(widget)) {
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(index);
    if (index >= 0) {
      box->setEditText(box->itemText(index));
    }
    return;
  }
  if (auto* list = qobject_cast<QListWidget*>(widget)) {
    for (int row = 0; row < list->count(); ++row) {
      list->item(row)->setSelected(row == index);
    }
    if (index >= 0 && index < list->count()) {
      list->setCurrentItem(list->item(index), QItemSelectionModel::NoUpdate);
    }
    return;
  }
  auto* tree = qobject_cast<QTreeWidget*>(widget);
  const auto items = treeItems_.find(id);
  if (tree == nullptr || items == treeItems_.end()) {
    return;
  }
  const int previous = marked_[id];
  if (previous >= 0) {
    items->second[static_cast<std::size_t>(previous)]->setData(0, Qt::BackgroundRole, QVariant());
    items->second[static_cast<std::size_t>(previous)]->setData(0, Qt::ForegroundRole, QVariant());
  }
  const bool valid = index >= 0 && index < static_cast<int>(items->second.size());
  marked_[id] = valid ? index : -1;
  if (valid) {
    QTreeWidgetItem* item = items->second[static_cast<std::size_t>(index)];
    item->setBackground(0, tree->palette().brush(QPalette::Active, QPalette::Highlight));
    item->setForeground(0, tree->palette().brush(QPalette::Active, QPalette::HighlightedText));
  }
}

void DialogWindow::SetEnabled(int id, bool enabled) {
  if (QWidget* widget = Control(id)) {
    widget->setEnabled(enabled);
  }
}

void DialogWindow::SetVisible(int id, bool visible) {
  if (QWidget* widget = Control(id)) {
    widget->setVisible(visible);
  }
}

void DialogWindow::SetFocus(int id) {
  QWidget* widget = Control(id);
  if (widget == nullptr) {
    return;
  }
  widget->setFocus();
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->selectAll();
  }
}

void DialogWindow::SetColour(int id, dialog::Colour colour) {
  QWidget* widget = Control(id);
  if (widget == nullptr) {
    return;
  }
  const QColor brush(colour.red, colour.green, colour.blue);
  if (qobject_cast<QLineEdit*>(widget) != nullptr || qobject_cast<QComboBox*>(widget) != nullptr) {
    FillRole(widget, QPalette::Base, brush);
    // A dark brush would swallow black text.
    FillRole(widget, QPalette::Text, brush.lightness() < 128 ? Qt::white : Qt::black);
  } else {
    FillRole(widget, QPalette::Window, brush);
    widget->setAutoFillBackground(true);
  }
}

void DialogWindow::SetProgress(int id, int position) {
  auto* bar = qobject_cast<QProgressBar*>(Control(id));
  if (bar == nullptr) {
    return;
  }
  if (position < bar->minimum() || position > bar->maximum()) {
    bar->reset();
  } else {
    bar->setValue(position);
  }
}

void DialogWindow::SetIcon(int id, int icon) {
  if (auto* button = qobject_cast<IconButton*>(Control(id)); button != nullptr && resources_.iconFile) {
    button->SetIcon(resources_.iconFile(icon));
  }
}

void DialogWindow::SetTransparent(int id) {
  if (auto* button = qobject_cast<IconButton*>(Control(id))) {
    button->SetTransparent(true);
  }
}

QTreeWidgetItem* DialogWindow::TreeItem(int id, int index) const {
  const auto items = treeItems_.find(id);
  if (items == treeItems_.end() || index < 0 || index >= static_cast<int>(items->second.size())) {
    return nullptr;
  }
  return items->second[static_cast<std::size_t>(index)];
}

int DialogWindow::RunModal(dialog::Dialog& child) {
  DialogWindow*& window = children_[&child];
  if (window == nullptr) {
    window = new DialogWindow(child, resources_, this);
  }
  return window->Open();
}

void DialogWindow::Close(int result) {
  lastResult_ = result;
  done(ToolkitResult(result));
}

void DialogWindow::Redraw() {
  repaint();
}

void DialogWindow::Prepare() {
  ExpandTrees();
  rules_.Initialise(*this);
}

int DialogWindow::Open() {
  Prepare();
  lastResult_ = 0;
  exec();
  return lastResult_;
}

void DialogWindow::reject() {
  rules_.Dismissed(*this);
}

void DialogWindow::ExpandTrees() {
  for (const dialog::Control& control : description_.controls) {
    auto* tree = qobject_cast<QTreeWidget*>(Control(control.id));
    if (tree != nullptr && (control.style & dialog::kExpandAll) != 0) {
      tree->expandAll();
    }
  }
}

int DialogWindow::TreeIndex(const QWidget* tree, const QTreeWidgetItem* item) const {
  for (const auto& [id, items] : treeItems_) {
    if (Control(id) != tree) {
      continue;
    }
    const auto found = std::find(items.begin(), items.end(), item);
    return found != items.end() ? static_cast<int>(found - items.begin()) : -1;
  }
  return -1;
}

void DialogWindow::changeEvent(QEvent* event) {
  BitmapBackgroundDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
    rules_.FocusGained(*this);
  }
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
  if ((description_.style & dialog::kIgnoreEnterEscape) != 0 &&
      (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
      // An accepted shortcut override turns the key into a plain key press, which is then eaten.
      event->accept();
      return true;
    }
  }
  if (event->type() == QEvent::MouseButtonRelease) {
    for (const auto& [id, items] : treeItems_) {
      auto* tree = qobject_cast<QTreeWidget*>(Control(id));
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (tree != nullptr && watched == tree->viewport() && mouse->button() == Qt::LeftButton) {
        // Anywhere in a row counts as a click on its item.
        rules_.ItemClicked(*this, id, TreeIndex(tree, tree->itemAt(mouse->position().toPoint())));
      }
    }
  }
  return BitmapBackgroundDialog::eventFilter(watched, event);
}

}  // namespace vellumor::ui
