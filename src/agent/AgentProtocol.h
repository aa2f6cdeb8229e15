#pragma once
// The private conversation between the printer's port and the session agent. Every message is
// one packet: a version byte, a kind byte, then what that kind carries. The socket's name holds
// the version as well, so programs of different versions do not meet by accident; the byte lets
// either side refuse the other plainly when they do.
//
//   agent -> port   Hello                         the agent serves this user
//   port  -> agent  Job      document name [NUL printed file]   with one file: the job
//   agent -> port   Refused  reason               the request is unusable; nothing was read
//                   Taking                        the agent reads the whole job into a file of its own
//   agent -> port   Failed   failure code         nothing was started (the job may have been read)
//                   Started  process id           the job is handed over: the whole job is in the
//                                                 user's temporary folder and the program runs with it
//   port  -> agent  Cancel                        until the port has seen Started; closing the
//                                                 connection before Started cancels as well
//
// After Started the port only closes the connection: from then on the program belongs to the
// session, reports to the user in its windows and is no longer the printer's. The port never
// passes on what the agent writes; failures travel as codes the port words itself.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumor::agent {

inline constexpr std::uint8_t kProtocolVersion = 2;
inline constexpr std::string_view kSocketName = "vellumor-agent.2";
inline constexpr std::string_view kLockName = "vellumor-agent.2.lock";
// Job titles are short (the scheduler keeps 255 bytes); anything far longer is not a job.
inline constexpr std::size_t kMaxDocumentName = 4096;
// The identity of a file print-files mode prints ("<device>:<file>", two decimal numbers).
inline constexpr std::size_t kMaxPrintedFile = 64;
inline constexpr std::size_t kMaxMessage = 2 + kMaxDocumentName + 1 + kMaxPrintedFile;
inline constexpr std::size_t kJobFiles = 1;
// How long the port waits for an agent to answer before it converts without one.
inline constexpr std::chrono::milliseconds kAnswerTimeout{1000};

enum class Kind : char {
  Hello = 'H',
  Job = 'J',
  Refused = 'R',
  Taking = 'T',
  Failed = 'F',
  Started = 'S',
  Cancel = 'C',
};

// Why the agent started no program for a job it took.
enum class Failure : char {
  Empty = 'E',       // the job holds no data: nothing to convert (a program would only show the settings)
  NotKept = 'K',     // the job could not be kept in the user's temporary folder
  NotStarted = 'P',  // the program could not be started
  Cancelled = 'C',   // the port cancelled the job
  Ending = 'X',      // the session ended
};

struct Message {
  Kind kind{Kind::Hello};
  std::string payload;
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

std::string EncodeFailure(Failure failure);
// The failure a Failed message names; nothing when it names none of them.
std::optional<Failure> DecodeFailure(std::string_view payload);
// The process id a Started message carries; nothing when it is not one.
std::optional<int> DecodeProcess(std::string_view payload);

}  // namespace vellumor::agent
