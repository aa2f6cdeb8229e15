#pragma once
// A job printed by a user who has a graphical session goes to that session, so the program's
// windows open on the user's screen: the user's session agent starts the program there.

#include <chrono>
#include <filesystem>
#include <optional>

#include "agent/AgentClient.h"
#include "platform/posix/EventWait.h"
#include "backend/JobRun.h"

namespace vellumor::backend {

// The runtime folder of the user `uid`'s sessions: under $VELLUMOR_RUNTIME_ROOT when the
// scheduler sets it, else under /run/user.
std::filesystem::path UserRuntimeFolder(uid_t uid);

// Hands the job to the session agent of its user, reaching the agent with the user's rights only.
// NoAgent when none serves the user; the job is then still untouched.
agent::HandOver HandToSession(const JobRequest& request, platform::EventWait& events,
                              std::optional<std::chrono::steady_clock::time_point> giveUpAt);

}  // namespace vellumor::backend
