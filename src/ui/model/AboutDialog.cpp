#include "ui/model/AboutDialog.h"

#include "app/UpdaterLibrary.h"
#include "convert/Services.h"
#include "ui/model/Resources.h"

namespace vellumor::dialog {

namespace {

// The product's web page, the one the updater probes.
std::string ProductWebPage() {
  std::string page = app::DefaultUpdateArguments().productPageUrl;
  if (page.empty()) {
    page = "http://" + std::string{convert::kProducer} + "/index.htm";
  }
  return page;
}

}  // namespace

AboutDialog::AboutDialog()
    : webPage_{ProductWebPage()},
      mailTo_{"mailto:" + std::string{kSupportMailAddress}},
      controls_{{
          {.kind = Kind::Icon, .rect = {11, 10, 21, 20}, .resource = resources::kApplicationIcon},
          {.kind = Kind::Label, .text = "Vellumor Version 1.06", .rect = {40, 10, 130, 8}},
          {.kind = Kind::Label, .text = "Copyright (C) Corvane Software", .rect = {40, 22, 130, 8}},
          {.id = kWebPageLinkId,
           .kind = Kind::Hyperlink,
           .text = webPage_,
           .rect = {40, 38, 185, 8},
           .style = kUnderlined,
           .link = webPage_},
          {.id = kMailLinkId,
           .kind = Kind::Hyperlink,
           .text = kSupportMailAddress,
           .rect = {40, 50, 185, 8},
           .style = kUnderlined,
           .link = mailTo_},
          {.id = kOkId, .kind = Kind::Button, .text = "OK", .rect = {178, 7, 50, 14}, .style = kDefaultButton},
      }},
      description_{.templateId = 100,
                   .caption = "About Vellumor",
                   .width = 235,
                   .height = 70,
                   .background = resources::kMainBackground,
                   .controls = controls_} {}

void AboutDialog::Command(DialogView& view, int id) {
  if (id == kOkId) {
    view.Close(kOkId);
  }
}

}  // namespace vellumor::dialog
