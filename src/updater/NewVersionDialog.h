#pragma once
// "New Version Available": tells which version was found where and asks whether to open the
// download page. Its result is the user's answer (kOfferUpdate, kOfferNever, kOfferNotNow, or
// kOfferClosed for the title-bar close box).

#include <QLabel>
#include <QString>

#include "ui/BitmapBackgroundDialog.h"

namespace vellumor::updater {

inline constexpr int kOfferLineId = 1003;
inline constexpr int kQuestionLineId = 1006;
inline constexpr int kUpdateButtonId = 1;
inline constexpr int kNeverButtonId = 1005;
inline constexpr int kNotNowButtonId = 1004;
inline constexpr int kCancelButtonId = 2;

class NewVersionDialog final : public ui::BitmapBackgroundDialog {
  Q_OBJECT

 public:
  explicit NewVersionDialog(QWidget* parent = nullptr);

  // Filled by the caller before the window is shown.
  void SetLines(const QString& offerLine, const QString& questionLine);

 public slots:
  // The close box (and any other plain dismissal) is an answer of its own, not "Cancel".
  void reject() override;

 private:
  QLabel* offerLine_{nullptr};
  QLabel* questionLine_{nullptr};
};

}  // namespace vellumor::updater
