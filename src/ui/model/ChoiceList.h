#pragma once
// Drop-down lists and the data exchange of single controls, decided once for every window and
// front end: the order a list shows its entries in, which entry a stored text selects, how a
// whole number is read back from an edit.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/model/DialogDescription.h"
#include "ui/model/DialogView.h"

namespace vellumor::dialog {

// The entries of a drop-down in the order it shows them: as held, or, for a sorted one,
// alphabetically with letter case ignored (entries that compare equal keep their order). A front
// end fills its box from this list instead of sorting on its own, so that the index a view
// reports means the same entry everywhere.
std::vector<std::string_view> DisplayedEntries(const Control& control);

// The first of `entries` that begins with `text`, letter case ignored, or -1. An empty text
// matches no entry: every entry begins with "", so matching it would quietly put the first entry
// in place of an empty stored value (an empty printing permission would come back as "High
// resolution", an empty save mode as the first one) and store it on the next take-over.
int FirstEntryBeginningWith(const std::vector<std::string_view>& entries, std::string_view text);

// Shows a stored text in a drop-down: selects the first entry that begins with it, else shows the
// text itself in the edit field.
void LoadChoice(DialogView& view, const Control& control, std::string_view text);

// A whole number that fits 32 bits, with blanks around it and an optional sign, or nothing.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);

}  // namespace vellumor::dialog
