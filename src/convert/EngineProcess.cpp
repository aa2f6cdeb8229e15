#include "convert/EngineProcess.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/EngineLibrary.h"
#include "platform/HelperProcess.h"

namespace vellumor::convert {
namespace {

using namespace std::chrono_literals;

// How often the listener is asked while the engine works: a cancellation is noticed within this
// time, and the windows are served at least this often.
constexpr std::chrono::milliseconds kPollInterval = 20ms;

// Messages between the program and its helper: a kind, the length of what follows (4 bytes, least
// significant first), and that many bytes.
namespace kind {
constexpr char kArguments = 'A';    // program → helper: the argument table, each ended by a NUL
constexpr char kInput = 'I';        // program → helper: the job's next bytes (none at its end)
constexpr char kInputFailed = 'X';  // program → helper: reading the job failed; the code to return
constexpr char kOutput = 'O';       // helper → program: the engine's standard output
constexpr char kError = 'E';        // helper → program: the engine's standard error
constexpr char kInputWanted = 'R';  // helper → program: up to this many bytes of the job, please
constexpr char kDone = 'D';         // helper → program: the init code and the exit code
}  // namespace kind

constexpr std::size_t kHeaderBytes = 5;
// Far above anything the engine says or asks for at once; a longer message means a broken channel.
constexpr std::uint32_t kMaxMessage = 1U << 26;
// The most of the job handed over in one message, and what the helper asks for at least.
constexpr int kMaxInput = 1 << 20;
constexpr int kInputPiece = 1 << 16;

std::string Number(std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) {
    bytes[static_cast<std::size_t>(i)] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  }
  return bytes;
}

std::int32_t ReadNumber(std::string_view bytes) {
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) {
    bits = (bits << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
  }
  return static_cast<std::int32_t>(bits);
}

std::string Message(char what, std::string_view payload) {
  std::string message(1, what);
  message += Number(static_cast<std::int32_t>(payload.size()));
  message.append(payload);
  return message;
}

struct Received {
  char what{0};
  std::string payload;
};

// The first whole message at the start of `buffer`, taken out of it; nothing while it is still
// incomplete. `broken` is set when what arrived cannot be a message.
std::optional<Received> TakeMessage(std::string& buffer, bool& broken) {
  if (buffer.size() < kHeaderBytes) {
    return std::nullopt;
  }
  const auto length = static_cast<std::uint32_t>(ReadNumber(std::string_view{buffer}.substr(1, 4)));
  if (length > kMaxMessage) {
    broken = true;
    return std::nullopt;
  }
  if (buffer.size() < kHeaderBytes + length) {
    return std::nullopt;
  }
  Received message{buffer[0], buffer.substr(kHeaderBytes, length)};
  buffer.erase(0, kHeaderBytes + length);
  return message;
}

// The program's side: one engine run in a helper, its calls passed on to the listener here.
class HelperInstance final : public EngineInstance {
 public:
  int SetStdio(EngineListener& listener) override {
    listener_ = &listener;
    return 0;
  }

  int InitWithArgs(const std::vector<std::string>& arguments) override {
    std::string error;
    helper_ = platform::HelperProcess::Start({std::string{kEngineOption}}, error);
    if (!helper_) {
      return Lost("could not be started: " + error);
    }
    std::string table;
    for (const std::string& argument : arguments) {
      table += argument;
      table += '\0';
    }
    if (!helper_->Send(Message(kind::kArguments, table))) {
      return Lost(helper_->HowItEnded());
    }
    std::string buffer;
    auto nextPoll = std::chrono::steady_clock::now() + kPollInterval;
    for (;;) {
      bool broken = false;
      while (std::optional<Received> message = TakeMessage(buffer, broken)) {
        if (const std::optional<int> code = Serve(*message)) {
          return *code;
        }
      }
      if (broken) {
        helper_->Stop();
        return Lost("sent what cannot be read");
      }
      // Asked on time also while the engine talks without a pause.
      auto now = std::chrono::steady_clock::now();
      if (now >= nextPoll) {
        if (listener_ != nullptr && !listener_->OnEnginePoll()) {
          helper_->Stop();
          exitCode_ = kEngineInterrupted;
          return kEngineInterrupted;
        }
        now = std::chrono::steady_clock::now();
        nextPoll = now + kPollInterval;
      }
      const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextPoll - now);
      if (helper_->Receive(buffer, wait) == platform::HelperProcess::Received::Ended) {
        // Whatever it managed to say before it went is served first.
        while (std::optional<Received> message = TakeMessage(buffer, broken)) {
          if (const std::optional<int> code = Serve(*message)) {
            return *code;
          }
        }
        return Lost(helper_->HowItEnded());
      }
    }
  }

  int Exit() override { return exitCode_; }

 private:
  // Passes one message on; the run's result once the helper is done.
  std::optional<int> Serve(const Received& message) {
    switch (message.what) {
      case kind::kOutput:
        if (listener_ != nullptr) {
          listener_->OnEngineOutput(message.payload);
        }
        return std::nullopt;
      case kind::kError:
        if (listener_ != nullptr) {
          listener_->OnEngineError(message.payload);
        }
        return std::nullopt;
      case kind::kInputWanted:
        if (message.payload.size() == 4 && AnswerInput(ReadNumber(message.payload))) {
          return std::nullopt;
        }
        helper_->Stop();
        return Lost(helper_->HowItEnded());
      case kind::kDone:
        if (message.payload.size() == 8) {
          exitCode_ = ReadNumber(std::string_view{message.payload}.substr(4));
          helper_->HowItEnded();
          return ReadNumber(message.payload);
        }
        [[fallthrough]];
      default:
        helper_->Stop();
        return Lost("sent what cannot be read");
    }
  }

