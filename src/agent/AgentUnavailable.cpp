// `vellumor --agent` on Windows. The agent carries jobs from a print system that runs outside
// the user's session into it; Windows starts the printer's port in the session already, so
// there is nothing for an agent to do.

#include "agent/AgentStart.h"
#include "base/StandardError.h"

namespace vellumor::agent {

int RunSessionAgent() {
  base::WriteProgramLine("no session agent is needed on Windows; the printer starts the program itself");
  return 2;
}

}  // namespace vellumor::agent
