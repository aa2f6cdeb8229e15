#pragma once
// "Document Properties": title, author, subject and keywords written into the PDF, and
// "Clear ALL", which empties them at once.

#include "ui/model/RecordDialog.h"

namespace vellumor::dialog {

extern const DialogDescription kDocumentPropertiesWindow;

class DocumentPropertiesDialog final : public RecordDialog {
 public:
  static constexpr int kClearAllId = 1036;

  using RecordDialog::RecordDialog;
  const DialogDescription& Description() const override { return kDocumentPropertiesWindow; }
  void Command(DialogView& view, int id) override;
};

}  // namespace vellumor::dialog
