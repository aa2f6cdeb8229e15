#pragma once
// The one export of the updater library, as the program looks it up by name after loading the
// library. Plain C: any caller can use it, and nothing of C++ crosses it.

#ifdef __cplusplus
extern "C" {
#endif

// Decides whether an update check is due for the calling product and, when it is, runs it inside
// the updater's own status window. Every text is copied before use; a null text counts as "".
// Returns 1 when the user accepted an offer and the page was opened, 2 when a network failure
// ended the check and the user closed the status window, -1 when no window can be shown, and 0
// in every other case.
typedef int UpdateFunction(const char* productName, const char* productVersion, const char* productKey,
                           const char* productPageUrl, const char* portalPageUrl, const char* upgradePageUrl,
                           int manualCheck, int ignorePortalLag);

UpdateFunction Update;

#ifdef __cplusplus
}
#endif
