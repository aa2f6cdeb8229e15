// Receiving the job from standard input: byte-for-byte copy, the title, settings mode, and the
// sibling product's setup file.

#include "convert/JobIntake.h"

#include <fcntl.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "convert/Conversion.h"
#include "support/PipelineFixture.h"

namespace vellumor::convert {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class JobIntakeTest : public test::PipelineFixture {
 protected:
  JobIntakeTest() { state.OutputFileName.clear(); }

  // Feeds `bytes` through a pipe, as a printer port would.
  void Receive(const std::string& bytes) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::thread writer([&] {
      std::string_view rest = bytes;
      while (!rest.empty()) {
        const ssize_t put = write(fds[1], rest.data(), rest.size());
        if (put <= 0) {
          break;
        }
        rest.remove_prefix(static_cast<std::size_t>(put));
      }
      close(fds[1]);
    });
    ReceivePrintJob(state, *services, fds[0]);
    writer.join();
    close(fds[0]);
  }
};

TEST_F(JobIntakeTest, CopiesEveryByteOfTheJob) {
  std::string job = "%!PS-Adobe-3.0\r\n%%Title: Binary\r\n";
  for (int round = 0; round < 3000; ++round) {
    for (int byte = 0; byte < 256; ++byte) {
      job += static_cast<char>(byte);
    }
    job += "\r\n\x1A\xFF";
  }
  Receive(job);
  EXPECT_FALSE(state.NoJobData);
  ASSERT_TRUE(JobFileExists(state));
  EXPECT_EQ(test::ReadFileBytes(state.JobFilePath), job);
  EXPECT_EQ(state.JobFilePath.parent_path(), tempPath);
  EXPECT_EQ(state.OutputFileName, "Binary.pdf");
}

TEST_F(JobIntakeTest, CopiesAJobGivenAsAFile) {
  std::string job = "%!PS-Adobe-3.0\n%%Title: From a file\n";
  for (int i = 0; i < 200000; ++i) {
    job += static_cast<char>(i * 7 % 256);
  }
  const std::filesystem::path source = dir / "job.ps";
  test::WriteFileBytes(source, job);
  const int fd = open(source.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ReceivePrintJob(state, *services, fd);
  close(fd);
  EXPECT_EQ(test::ReadFileBytes(state.JobFilePath), job);
  EXPECT_EQ(state.OutputFileName, "From a file.pdf");
}

TEST_F(JobIntakeTest, EmptyInputIsSettingsMode) {
  Receive("");
  EXPECT_TRUE(state.NoJobData);
  EXPECT_EQ(state.OutputFileName, "nofile.pdf");
  EXPECT_THAT(ui.messages, IsEmpty());
  EXPECT_EQ(state.settings.SaveAs, settings::entries::kFolderAuto);
}

TEST_F(JobIntakeTest, TitleBecomesTheFileName) {
  Receive("%!PS\n%%Title: C:\\Docs\\Plan.html\n");
  EXPECT_EQ(state.OutputFileName, "Plan.pdf");
  EXPECT_EQ(state.BaseFileName, "Plan.pdf");
}

TEST_F(JobIntakeTest, NoTitleAsksForTheName) {
  Receive("%!PS\nshowpage\n");
  EXPECT_EQ(state.OutputFileName, "nofile.pdf");
  EXPECT_EQ(state.settings.SaveAs, settings::entries::kAskAuto);
}

TEST_F(JobIntakeTest, TitleRunningPastTheHeaderIsAnError) {
  Receive("%!PS\n%%Title: " + std::string(600, 'x') + "\nshowpage\n");
  EXPECT_THAT(ui.MessageTexts(), ElementsAre("Error getting filename"));
  EXPECT_EQ(ui.messages[0].style, platform::MessageStyle::System);
  EXPECT_FALSE(JobFileExists(state));
}

TEST_F(JobIntakeTest, DocumentNameWinsOverTheTitle) {
  state.DocumentName = "My Report";
  Receive("%!PS\n%%Title: Something else\n");
  EXPECT_EQ(state.OutputFileName, "My Report.pdf");
}

TEST_F(JobIntakeTest, NamingRulesApplyToTheTitle) {
  state.settings.AdvPrefixFilename = "[YYYY]-[MM]-[DD] ";
  Receive("%!PS\n%%Title: Report.txt - Notepad\n");
  EXPECT_EQ(state.OutputFileName, "2016-03-05 Report.pdf");
  EXPECT_EQ(state.BaseFileName, "Report.pdf");
}

TEST_F(JobIntakeTest, SiblingSetupFileIsReadFromTheTemporaryFolder) {
  test::WriteFileBytes(tempPath / "Sheafwright.vsf", "AdvFixedFilename;Handed over.pdf\r\nAdvZoom;50\r\n");
  Receive("%!PS\n%%Title: Ignored\n");
  EXPECT_EQ(state.OutputFileName, "Handed over.pdf");
  EXPECT_EQ(state.settings.AdvZoom, "50");
  EXPECT_EQ(state.CurrentSetupFile, tempPath / "Sheafwright.vsf");

  JobState other;
  other.settings = settings::DefaultSettings("/home/x");
  other.settings.AdvSheafwrightFilename = 0;
  state = other;
  Receive("%!PS\n%%Title: Own name\n");
  EXPECT_EQ(state.OutputFileName, "Own name.pdf");
  EXPECT_EQ(state.CurrentSetupFile, "Default.vsf");
}

TEST_F(JobIntakeTest, APlantedLinkIsNeitherWrittenThroughNorTakenAsTheJob) {
  const std::filesystem::path victim = dir / "victim.ps";
  test::WriteFileBytes(victim, test::PagesJob(1, "Planted"));
  test::LinkEveryReservedName(tempPath, ".ps", victim);
  Receive(test::PagesJob(1, "Mine", "Mine"));
  EXPECT_EQ(test::ReadFileBytes(victim), test::PagesJob(1, "Planted"));
  EXPECT_FALSE(JobFileExists(state));
  EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::NoJobFile);
}

TEST_F(JobIntakeTest, TemporaryFilesAreRemoved) {
  Receive("%!PS\n%%Title: T\n");
  ASSERT_TRUE(JobFileExists(state));
  RemoveTemporaryFiles(state);
  EXPECT_FALSE(JobFileExists(state));
  EXPECT_TRUE(std::filesystem::is_empty(tempPath));
}

}  // namespace
}  // namespace vellumor::convert
