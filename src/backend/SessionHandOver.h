#pragma once
// A job printed by a user who has a graphical session goes to that session, so the program's
// windows open on the user's screen: the user's session agent starts it there.

#include <filesystem>

#include "backend/JobRun.h"

namespace vellumor::backend {

// The runtime folder of the user `uid`'s sessions: under $VELLUMOR_RUNTIME_ROOT when the
// scheduler sets it, else under /run/user.
std::filesystem::path UserRuntimeFolder(uid_t uid);

// In the job's process, already the user's: hands the job (standard input) to the user's session
// agent and ends this process as the program there ended. Returns only when no agent serves the
// user, and the job is still untouched.
void HandOverToSession(const JobRequest& request);

}  // namespace vellumor::backend
