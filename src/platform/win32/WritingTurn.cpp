// On Windows the output target's turn is already this user's own (WritingTurn.h): no second turn
// is taken, and no lock files are left to remove.

#include "platform/WritingTurn.h"

namespace vellumor::platform {

std::unique_ptr<WritingTurn> WritingTurn::Take(const std::filesystem::path& /*privateFolder*/,
                                               const std::filesystem::path& /*target*/,
                                               const Cancellation* /*cancellation*/, Outcome& outcome) {
  outcome = Outcome::Unavailable;
  return nullptr;
}

WritingTurn::~WritingTurn() = default;

void RemoveAbandonedTurns(const std::filesystem::path& /*privateFolder*/) {}

}  // namespace vellumor::platform
