#pragma once
// `vellumor --agent` (base::kAgentOption): starts the session agent for the graphical session
// this process belongs to (started with the session, or by hand from a terminal of it).

namespace vellumor::agent {

// Serves the session until it ends. 0 at the end of the session or when an agent already serves
// it; 2 when no agent can serve it (no private runtime folder, no socket).
int RunSessionAgent();

}  // namespace vellumor::agent
