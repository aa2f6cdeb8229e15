#pragma once
// "About Vellumor": the version, the maker, and links to the product's web page and to support.

#include "platform/Shell.h"
#include "platform/UserInteraction.h"
#include "ui/BitmapBackgroundDialog.h"

namespace vellumor::ui {

class HyperlinkLabel;

inline constexpr const char* kSupportMailAddress = "support@vellumor.example";

class AboutWindow final : public BitmapBackgroundDialog {
  Q_OBJECT

 public:
  static constexpr int kWebPageLinkId = 1010;
  static constexpr int kMailLinkId = 1011;

  AboutWindow(platform::Shell& shell, platform::UserInteraction& ui, QWidget* parent = nullptr);

  HyperlinkLabel* WebPageLink() const { return webPage_; }
  HyperlinkLabel* MailLink() const { return mail_; }

 private:
  HyperlinkLabel* webPage_;
  HyperlinkLabel* mail_;
};

}  // namespace vellumor::ui
