#pragma once
// The main window as the program starts it, on a private temporary folder and registry: a
// controller initialised with a job (or none) on standard input, then the window bound to it.

#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/MainController.h"
#include "support/ModalDriver.h"
#include "support/PipelineFixture.h"
#include "ui/MainWindow.h"

namespace vellumor::test {

class MainWindowFixture : public PipelineFixture {
 protected:
  MainWindowFixture();
  ~MainWindowFixture() override;

  // Stores a setting, as an earlier session would have left it.
  void StoreSetting(std::string_view name, std::string_view value);
  // The settings as the registry holds them now.
  settings::Settings StoredSettings();

  // Runs the controller's initialisation with `job` on standard input ("" for none) and shows
  // the window for it.
  void Start(std::string_view job = "", const std::vector<std::string>& arguments = {});

  QWidget* Control(int id) const { return window->Control(id); }
  template <typename T>
  T* ControlAs(int id) const {
    return window->ControlAs<T>(id);
  }
  void Click(int id);

  std::filesystem::path home{dir / "home"};
  std::unique_ptr<app::MainController> controller;
  app::StartOutcome outcome;
  std::unique_ptr<ui::MainWindow> window;
  ModalDriver modals;
};

}  // namespace vellumor::test
