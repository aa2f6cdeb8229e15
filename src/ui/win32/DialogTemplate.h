#pragma once
// A window description as the dialog manager takes it: an extended dialog template
// (DLGTEMPLATEEX with one DLGITEMTEMPLATEEX per control) built in memory, so that every rectangle
// of a description is written once, in dialog units, and the system maps it with the dialog
// font exactly as it maps a template from a resource file.

#include <cstdint>
#include <vector>

#include "platform/win32/WindowsApi.h"
#include "ui/model/DialogDescription.h"

namespace vellumor::native {

// The window classes and styles a control of `kind` is created with.
struct ControlClass {
  const wchar_t* name;  // a registered class name
  DWORD style;
  DWORD exStyle;
};
ControlClass ClassOf(const dialog::Control& control);

// The id a control is created with: its own, or for an unnumbered one a private id of its own (from
// kUnnumberedIds on, by its place in the description), so that the renderer finds every control
// it paints. The rules never see these ids.
inline constexpr int kUnnumberedIds = 0xC000;
int TemplateControlId(const dialog::Control& control, std::size_t index);

// The window's own styles for a description's flags.
DWORD DialogStyle(std::uint32_t style);
DWORD DialogExStyle(std::uint32_t style);

// The template, DWORD-aligned as DialogBoxIndirectParamW and CreateDialogIndirectParamW need it.
// Controls are created hidden when their description says so; texts are the template's own
// (mnemonics kept). Labels get their text without the doubled "&" of the template form.
class DialogTemplate final {
 public:
  explicit DialogTemplate(const dialog::DialogDescription& description);

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }
  std::size_t SizeInBytes() const { return words_.size() * sizeof(WORD); }

 private:
  void Word(WORD value) { words_.push_back(value); }
  void Dword(DWORD value);
  void Text(std::wstring_view text);
  void AlignToDword();

  std::vector<WORD> words_;
};

}  // namespace vellumor::native
