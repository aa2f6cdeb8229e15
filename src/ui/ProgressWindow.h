#pragma once
// The small modeless window that shows which file is being written and the page the engine
// reports while a conversion runs. It has no close box: it goes when the conversion ends.

#include <QDialog>
#include <QString>

class QLabel;

namespace vellumor::ui {

inline constexpr const char* kProgressWindowCaption = "PDF file creation progress";

class ProgressWindow final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kFileLineId = 1063;
  static constexpr int kPageLineId = 1076;

  explicit ProgressWindow(QWidget* owner = nullptr);

  void SetLines(const QString& fileLine, const QString& pageLine);
  QString FileLine() const;
  QString PageLine() const;

 private:
  QLabel* fileLine_;
  QLabel* pageLine_;
};

}  // namespace vellumor::ui
