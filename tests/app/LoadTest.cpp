// Many print jobs at once: one process per job, all sharing the user's settings, temporary
// folder and desktop, as happens when a whole batch is printed.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "support/PdfFacts.h"
#include "support/Sandbox.h"

namespace vellumor::test {
namespace {

using ::testing::HasSubstr;

constexpr int kJobs = 16;

std::string Job(int number, int pages, const std::string& title) {
  std::string job = "%!PS-Adobe-3.0\n%%Title: " + title + "\n/Helvetica findfont 20 scalefont setfont\n";
  for (int page = 1; page <= pages; ++page) {
    job += "72 700 moveto (Job " + std::to_string(number) + " page " + std::to_string(page) + ") show showpage\n";
  }
  return job;
}

class LoadTest : public ::testing::Test {
 protected:
  // Starts every job at once and waits for all of them; their exit codes.
  std::vector<int> RunAll(const std::vector<std::string>& jobs) {
    std::vector<int> codes(jobs.size(), -1);
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
      threads.emplace_back([&, i] {
        const ProcessResult run = sandbox.RunWithInput(jobs[i]);
        codes[i] = run.exitCode;
        if (run.exitCode != 0) {
          ADD_FAILURE() << "job " << i << ": " << run.err;
        }
      });
    }
    for (std::thread& thread : threads) {
      thread.join();
    }
    return codes;
  }

  void ExpectNothingLeftBehind() {
    EXPECT_TRUE(std::filesystem::is_empty(sandbox.Temp())) << "side files in the temporary folder";
    for (const auto& entry : std::filesystem::directory_iterator(sandbox.Desktop())) {
      EXPECT_EQ(entry.path().extension(), ".pdf") << entry.path();
      EXPECT_THAT(entry.path().filename().string(), ::testing::Not(HasSubstr("_append"))) << entry.path();
      EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
  }

  Sandbox sandbox;
};

TEST_F(LoadTest, EveryJobGetsItsOwnCorrectPdf) {
  sandbox.SetSetting("DocAuthor", "Batch");
  std::vector<std::string> jobs;
  for (int i = 0; i < kJobs; ++i) {
    jobs.push_back(Job(i, 1 + i % 4, "Job " + std::to_string(i)));
  }
  RunAll(jobs);

  for (int i = 0; i < kJobs; ++i) {
    const std::filesystem::path pdf = sandbox.Desktop() / ("Job " + std::to_string(i) + ".pdf");
    PdfFacts facts = InspectPdf(pdf);
    ASSERT_TRUE(facts.opened) << pdf << ": " << facts.error;
    EXPECT_EQ(facts.pages, 1 + i % 4) << pdf;
    EXPECT_EQ(facts.info["/Author"], "Batch");
    EXPECT_THAT(PdfText(pdf), HasSubstr("Job " + std::to_string(i) + " page 1")) << pdf;
  }
  EXPECT_EQ(Sandbox::FilesIn(sandbox.Desktop(), ".pdf").size(), static_cast<std::size_t>(kJobs));
  // The shared settings store is still whole.
  EXPECT_EQ(sandbox.StoredSetting("DocAuthor"), "Batch");
  ExpectNothingLeftBehind();
}

TEST_F(LoadTest, AppendingJobsLoseNoPages) {
  sandbox.SetSetting("AdvAppend", "Append to existing");
  std::vector<std::string> jobs;
  for (int i = 0; i < kJobs; ++i) {
    jobs.push_back(Job(i, 2, "Journal"));
  }
  RunAll(jobs);

  const std::filesystem::path pdf = sandbox.Desktop() / "Journal.pdf";
  EXPECT_EQ(InspectPdf(pdf).pages, 2 * kJobs);
  const std::string text = PdfText(pdf);
  for (int i = 0; i < kJobs; ++i) {
    // Each job's pages stay together and in order.
    const std::size_t first = text.find("Job " + std::to_string(i) + " page 1");
    const std::size_t second = text.find("Job " + std::to_string(i) + " page 2");
    ASSERT_NE(first, std::string::npos) << "job " << i << " lost";
    EXPECT_LT(first, second);
  }
  ExpectNothingLeftBehind();
}

TEST_F(LoadTest, OverwritingJobsLeaveOneWholePdf) {
  std::vector<std::string> jobs;
  for (int i = 0; i < kJobs; ++i) {
    jobs.push_back(Job(i, 3, "Same name"));
  }
  RunAll(jobs);

  EXPECT_EQ(Sandbox::FilesIn(sandbox.Desktop(), ".pdf").size(), 1u);
  EXPECT_EQ(InspectPdf(sandbox.Desktop() / "Same name.pdf").pages, 3);
  ExpectNothingLeftBehind();
}

}  // namespace
}  // namespace vellumor::test
