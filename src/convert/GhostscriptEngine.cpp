#include <ghostscript/iapi.h>
#include <ghostscript/ierrors.h>

#include "convert/Engine.h"
#include "platform/EngineLibrary.h"

namespace vellumor::convert {
namespace {

// The interpreter hands every callback the caller handle given at creation. It points at the
// listener of this very conversion, so output can never reach another job's window.
struct CallerHandle {
  EngineListener* listener{nullptr};
};

int GSDLLCALL OnEngineInput(void* caller, char* buffer, int length) {
  auto* handle = static_cast<CallerHandle*>(caller);
  if (handle == nullptr || handle->listener == nullptr) {
    return -1;
  }
  return handle->listener->OnEngineInput(buffer, length);
}

// Called only by builds of the interpreter that check for interrupts; the job input is the
// stopping point the others honour.
int GSDLLCALL OnEnginePoll(void* caller) {
  auto* handle = static_cast<CallerHandle*>(caller);
  return handle == nullptr || handle->listener == nullptr || handle->listener->OnEnginePoll() ? 0 : -1;
}

int GSDLLCALL OnEngineOutput(void* caller, const char* text, int length) {
  auto* handle = static_cast<CallerHandle*>(caller);
  if (handle != nullptr && handle->listener != nullptr && length > 0) {
    handle->listener->OnEngineOutput(std::string_view{text, static_cast<std::size_t>(length)});
  }
  return length;
}

int GSDLLCALL OnEngineError(void* caller, const char* text, int length) {
  auto* handle = static_cast<CallerHandle*>(caller);
  if (handle != nullptr && handle->listener != nullptr && length > 0) {
    handle->listener->OnEngineError(std::string_view{text, static_cast<std::size_t>(length)});
  }
  return length;
}

class GhostscriptInstance final : public EngineInstance {
 public:
  GhostscriptInstance(void* instance, std::unique_ptr<CallerHandle> handle)
      : instance_{instance}, handle_{std::move(handle)} {}
  ~GhostscriptInstance() override { gsapi_delete_instance(instance_); }
  GhostscriptInstance(const GhostscriptInstance&) = delete;
  GhostscriptInstance& operator=(const GhostscriptInstance&) = delete;

  int SetStdio(EngineListener& listener) override {
    handle_->listener = &listener;
    const int code = gsapi_set_poll(instance_, OnEnginePoll);
    return code < 0 ? code : gsapi_set_stdio(instance_, OnEngineInput, OnEngineOutput, OnEngineError);
  }

  int InitWithArgs(const std::vector<std::string>& arguments) override {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    // File names and passwords are UTF-8 on this platform.
    gsapi_set_arg_encoding(instance_, GS_ARG_ENCODING_UTF8);
    return gsapi_init_with_args(instance_, static_cast<int>(arguments.size()), argv.data());
  }

  int Exit() override { return gsapi_exit(instance_); }

 private:
  void* instance_;
  std::unique_ptr<CallerHandle> handle_;
};

class Ghostscript final : public Engine {
 public:
  std::unique_ptr<EngineInstance> NewInstance(int& code) override {
    // The library is bound before the first call; where it is found at run time (Windows), a
    // missing one is told rather than ending the program.
    if (!platform::PrepareEngineLibrary(unavailable_)) {
      code = kEngineFatal;
      return nullptr;
    }
    auto handle = std::make_unique<CallerHandle>();
    void* instance = nullptr;
    code = gsapi_new_instance(&instance, handle.get());
    if (code < 0) {
      if (instance != nullptr) {
        gsapi_delete_instance(instance);
      }
      return nullptr;
    }
    return std::make_unique<GhostscriptInstance>(instance, std::move(handle));
  }

  std::string Unavailable() const override { return unavailable_; }

 private:
  std::string unavailable_;
};

}  // namespace

std::unique_ptr<Engine> MakeGhostscriptEngine() {
  return std::make_unique<Ghostscript>();
}

}  // namespace vellumor::convert
