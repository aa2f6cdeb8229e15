// Renders every registered window to PNG files: vellumor_screenshots <output folder>.

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <cstdio>
#include <map>
#include <string>

#include "screenshots/Screenshots.h"
#include "settings/Settings.h"

namespace vellumor::test::screenshots {

namespace {

std::map<std::string, RenderFunction>& Registry() {
  static std::map<std::string, RenderFunction> functions;
  return functions;
}

}  // namespace

bool Register(const char* name, RenderFunction render) {
  Registry().emplace(name, std::move(render));
  return true;
}

Shots::Shots(std::filesystem::path outputFolder) : output_{std::move(outputFolder)} {
  std::filesystem::create_directories(output_);
  std::filesystem::create_directories(dir / "tmp");
  std::filesystem::permissions(dir / "tmp", std::filesystem::perms::owner_all);
  std::filesystem::create_directories(dir / "Desktop");
  std::string error;
  temp_ = platform::TempFolder::At(dir / "tmp", error);
  engine_ = convert::MakeGhostscriptEngine();
  services_ = std::make_unique<convert::Services>(
      convert::Services{registry, *temp_, clock, ui, *engine_, shell,
                        convert::EngineEnvironmentPlaces{&registry, false, {}}, dir / "Desktop", "tester"});
}

bool Shots::Save(QWidget& window, const QString& fileName) {
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) {
    return false;
  }
  QApplication::processEvents();
  const QString path = QString::fromStdString((output_ / fileName.toStdString()).string());
  const bool saved = window.grab().save(path, "PNG");
  window.hide();
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

app::MainController& Shots::StartController(std::string_view job) {
  const std::filesystem::path input = dir / "stdin.ps";
  WriteFileBytes(input, job);
  auto controller = std::make_unique<app::MainController>(*services_, app::SplitCommandLine("vellumor"), dir.Path());
  const int fd = ::open(input.c_str(), O_RDONLY);
  controller->Initialise(fd);
  ::close(fd);
  controllers_.push_back(std::move(controller));
  return *controllers_.back();
}

}  // namespace vellumor::test::screenshots

int main(int argc, char** argv) {
  using namespace vellumor::test::screenshots;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  Shots shots{argv[1]};
  for (const auto& [name, render] : Registry()) {
    std::printf("%s\n", name.c_str());
    render(shots);
  }
  return 0;
}
