#include "app/FrontEnd.h"

#include "platform/Environment.h"
#include "platform/LoadedModule.h"
#include "platform/PathText.h"
#include "platform/ProgramModules.h"

namespace vellumor::app {
namespace {

// Keeps the module loaded for as long as the front end it made lives.
class LoadedFrontEnd final : public FrontEnd {
 public:
  LoadedFrontEnd(std::unique_ptr<platform::LoadedModule> module, FrontEnd* frontEnd)
      : module_{std::move(module)}, frontEnd_{frontEnd} {
    // The module stays mapped: Qt registers process-wide handlers that may run at exit.
    module_->KeepLoaded();
  }
  platform::UserInteraction& Interaction() override { return frontEnd_->Interaction(); }
  void CloseOnCancellation(int descriptor) override { frontEnd_->CloseOnCancellation(descriptor); }
  int Run(MainController& controller, const StartOutcome& outcome) override {
    return frontEnd_->Run(controller, outcome);
  }

 private:
  std::unique_ptr<platform::LoadedModule> module_;
  std::unique_ptr<FrontEnd> frontEnd_;  // goes before the module
};

}  // namespace

std::unique_ptr<FrontEnd> LoadFrontEnd(int argc, char** argv, std::string& error) {
  const std::filesystem::path path =
      platform::ProgramFolder() / platform::ModuleFileName(platform::ProgramModule::FrontEnd);
  std::unique_ptr<platform::LoadedModule> module = platform::LoadedModule::Load(path, error);
  if (module == nullptr) {
    return nullptr;
  }
  auto create = reinterpret_cast<CreateFrontEndFunction>(module->Symbol(kFrontEndSymbol));
  if (create == nullptr) {
    error = platform::Utf8FromPath(path) + " has no " + kFrontEndSymbol;
    return nullptr;
  }
  FrontEnd* frontEnd = create(argc, argv);
  if (frontEnd == nullptr) {
    // Whatever the attempt set up stays: the module is not unloaded under it.
    module->KeepLoaded();
    error = "the windows could not be created";
    return nullptr;
  }
  return std::make_unique<LoadedFrontEnd>(std::move(module), frontEnd);
}

}  // namespace vellumor::app
