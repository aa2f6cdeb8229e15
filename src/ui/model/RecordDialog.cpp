#include "ui/model/RecordDialog.h"

#include <optional>
#include <string>
#include <vector>

#include "ui/model/ChoiceList.h"

namespace vellumor::dialog {

void LoadFields(DialogView& view, const DialogDescription& dialog, const settings::Settings& settings) {
  for (const Control& control : dialog.controls) {
    const settings::FieldInfo* field = control.field.empty() ? nullptr : settings::FindField(control.field);
    if (field == nullptr) {
      continue;
    }
    if (control.kind == Kind::CheckBox) {
      view.SetChecked(control.id, settings.*field->number != 0);
    } else if (field->kind != settings::FieldKind::Text) {
      view.SetText(control.id, std::to_string(settings.*field->number));
    } else if (control.kind == Kind::DropDown) {
      LoadChoice(view, control, settings.*field->text);
    } else {
      view.SetText(control.id, settings.*field->text);
    }
  }
}

int TakeFields(const DialogView& view, const DialogDescription& dialog, settings::Settings& settings) {
  struct Taken {
    const settings::FieldInfo* field;
    std::string text;
    std::int32_t number;
  };
  std::vector<Taken> taken;
  // Everything is read first, so that a typing slip never leaves half the values taken.
  for (const Control& control : dialog.controls) {
    const settings::FieldInfo* field = control.field.empty() ? nullptr : settings::FindField(control.field);
    if (field == nullptr) {
      continue;
    }
    if (control.kind == Kind::CheckBox) {
      taken.push_back({field, {}, view.Checked(control.id) ? 1 : 0});
    } else if (field->kind == settings::FieldKind::Text) {
      taken.push_back({field, view.Text(control.id), 0});
    } else {
      const std::optional<std::int32_t> number = ParseWholeNumber(view.Text(control.id));
      if (!number) {
        return control.id;
      }
      taken.push_back({field, {}, *number});
    }
  }
  for (Taken& value : taken) {
    if (value.field->kind == settings::FieldKind::Text) {
      settings.*value.field->text = std::move(value.text);
    } else {
      settings.*value.field->number = value.number;
    }
  }
  return kNoId;
}

void RecordDialog::Initialise(DialogView& view) {
  LoadFields(view, Description(), settings_);
}

void RecordDialog::Command(DialogView& view, int id) {
  if (id == kOkId) {
    if (Take(view)) {
      Saved();
      view.Close(kOkId);
    }
  } else if (id == kCancelId) {
    view.Close(kCancelId);
  }
}

bool RecordDialog::Take(DialogView& view) {
  return TakeFields(view, Description(), settings_) == kNoId;
}

}  // namespace vellumor::dialog
