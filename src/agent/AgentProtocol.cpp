#include "agent/AgentProtocol.h"

#include <charconv>

#include "base/ProgramOptions.h"

namespace vellumor::agent {
namespace {

bool KnownKind(char kind) {
  switch (static_cast<Kind>(kind)) {
    case Kind::Hello:
    case Kind::Job:
    case Kind::Refused:
    case Kind::Taking:
    case Kind::Failed:
    case Kind::Started:
    case Kind::Cancel:
      return true;
  }
  return false;
}

}  // namespace

std::string Encode(Kind kind, std::string_view payload) {
  std::string bytes;
  bytes.reserve(2 + payload.size());
  bytes.push_back(static_cast<char>(kProtocolVersion));
  bytes.push_back(static_cast<char>(kind));
  bytes.append(payload);
  return bytes;
}

std::optional<Message> Decode(std::string_view bytes, std::string& why) {
  if (bytes.size() < 2) {
    why = "a message too short to be one";
    return std::nullopt;
  }
  if (static_cast<std::uint8_t>(bytes[0]) != kProtocolVersion) {
    why = "protocol version " + std::to_string(static_cast<std::uint8_t>(bytes[0])) + ", not " +
          std::to_string(kProtocolVersion);
    return std::nullopt;
  }
  if (bytes.size() > kMaxMessage) {
    why = "a message longer than " + std::to_string(kMaxMessage) + " bytes";
    return std::nullopt;
  }
  if (!KnownKind(bytes[1])) {
    why = "an unknown kind of message";
    return std::nullopt;
  }
  return Message{static_cast<Kind>(bytes[1]), std::string{bytes.substr(2)}};
}

std::string DocumentNameProblem(std::string_view name) {
  if (name.size() > kMaxDocumentName) {
    return "the document name is longer than " + std::to_string(kMaxDocumentName) + " bytes";
  }
  if (name.find('\0') != std::string_view::npos) {
    return "the document name holds a NUL character";
  }
  return "";
}

std::string JobOrderProblem(const JobOrder& order) {
  if (std::string problem = DocumentNameProblem(order.documentName); !problem.empty()) {
    return problem;
  }
  // Only what the port itself produces: two decimal numbers around one colon.
  const std::string_view file = order.printedFile;
  const std::size_t colon = file.find(':');
  const auto digits = [](std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (!file.empty() && (file.size() > kMaxPrintedFile || colon == std::string_view::npos ||
                        !digits(file.substr(0, colon)) || !digits(file.substr(colon + 1)))) {
    return "the printed file is not named by a device and file number";
  }
  return "";
}

std::string EncodeJob(const JobOrder& order) {
  std::string payload = order.documentName;
  if (!order.printedFile.empty()) {
    payload.push_back('\0');
    payload.append(order.printedFile);
  }
  return payload;
}

std::optional<JobOrder> DecodeJob(std::string_view payload, std::string& why) {
  JobOrder order;
  const std::size_t end = payload.find('\0');
  order.documentName = std::string{payload.substr(0, end)};
  if (end != std::string_view::npos) {
    order.printedFile = std::string{payload.substr(end + 1)};
    if (order.printedFile.empty()) {
      why = "the printed file is not named by a device and file number";
      return std::nullopt;
    }
  }
  if (why = JobOrderProblem(order); !why.empty()) {
    return std::nullopt;
  }
  return order;
}

std::string EncodeFailure(Failure failure) {
  return std::string(1, static_cast<char>(failure));
}

std::optional<Failure> DecodeFailure(std::string_view payload) {
  if (payload.size() != 1) {
    return std::nullopt;
  }
  switch (const auto failure = static_cast<Failure>(payload[0])) {
    case Failure::Empty:
    case Failure::NotKept:
    case Failure::NotStarted:
    case Failure::Cancelled:
    case Failure::Ending:
      return failure;
  }
  return std::nullopt;
}

std::optional<int> DecodeProcess(std::string_view payload) {
  int process = 0;
  const auto [rest, error] = std::from_chars(payload.data(), payload.data() + payload.size(), process);
  if (payload.empty() || payload.front() == '-' || error != std::errc{} || rest != payload.data() + payload.size() ||
      process <= 0) {
    return std::nullopt;
  }
  return process;
}

std::vector<std::string> ProgramArguments(const std::filesystem::path& program, const JobOrder& order) {
  std::vector<std::string> arguments{program.string()};
  if (!order.documentName.empty()) {
    arguments.push_back(std::string{'-', base::kDocumentNameOption} + order.documentName);
  }
  if (!order.printedFile.empty()) {
    arguments.push_back(std::string{'-', base::kPrintedFileOption} + order.printedFile);
  }
  return arguments;
}

}  // namespace vellumor::agent
