#pragma once
// "About Vellumor": the version, the maker, and links to the product's web page and to support.

#include <array>
#include <string>

#include "ui/model/DialogView.h"

namespace vellumor::dialog {

inline constexpr std::string_view kSupportMailAddress = "support@vellumor.example";

class AboutDialog final : public Dialog {
 public:
  static constexpr int kWebPageLinkId = 1010;
  static constexpr int kMailLinkId = 1011;

  // The first link opens the product's web page, the second starts a mail to support.
  AboutDialog();

  const DialogDescription& Description() const override { return description_; }
  void Initialise(DialogView& /*view*/) override {}
  void Command(DialogView& view, int id) override;

 private:
  std::string webPage_;
  std::string mailTo_;
  std::array<Control, 6> controls_;
  DialogDescription description_;
};

}  // namespace vellumor::dialog
