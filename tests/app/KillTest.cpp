// Jobs ended at random moments, as the print system's cancel (SIGTERM) or a crash (SIGKILL)
// ends them. After each, and after the job that follows it: every page of the PDF is still
// there in order (the killed job's pages are there in full or not at all), the PDF passes
// qpdf's check, and nothing is left beside it or in the temporary folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <thread>

#include "support/PdfFacts.h"
#include "support/Sandbox.h"

namespace vellumor::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr int kRuns = 20;

struct KillCase {
  const char* name;
  bool append;
  int signal;
};
void PrintTo(const KillCase& c, std::ostream* out) {
  *out << c.name;
}

std::string Job(const std::string& label, int pages) {
  std::string job = "%!PS-Adobe-3.0\n%%Title: Journal\n/Helvetica findfont 20 scalefont setfont\n";
  for (int page = 1; page <= pages; ++page) {
    job += "72 700 moveto (" + label + "-" + std::to_string(page) + ") show showpage\n";
  }
  return job;
}

std::vector<std::string> Labels(const std::string& label, int pages) {
  std::vector<std::string> labels;
  for (int page = 1; page <= pages; ++page) {
    labels.push_back(label + "-" + std::to_string(page));
  }
  return labels;
}

// The label on each page, in page order.
std::vector<std::string> PageLabels(const std::filesystem::path& pdf) {
  std::vector<std::string> labels;
  const std::string text = PdfText(pdf);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\f', start);
    end = end == std::string::npos ? text.size() : end;
    std::string page = text.substr(start, end - start);
    page.erase(0, page.find_first_not_of(" \n"));
    page.erase(page.find_last_not_of(" \n") + 1);
    if (!page.empty()) {
      labels.push_back(page);
    }
    start = end + 1;
  }
  return labels;
}

unsigned Seed() {
  if (const char* given = std::getenv("VELLUMOR_KILL_SEED")) {
    return static_cast<unsigned>(std::strtoul(given, nullptr, 10));
  }
  return std::random_device{}();
}

class KillTest : public ::testing::TestWithParam<KillCase> {
 protected:
  std::filesystem::path Pdf() const { return sandbox.Desktop() / "Journal.pdf"; }

  // The PDF holds exactly `labels`, passes qpdf's check, and nothing else is left.
  void ExpectWhole(const std::vector<std::string>& labels) {
    EXPECT_EQ(PageLabels(Pdf()), labels);
    const ProcessResult check = RunProcess({"qpdf", "--check", Pdf().string()});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
  }
  void ExpectNothingLeft() {
    EXPECT_THAT(NamesIn(sandbox.Desktop()), ElementsAre("Journal.pdf"));
    EXPECT_THAT(NamesIn(sandbox.Temp()), IsEmpty());
  }

  Sandbox sandbox;
};

TEST_P(KillTest, NoPageIsLostAndNothingIsLeftBehind) {
  const KillCase& c = GetParam();
  const unsigned seed = Seed();
  std::cout << "kill moments from seed " << seed << " (VELLUMOR_KILL_SEED repeats them)\n";
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random{seed};
  sandbox.SetSetting("AdvFixedFilename", "Journal.pdf");
  sandbox.SetSetting("AdvAppend", c.append ? "Append to existing" : "");

  // A whole run's length spreads the kill moments over start-up, the job's arrival, the
  // engine, the check and the replacement.
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(sandbox.RunWithInput(Job("Base", 2)).exitCode, 0);
  const auto wholeRun =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
  std::vector<std::string> expected = Labels("Base", 2);
  ExpectWhole(expected);

  std::uniform_int_distribution<long> moment{0, wholeRun.count() * 6 / 5};
  int stopped = 0;
  for (int run = 0; run < kRuns; ++run) {
    SCOPED_TRACE("run " + std::to_string(run));
    const std::string killed = "Killed" + std::to_string(run);
    BackgroundProcess program({VELLUMOR_BINARY}, sandbox.Options());
    ASSERT_TRUE(program.Started());
    program.WriteInput(Job(killed, 2));
    program.CloseInput();
    std::this_thread::sleep_for(std::chrono::microseconds{moment(random)});
    program.Signal(c.signal);
    int signalled = 0;
    const ProcessResult result = program.Wait(&signalled);
    // Finished before the signal, cancelled, or ended by the signal itself; never a crash.
    EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 1 || signalled == c.signal)
        << result.exitCode << " " << signalled << " " << result.err;

    // The killed job's pages are in the PDF in full or not at all.
    std::vector<std::string> withKilled = c.append ? expected : std::vector<std::string>{};
    for (const std::string& label : Labels(killed, 2)) {
      withKilled.push_back(label);
    }
    const std::vector<std::string> now = PageLabels(Pdf());
    ASSERT_TRUE(now == expected || now == withKilled) << ::testing::PrintToString(now);
    stopped += now == withKilled ? 0 : 1;
    expected = now;
    ExpectWhole(expected);

    const std::string following = "Next" + std::to_string(run);
    const ProcessResult next = sandbox.RunWithInput(Job(following, 1));
    ASSERT_EQ(next.exitCode, 0) << next.err;
    if (!c.append) {
      expected.clear();
    }
    expected.push_back(following + "-1");
    ExpectWhole(expected);
    ExpectNothingLeft();
  }
  std::cout << stopped << " of " << kRuns << " jobs were stopped before their PDF was in place\n";
}

INSTANTIATE_TEST_SUITE_P(Jobs, KillTest,
                         ::testing::Values(KillCase{"AppendTerm", true, SIGTERM}, KillCase{"AppendKill", true, SIGKILL},
                                           KillCase{"OverwriteTerm", false, SIGTERM},
                                           KillCase{"OverwriteKill", false, SIGKILL}),
                         [](const ::testing::TestParamInfo<KillCase>& info) { return std::string{info.param.name}; });

}  // namespace
}  // namespace vellumor::test
