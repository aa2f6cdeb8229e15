#pragma once
// What to do with the versions read from the two pages: hold back while the portal lags behind
// the maker's page, offer a newer version of the same major number, open the upgrade page for a
// new major number, or say that nothing is new.

#include <string_view>

#include "updater/CheckServices.h"
#include "updater/CheckView.h"
#include "updater/UpdateArguments.h"

namespace vellumor::updater {

inline constexpr const char* kOfferQuestion = "Do you want to goto the download page now?";
inline constexpr const char* kNoUpdatesMessage = "No updates found, you're on the latest version.";

// `makerText` and `portalText` are the probes' results ("" counts as 0); at least one is set.
// Returns 1 when the user accepted an offer (the page was opened), else 0.
int DecideVersion(CheckContext& context, const CheckServices& services, CheckView& view, std::string_view makerText,
                  std::string_view portalText);

}  // namespace vellumor::updater
