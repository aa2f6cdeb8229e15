#include "support/PipelineFixture.h"

#include "settings/Settings.h"

namespace vellumor::test {

PipelineFixture::PipelineFixture() {
  std::filesystem::create_directories(tempPath);
  std::filesystem::permissions(tempPath, std::filesystem::perms::owner_all);
  std::filesystem::create_directories(outputFolder);
  std::filesystem::create_directories(desktop);
  std::string error;
  temp = platform::TempFolder::At(tempPath, error);
  UseEngine(convert::MakeGhostscriptEngine());
  state.settings = settings::DefaultSettings(dir.Path().string());
  state.settings.SaveAs = std::string{settings::entries::kFolderAuto};
  state.settings.SaveToPath = outputFolder.string();
  state.settings.AfterCreation = std::string{settings::entries::kDoNothing};
  state.OutputFileName = "Report.pdf";
}

void PipelineFixture::UseEngine(std::unique_ptr<convert::Engine> replacement) {
  engine = std::move(replacement);
  services = std::make_unique<convert::Services>(
      convert::Services{registry, *temp, clock, ui, *engine, shell,
                        convert::EngineEnvironmentPlaces{&registry, false, {}}, desktop, "tester"});
}

void PipelineFixture::UseJob(std::string_view postscript) {
  state.JobFilePath = tempPath / "vlm1.tmp.ps";
  WriteFileBytes(state.JobFilePath, postscript);
}

void PipelineFixture::UseJobFile(const std::filesystem::path& postscriptFile) {
  UseJob(ReadFileBytes(postscriptFile));
}

std::vector<std::string> PipelineFixture::LeftoversInTemp() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(tempPath)) {
    if (entry.path() != state.JobFilePath) {
      names.push_back(entry.path().filename().string());
    }
  }
  return names;
}

std::string PagesJob(int pages, std::string_view label, std::string_view title) {
  std::string job = "%!PS-Adobe-3.0\n";
  if (!title.empty()) {
    job += "%%Title: " + std::string{title} + "\n";
  }
  job += "/Helvetica findfont 24 scalefont setfont\n";
  for (int page = 1; page <= pages; ++page) {
    job += "72 700 moveto (" + std::string{label} + " " + std::to_string(page) + ") show showpage\n";
  }
  return job;
}

}  // namespace vellumor::test
