#pragma once
// A window of a dialog description, rendered with Qt Widgets: every control at its dialog-unit
// rectangle, named by its id (so code and tests find it by id), the menu bar and the system-menu
// commands, the tiled background; and the window's rules (dialog::Dialog) driven by the user's
// clicks through the view this class implements. No window rule lives here, only how a control
// looks and reports itself in Qt.

#include <QAction>
#include <QIcon>
#include <QMenuBar>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/BitmapBackgroundDialog.h"
#include "ui/DialogUnits.h"
#include "ui/model/DialogView.h"

class QTreeWidgetItem;

namespace vellumor::ui {

// What a description names by number: bitmaps and icons of the deliverable that shows the
// window, and controls a deliverable makes itself (the program's hyperlinks).
struct DialogResources {
  std::function<QString(int bitmap)> bitmapFile;  // a file Qt can load, or "" for none
  std::function<QString(int icon)> iconFile;      // ditto
  std::function<QIcon(int icon)> icon;            // icons drawn rather than loaded may come from here
  // Makes, at `geometry` (pixels), a control of a kind the renderer does not make itself
  // (Kind::Hyperlink); unset when the deliverable has none.
  std::function<QWidget*(const dialog::Control& control, const QRect& geometry, QWidget* parent)> makeControl;
};

// The object name a control with `id` carries; unnumbered controls carry none.
QString ControlName(int id);

template <typename Control>
Control* FindControl(const QWidget* window, int id) {
  return window->findChild<Control*>(ControlName(id));
}

class DialogWindow : public BitmapBackgroundDialog, public dialog::DialogView {
  Q_OBJECT

 public:
  // `rules` must outlive the window.
  DialogWindow(dialog::Dialog& rules, DialogResources resources, QWidget* parent = nullptr);
  // The window owns its rules.
  DialogWindow(std::unique_ptr<dialog::Dialog> rules, DialogResources resources, QWidget* parent = nullptr);
  ~DialogWindow() override;

  dialog::Dialog& Rules() const { return rules_; }
  const dialog::DialogDescription& Description() const { return description_; }

  // The window's initialisation: trees expanded again, then the rules' own steps (controls
  // loaded). The window is not shown.
  void Prepare();
  // Prepare, then run modally; the result the rules closed the window with.
  int Open();
  // The result of the last Close (the rules' own number, before any toolkit mapping).
  int LastResult() const { return lastResult_; }

  // The control with that id (this window's own), or nullptr; menu commands by MenuCommand.
  QWidget* Control(int id) const;
  template <typename T>
  T* ControlAs(int id) const {
    return qobject_cast<T*>(Control(id));
  }
  QAction* MenuCommand(int id) const;
  QMenuBar* MenuBar() const { return menuBar_; }
  // Where a control at that dialog-unit rectangle sits in the window, below the menu bar, in pixels.
  QRect ClientRect(int x, int y, int width, int height) const;
  // Item `index` (in description order) of the tree view `id`, or nullptr.
  QTreeWidgetItem* TreeItem(int id, int index) const;

  // DialogView.
  std::string Text(int id) const override;
  void SetText(int id, std::string_view text) override;
  bool Checked(int id) const override;
  void SetChecked(int id, bool checked) override;
  int Selection(int id) const override;
  void SetSelection(int id, int index) override;
  void SetEnabled(int id, bool enabled) override;
  void SetVisible(int id, bool visible) override;
  void SetFocus(int id) override;
  void SetColour(int id, dialog::Colour colour) override;
  void SetProgress(int id, int position) override;
  void SetIcon(int id, int icon) override;
  void SetTransparent(int id) override;
  int RunModal(dialog::Dialog& child) override;
  void Close(int result) override;
  void Redraw() override;

 public slots:
  // Escape and the close box: the rules decide.
  void reject() override;

 protected:
  // The result QDialog reports for a result of the rules; as it is unless a window says otherwise.
  virtual int ToolkitResult(int result) const { return result; }

  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildMenu();
  void BuildControls();
  QWidget* Make(const dialog::Control& control);
  void Fit(QWidget* widget, const dialog::Control& control);
  void Paint(QWidget* widget, const dialog::Control& control);
  void Connect(QWidget* widget, const dialog::Control& control);
  void ExpandTrees();
  int TreeIndex(const QWidget* tree, const QTreeWidgetItem* item) const;

  std::unique_ptr<dialog::Dialog> ownedRules_;
  dialog::Dialog& rules_;
  const dialog::DialogDescription& description_;
  DialogResources resources_;
  DialogUnits units_;
  QMenuBar* menuBar_{nullptr};
  int clientTop_{0};
  int lastResult_{0};
  std::map<int, QWidget*> controls_;
  // Tree items in description order, and the item each tree marks now.
  std::map<int, std::vector<QTreeWidgetItem*>> treeItems_;
  std::map<int, int> marked_;
  // The windows of the children this window has run, kept so that a child keeps its window.
  std::map<const dialog::Dialog*, DialogWindow*> children_;
};

}  // namespace vellumor::ui
