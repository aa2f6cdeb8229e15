#pragma once
// The seam to the PostScript interpreter. The real one is Ghostscript in this process; tests
// put a failing one in its place to reach failures Ghostscript cannot produce on demand.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellumor::convert {

// Ghostscript's result codes the pipeline tells apart.
inline constexpr int kEngineQuit = -101;       // a normal "quit"
inline constexpr int kEngineFatal = -100;      // the interpreter could not go on at all
inline constexpr int kEngineInterrupted = -6;  // stopped from outside before it finished

// The input argument that makes the interpreter read the job from its standard input (buffered),
// that is from the listener's OnEngineInput.
inline constexpr std::string_view kEngineStandardInput = "-_";

// Receives what the interpreter writes while it runs, on the calling thread.
class EngineListener {
 public:
  virtual ~EngineListener() = default;
  virtual void OnEngineOutput(std::string_view text) = 0;
  virtual void OnEngineError(std::string_view text) = 0;
  // Fills `buffer` with up to `length` bytes of the interpreter's standard input; returns the
  // count, 0 at its end, or a negative value, which stops the interpreter with an I/O error.
  virtual int OnEngineInput(char* buffer, int length) = 0;
  // Asked now and then while the interpreter works (between its steps, where it is built to
  // poll; at regular times, where it runs in a process of its own); false stops it.
  virtual bool OnEnginePoll() = 0;
};

// One interpreter instance; destroying it deletes the instance.
class EngineInstance {
 public:
  virtual ~EngineInstance() = default;
  // Routes the interpreter's standard streams and its polling to `listener`.
  virtual int SetStdio(EngineListener& listener) = 0;
  // Runs the whole job (the arguments include -dBATCH and -dNOPAUSE); 0, kEngineQuit or an error.
  virtual int InitWithArgs(const std::vector<std::string>& arguments) = 0;
  // Finishes the output device so that the file is complete on disk.
  virtual int Exit() = 0;
};

class Engine {
 public:
  virtual ~Engine() = default;
  // A new instance, or nothing with the (negative) code in `code`.
  virtual std::unique_ptr<EngineInstance> NewInstance(int& code) = 0;
  // After NewInstance failed: why the engine cannot run at all (its library is missing), in
  // words for the user; "" when only the instance could not be made.
  virtual std::string Unavailable() const { return ""; }
};

// Ghostscript, linked into this program.
std::unique_ptr<Engine> MakeGhostscriptEngine();

}  // namespace vellumor::convert
