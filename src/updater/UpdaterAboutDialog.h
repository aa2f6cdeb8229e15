#pragma once
// "About Updater": the library's icon, version and maker.

#include <QDialog>

namespace vellumor::updater {

inline constexpr const char* kAboutVersionLine = "Updater Version 1.01";
inline constexpr const char* kAboutMakerLine = "Copyright (C) 2024 Corvane Software";

class UpdaterAboutDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit UpdaterAboutDialog(QWidget* parent = nullptr);
};

}  // namespace vellumor::updater
