#include "app/FrontEnd.h"

#include <dlfcn.h>

#include "platform/Environment.h"

namespace vellumor::app {
namespace {

// Keeps the module loaded for as long as the front end it made lives.
class LoadedFrontEnd final : public FrontEnd {
 public:
  LoadedFrontEnd(void* module, FrontEnd* frontEnd) : module_{module}, frontEnd_{frontEnd} {}
  ~LoadedFrontEnd() override {
    frontEnd_.reset();
    // The module stays mapped: Qt registers process-wide handlers that may run at exit.
    (void)module_;
  }
  platform::UserInteraction& Interaction() override { return frontEnd_->Interaction(); }
  void CloseOnCancellation(int descriptor) override { frontEnd_->CloseOnCancellation(descriptor); }
  int Run(MainController& controller, const StartOutcome& outcome) override {
    return frontEnd_->Run(controller, outcome);
  }

 private:
  void* module_;
  std::unique_ptr<FrontEnd> frontEnd_;
};

}  // namespace

std::unique_ptr<FrontEnd> LoadFrontEnd(int argc, char** argv, std::string& error) {
  const std::filesystem::path path = platform::ProgramFolder() / kFrontEndModule;
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* reason = dlerror();
    error = reason != nullptr ? reason : "cannot load " + path.string();
    return nullptr;
  }
  auto create = reinterpret_cast<CreateFrontEndFunction>(dlsym(module, kFrontEndSymbol));
  if (create == nullptr) {
    error = path.string() + " has no " + kFrontEndSymbol;
    dlclose(module);
    return nullptr;
  }
  FrontEnd* frontEnd = create(argc, argv);
  if (frontEnd == nullptr) {
    error = "the windows could not be created";
    return nullptr;
  }
  return std::make_unique<LoadedFrontEnd>(module, frontEnd);
}

}  // namespace vellumor::app
