#pragma once
// "Add Security": the open and permissions passwords, the printing and change permissions,
// copying and screen-reader access, and the switch that applies them to the PDF at all.

#include "ui/model/RecordDialog.h"

namespace vellumor::dialog {

extern const DialogDescription kSecurityWindow;

class SecurityDialog final : public RecordDialog {
 public:
  using RecordDialog::RecordDialog;
  const DialogDescription& Description() const override { return kSecurityWindow; }
};

}  // namespace vellumor::dialog
