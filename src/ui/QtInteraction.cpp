#include "ui/QtInteraction.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "ui/CompletionWindow.h"
#include "ui/FolderPicker.h"
#include "ui/MainWindow.h"
#include "ui/ProgressWindow.h"

namespace vellumor::ui {

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A request pairs the text shown with its pattern; Qt takes one "text (patterns)" and shows it
// as it is. Texts mostly name their pattern already ("PDF Files (*.pdf)", "*.vsf"): it is shown
// once. "*.*" means every file, with or without a dot.
QString NameFilter(const std::pair<std::string, std::string>& filter) {
  const QString pattern = Text(filter.second);
  const QString matching = pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern;
  QString text = Text(filter.first);
  if (!pattern.isEmpty()) {
    text.remove(QLatin1Char('(') + pattern + QLatin1Char(')')).remove(pattern);
  }
  text = text.simplified();
  if (text.isEmpty()) {
    return matching;
  }
  return text + QStringLiteral(" (") + matching + QLatin1Char(')');
}

}  // namespace

QtInteraction::~QtInteraction() {
  DestroyProgressWindow();
}

void QtInteraction::SetMainWindow(MainWindow* window) {
  window_ = window;
}

QWidget* QtInteraction::Owner() const {
  return window_;
}

void QtInteraction::ShowMessage(std::string_view text, platform::MessageStyle style) {
  if (stopped_) {
    return;
  }
  QMessageBox::Icon icon = QMessageBox::Warning;
  QString caption = QLatin1String(kApplicationName);
  QWidget* owner = Owner();
  switch (style) {
    case platform::MessageStyle::Application:
      break;
    case platform::MessageStyle::ApplicationNoIcon:
      icon = QMessageBox::NoIcon;
      break;
    case platform::MessageStyle::System:
      icon = QMessageBox::NoIcon;
      caption = QLatin1String(kSystemMessageCaption);
      owner = nullptr;
      break;
  }
  QMessageBox box(icon, caption, Text(text), QMessageBox::Ok, owner);
  box.exec();
}

bool QtInteraction::AskYesNo(std::string_view text) {
  if (stopped_) {
    return false;
  }
  QMessageBox box(QMessageBox::Question, QLatin1String(kApplicationName), Text(text),
                  QMessageBox::Yes | QMessageBox::No, Owner());
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtInteraction::RunFileDialog(const platform::FileDialogRequest& request, bool save) {
  if (stopped_) {
    return std::nullopt;
  }
  QFileDialog dialog(Owner(), Text(request.title));
  QStringList filters;
  for (const auto& filter : request.filters) {
    filters << NameFilter(filter);
  }
  dialog.setNameFilters(filters);
  if (save) {
    // Only a new name gets the default extension: when opening, Qt would append it to a file
    // that exists as chosen (a program such as /usr/bin/evince) and then refuse the choice.
    dialog.setDefaultSuffix(Text(request.defaultExtension));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.promptOverwrite);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (!request.initialName.empty()) {
    dialog.selectFile(Text(request.initialName));
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return std::nullopt;
  }
  const QString chosen = dialog.selectedFiles().constFirst();
  if (chosen.isEmpty()) {
    return std::nullopt;
  }
  return chosen.toStdString();
}

std::optional<std::string> QtInteraction::ChooseSaveFile(const platform::FileDialogRequest& request) {
  return RunFileDialog(request, true);
}

std::optional<std::string> QtInteraction::ChooseOpenFile(const platform::FileDialogRequest& request) {
  return RunFileDialog(request, false);
}

std::optional<std::string> QtInteraction::ChooseFolder(std::string_view title, std::string_view prompt,
                                                       std::string_view startFolder) {
  if (stopped_) {
    return std::nullopt;
  }
  FolderPicker picker(Text(title), Text(prompt), Text(startFolder), *this, Owner());
  if (picker.Run() != 1) {
    return std::nullopt;
  }
  return picker.SelectedPath().toStdString();
}

int QtInteraction::ShowCompletion(std::string_view fileLine) {
  if (stopped_) {
    return platform::kCompletionNo;
  }
  // Without an owner, as a window of its own on the task bar.
  CompletionWindow window(Text(fileLine));
  return window.Run();
}

void QtInteraction::SetProgressBarVisible(bool visible) {
  if (window_) {
    window_->ShowProgressBar(visible);
  }
}

void QtInteraction::SetProgressBarPosition(int position) {
  if (window_) {
    window_->SetProgressBarPosition(position);
  }
}

void QtInteraction::CreateProgressWindow() {
  DestroyProgressWindow();
  progress_ = new ProgressWindow(Owner());
  progress_->setAttribute(Qt::WA_DeleteOnClose);
  progress_->show();
}

bool QtInteraction::ProgressWindowExists() const {
  return !progress_.isNull();
}

void QtInteraction::SetProgressWindowLines(std::string_view fileLine, std::string_view pageLine) {
  if (progress_) {
    progress_->SetLines(Text(fileLine), Text(pageLine));
  }
}

void QtInteraction::DestroyProgressWindow() {
  delete progress_.data();
  progress_ = nullptr;
}

void QtInteraction::PumpMessages() {
  QCoreApplication::processEvents();
}

}  // namespace vellumor::ui
