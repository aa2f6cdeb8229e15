#pragma once
// The seam to the PostScript interpreter. The real one is Ghostscript in this process; tests
// put a failing one in its place to reach failures Ghostscript cannot produce on demand.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellumor::convert {

// Ghostscript's result codes the pipeline tells apart.
inline constexpr int kEngineQuit = -101;   // a normal "quit"
inline constexpr int kEngineFatal = -100;  // the interpreter could not go on at all

// Receives what the interpreter writes while it runs, on the calling thread.
class EngineListener {
 public:
  virtual ~EngineListener() = default;
  virtual void OnEngineOutput(std::string_view text) = 0;
  virtual void OnEngineError(std::string_view text) = 0;
};

// One interpreter instance; destroying it deletes the instance.
class EngineInstance {
 public:
  virtual ~EngineInstance() = default;
  // Routes the interpreter's standard streams to `listener` (its input reads nothing).
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
};

// Ghostscript, linked into this program.
std::unique_ptr<Engine> MakeGhostscriptEngine();

}  // namespace vellumor::convert
