#pragma once
// The private conversation between the printer's port and the session agent. Every message is
// one packet: a version byte, a kind byte, then what that kind carries. The socket's name holds
// the version as well, so programs of different versions do not meet by accident; the byte lets
// either side refuse the other plainly when they do.
//
//   agent -> port   Hello                         the agent serves this user
//   port  -> agent  Job      document name [NUL printed file]   with two files: the job, where
//                                                               messages go
//   agent -> port   Started  process id  |  Refused  reason
//   port  -> agent  Cancel                        (or the port closes the connection)
//   agent -> port   Ended    "exit N" | "signal N", then " cancelled" when it was stopped

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumor::agent {

inline constexpr std::uint8_t kProtocolVersion = 1;
inline constexpr std::string_view kSocketName = "vellumor-agent.1";
inline constexpr std::string_view kLockName = "vellumor-agent.1.lock";
// Job titles are short (the scheduler keeps 255 bytes); anything far longer is not a job.
inline constexpr std::size_t kMaxDocumentName = 4096;
// The identity of a file print-files mode prints ("<device>:<file>", two decimal numbers).
inline constexpr std::size_t kMaxPrintedFile = 64;
inline constexpr std::size_t kMaxMessage = 2 + kMaxDocumentName + 1 + kMaxPrintedFile;
inline constexpr std::size_t kJobFiles = 2;
// How long the port waits for an agent to answer before it converts without one.
inline constexpr std::chrono::milliseconds kAnswerTimeout{1000};

enum class Kind : char { Hello = 'H', Job = 'J', Started = 'S', Refused = 'R', Cancel = 'C', Ended = 'E' };

struct Message {
  Kind kind{Kind::Hello};
  std::string payload;
};

// How the program started for a job ended.
struct ProgramEnd {
  bool signalled{false};  // ended by signal `code`, else exited with status `code`
  int code{0};
  bool cancelled{false};  // the agent stopped it because the job was cancelled
  bool operator==(const ProgramEnd&) const = default;
};

std::string Encode(Kind kind, std::string_view payload = {});
// The message in `bytes`; nothing, with the reason, when it is not a message of this version.
std::optional<Message> Decode(std::string_view bytes, std::string& why);

// "" when `name` can travel as a document name; else why not.
std::string DocumentNameProblem(std::string_view name);

// What the port asks the agent to convert, besides the job's files.
struct JobOrder {
  std::string documentName;  // the program's "-b" option; "" for none
  std::string printedFile;   // the identity of the file print-files mode prints, or ""
  bool operator==(const JobOrder&) const = default;
};

std::string EncodeJob(const JobOrder& order);
// The order a Job message carries; nothing, with the reason, when it is not a sound one.
std::optional<JobOrder> DecodeJob(std::string_view payload, std::string& why);
// "" when the order can travel; else why not.
std::string JobOrderProblem(const JobOrder& order);
// The command line that converts an order: `program` with its "-b" and printed-file options, as
// both the agent and the port, when no agent answers, start it.
std::vector<std::string> ProgramArguments(const std::filesystem::path& program, const JobOrder& order);

std::string EncodeEnd(const ProgramEnd& end);
std::optional<ProgramEnd> DecodeEnd(std::string_view payload);

}  // namespace vellumor::agent
