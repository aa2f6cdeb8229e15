#pragma once
// The "Advanced" window: the less common options of the record (naming, overwriting, progress
// display, PDF version and resolution, rotation, zoom, the external viewer, the Sheafwright naming
// file, the update interval). A tree on the left chooses the page shown on the right. The window
// edits the record in place; values taken over stay taken over, whatever button ends the window.

#include <QTreeWidget>
#include <map>
#include <string>
#include <vector>

#include "platform/UserInteraction.h"
#include "settings/Settings.h"
#include "ui/BitmapBackgroundDialog.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vellumor::ui {

class AdvancedWindow final : public BitmapBackgroundDialog {
  Q_OBJECT

 public:
  // Control ids.
  static constexpr int kTreeId = 1017;
  static constexpr int kBrowseId = 1020;

  // `interaction` shows the "&Browse" file dialog.
  AdvancedWindow(QWidget* parent, settings::Settings& settings, platform::UserInteraction& interaction);

  // The opening steps: every control loaded from the record, both roots expanded, and the page of
  // the last "Save/Exit" shown (Saving PDF the first time).
  void Prepare();
  // Prepare, then run modally. True after "Save/Exit"; false after "Cancel", Escape or the close box.
  bool Open();

  bool Edits(const settings::Settings& settings) const { return &settings_ == &settings; }
  // The page shown now: the text of the tree item last clicked ("" after a click beside every item).
  const std::string& CurrentPage() const { return currentPage_; }
  // The highlighted tree item, or nullptr.
  QTreeWidgetItem* MarkedItem() const { return marked_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Page { SavingPdf, PdfSettings, InitialView, OpenWith, Sheafwright, Updates };

  void BuildControls();
  void BuildTree();
  void LoadControls();
  void TakeControls();
  void ShowPage(const std::string& name);
  void Mark(QTreeWidgetItem* item);
  QTreeWidgetItem* ItemNamed(const QString& text) const;
  void OnDefaultViewerClicked();
  void OnBrowse();
  void OnSaveExit();

  settings::Settings& settings_;
  platform::UserInteraction& interaction_;
  std::string currentPage_;
  std::string rememberedPage_;  // page of the last "Save/Exit"; "" until then

  QTreeWidget* tree_{};
  QTreeWidgetItem* marked_{};
  std::map<Page, std::vector<QWidget*>> pages_;

  QCheckBox* askOverwrite_{};
  QLineEdit* prefix_{};
  QLineEdit* postfix_{};
  QComboBox* append_{};
  QLineEdit* fixedName_{};
  QCheckBox* showProgress_{};
  QCheckBox* showWindow_{};
  QCheckBox* autoRotate_{};
  QComboBox* pdfVersion_{};
  QLineEdit* resolution_{};
  QComboBox* zoom_{};
  QCheckBox* openDefault_{};
  QLineEdit* openWith_{};
  QPushButton* browse_{};
  QCheckBox* sheafwright_{};
  QComboBox* checkUpdate_{};
};

}  // namespace vellumor::ui