  bool AnswerInput(std::int32_t wanted) {
    if (wanted < 0) {
      return false;
    }
    std::vector<char> bytes(static_cast<std::size_t>(std::min(wanted, kMaxInput)));
    const int got = listener_ != nullptr ? listener_->OnEngineInput(bytes.data(), static_cast<int>(bytes.size())) : -1;
    if (got < 0) {
      return helper_->Send(Message(kind::kInputFailed, Number(got)));
    }
    return helper_->Send(Message(kind::kInput, std::string_view{bytes.data(), static_cast<std::size_t>(got)}));
  }

  // The helper went away without finishing: the run failed, and the listener hears why.
  int Lost(const std::string& how) {
    if (listener_ != nullptr) {
      listener_->OnEngineError("The engine's process " + how + ".\n");
    }
    exitCode_ = kEngineLost;
    return kEngineLost;
  }

  // Ghostscript's "unknownerror": the engine said nothing about what went wrong.
  static constexpr int kEngineLost = -1;

  EngineListener* listener_{nullptr};
  std::unique_ptr<platform::HelperProcess> helper_;
  int exitCode_{0};
};

class HelperEngine final : public Engine {
 public:
  std::unique_ptr<EngineInstance> NewInstance(int& code) override {
    // Where the library is found at run time, a missing one is told before any helper starts.
    if (!platform::PrepareEngineLibrary(unavailable_)) {
      code = kEngineFatal;
      return nullptr;
    }
    code = 0;
    return std::make_unique<HelperInstance>();
  }
  std::string Unavailable() const override { return unavailable_; }

 private:
  std::string unavailable_;
};

// The helper's side of the channel.
std::optional<Received> ReadMessage() {
  char header[kHeaderBytes];
  if (!platform::ReadFromStarter(header, sizeof header)) {
    return std::nullopt;
  }
  const auto length = static_cast<std::uint32_t>(ReadNumber(std::string_view{header + 1, 4}));
  if (length > kMaxMessage) {
    return std::nullopt;
  }
  Received message{header[0], std::string(length, '\0')};
  if (!platform::ReadFromStarter(message.payload.data(), length)) {
    return std::nullopt;
  }
  return message;
}

// In the helper: hands what the engine says to the program and asks it for the job.
class HelperListener final : public EngineListener {
 public:
  void OnEngineOutput(std::string_view text) override { platform::WriteToStarter(Message(kind::kOutput, text)); }
  void OnEngineError(std::string_view text) override { platform::WriteToStarter(Message(kind::kError, text)); }
  int OnEngineInput(char* buffer, int length) override {
    if (length <= 0) {
      return 0;
    }
    // The job is asked for in large pieces, whatever the engine takes at a time.
    if (next_ == pending_.size()) {
      pending_.clear();
      next_ = 0;
      if (!platform::WriteToStarter(Message(kind::kInputWanted, Number(std::max(length, kInputPiece))))) {
        return -1;
      }
      const std::optional<Received> answer = ReadMessage();
      if (answer && answer->what == kind::kInputFailed && answer->payload.size() == 4) {
        return std::min(ReadNumber(answer->payload), -1);
      }
      if (!answer || answer->what != kind::kInput) {
        return -1;
      }
      pending_ = std::move(answer->payload);
    }
    const std::size_t count = std::min(pending_.size() - next_, static_cast<std::size_t>(length));
    pending_.copy(buffer, count, next_);
    next_ += count;
    return static_cast<int>(count);
  }
  // The program ends this process when it wants the engine to stop.
  bool OnEnginePoll() override { return true; }

 private:
  std::string pending_;  // of the job, received but not yet taken by the engine
  std::size_t next_{0};
};

}  // namespace

std::unique_ptr<Engine> MakeEngineProcess() {
  return std::make_unique<HelperEngine>();
}

int RunEngineProcess() {
  if (!platform::EndWithStarter()) {
    std::fprintf(stderr, "vellumor: %s is for the program's own use\n", std::string{kEngineOption}.c_str());
    return 2;
  }
  const std::optional<Received> table = ReadMessage();
  if (!table || table->what != kind::kArguments) {
    return 2;
  }
  std::vector<std::string> arguments;
  for (std::size_t start = 0; start < table->payload.size();) {
    const std::size_t end = table->payload.find('\0', start);
    if (end == std::string::npos) {
      return 2;
    }
    arguments.push_back(table->payload.substr(start, end - start));
    start = end + 1;
  }

  HelperListener listener;
  const std::unique_ptr<Engine> engine = MakeGhostscriptEngine();
  int initCode = 0;
  int exitCode = 0;
  if (std::unique_ptr<EngineInstance> instance = engine->NewInstance(initCode)) {
    instance->SetStdio(listener);
    initCode = instance->InitWithArgs(arguments);
    exitCode = instance->Exit();
  } else if (const std::string reason = engine->Unavailable(); !reason.empty()) {
    listener.OnEngineError(reason);
  }
  return platform::WriteToStarter(Message(kind::kDone, Number(initCode) + Number(exitCode))) ? 0 : 1;
}

}  // namespace vellumor::convert
