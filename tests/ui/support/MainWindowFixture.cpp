#include "support/MainWindowFixture.h"

#include <fcntl.h>
#include <unistd.h>

#include <QAbstractButton>

#include "settings/RegistryStore.h"
#include "support/TempDir.h"

namespace vellumor::test {

MainWindowFixture::MainWindowFixture() {
  std::filesystem::create_directories(home);
}

MainWindowFixture::~MainWindowFixture() {
  window.reset();
  if (controller) {
    controller->RemoveTemporaryFiles();
  }
}

void MainWindowFixture::StoreSetting(std::string_view name, std::string_view value) {
  settings::Settings stored = StoredSettings();
  const settings::FieldInfo* field = settings::FindField(name);
  ASSERT_NE(field, nullptr) << name;
  if (field->kind == settings::FieldKind::Text) {
    stored.*(field->text) = std::string{value};
  } else {
    stored.*(field->number) = settings::ParseLeadingInteger(value);
  }
  settings::SaveSettingsToRegistry(registry, stored);
}

settings::Settings MainWindowFixture::StoredSettings() {
  settings::Settings stored = settings::DefaultSettings(home.string());
  settings::LoadSettingsFromRegistry(registry, stored);
  return stored;
}

void MainWindowFixture::Start(std::string_view job, const std::vector<std::string>& arguments) {
  const std::filesystem::path input = dir / "stdin.ps";
  WriteFileBytes(input, job);
  std::string commandLine = "\"/usr/bin/vellumor\"";
  for (const std::string& argument : arguments) {
    commandLine += " \"" + argument + "\"";
  }
  controller = std::make_unique<app::MainController>(*services, app::SplitCommandLine(commandLine), home);
  const int fd = ::open(input.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  outcome = controller->Initialise(fd);
  ::close(fd);
  window = std::make_unique<ui::MainWindow>(ui, clock, shell);
  window->Bind(*controller);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
}

void MainWindowFixture::Click(int id) {
  auto* button = ControlAs<QAbstractButton>(id);
  ASSERT_NE(button, nullptr) << id;
  QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace vellumor::test
