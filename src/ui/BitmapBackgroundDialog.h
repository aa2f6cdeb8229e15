#pragma once
// The base of every dialog with a patterned background: a bitmap tiled behind the controls from
// the top-left corner. A bitmap that cannot be loaded leaves the default background.

#include <QDialog>
#include <QPixmap>
#include <QString>

namespace vellumor::ui {

// Background bitmaps (Qt resource paths).
inline constexpr const char* kMainBackground = ":/vellumor/background-main.png";        // 800 x 800
inline constexpr const char* kOptionsBackground = ":/vellumor/background-options.png";  // 48 x 48

class BitmapBackgroundDialog : public QDialog {
  Q_OBJECT

 public:
  explicit BitmapBackgroundDialog(QWidget* parent = nullptr);

  // Releases any bitmap held, then holds `resource` if it loads. Called once from the window's
  // initialisation.
  void LoadBackground(const QString& resource);
  bool HasBackground() const { return !background_.isNull(); }
  QSize BackgroundSize() const { return background_.size(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap background_;
};

}  // namespace vellumor::ui
