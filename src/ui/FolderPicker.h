#pragma once
// The folder picker: Qt's folder browser with a field above it in which the user may also type a
// path; the picker closes only with a path that passed ValidateFolderPath.

#include <QDialog>
#include <QString>

#include "platform/UserInteraction.h"

class QFileDialog;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vellumor::ui {

class FolderPicker final : public QDialog {
  Q_OBJECT

 public:
  // Control ids, as object names.
  static constexpr const char* kTreeId = "14145";
  static constexpr const char* kStatusId = "14147";
  static constexpr const char* kEditId = "14148";
  static constexpr const char* kOkId = "1";
  static constexpr const char* kCancelId = "2";

  // A null `caption` keeps the default title; an empty `initialFolder` starts in the current
  // directory.
  FolderPicker(const QString& caption, const QString& instruction, const QString& initialFolder,
               platform::UserInteraction& ui, QWidget* parent = nullptr);

  // Runs modally: 1 when the user accepted a valid path, -1 otherwise.
  int Run();
  const QString& SelectedPath() const { return selected_; }

  // The browser's selection moved to `folder` (also what a click in the browser does).
  void SelectFolder(const QString& folder);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnSelectionChanged(const QString& path);
  void OnEditChanged(const QString& text);
  void OnOk();

  platform::UserInteraction& ui_;
  QFileDialog* browser_;
  QLabel* status_;
  QLineEdit* edit_;
  QPushButton* ok_;
  QString selected_;
  bool accepted_{false};
};

}  // namespace vellumor::ui
