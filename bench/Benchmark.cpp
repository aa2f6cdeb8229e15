// vellumor-bench: converts the same jobs with the vellumor program (unattended, automatic save
// mode, as the printer port runs it) and with the gs command line given the very same switches,
// alternating runs so both see the same machine. Prints medians, their ratio and peak memory.
//
//   vellumor-bench [--runs N] [--quick] [--work DIR]

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "BenchJobs.h"
#include "BenchSupport.h"
#include "convert/EngineArguments.h"
#include "convert/JobIntake.h"
#include "convert/MarksFile.h"
#include "convert/Services.h"
#include "settings/Settings.h"

namespace {

namespace fs = std::filesystem;
using namespace vellumor;
using bench::Median;

struct Sample {
  double milliseconds{0};
  long peakKilobytes{0};
  bool ok{false};
};

// Runs a program with `input` on standard input and `environment` added; wall time and peak
// resident memory of the child.
Sample Measure(const std::vector<std::string>& arguments, const fs::path& input,
               const std::vector<std::string>& environment) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open(input.c_str(), O_RDONLY);
    dup2(in, STDIN_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    for (const std::string& entry : environment) {
      putenv(const_cast<char*>(entry.c_str()));
    }
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto end = std::chrono::steady_clock::now();
  return {std::chrono::duration<double, std::milli>(end - start).count(), usage.ru_maxrss,
          WIFEXITED(status) && WEXITSTATUS(status) == 0};
}

struct Job {
  std::string name;
  fs::path path;
  int runs;
};

// How long copying the job from standard input into the job file takes, in this process.
double MeasureIntake(const fs::path& job, const fs::path& work) {
  const fs::path temp = work / "intake";
  fs::create_directories(temp);
  fs::permissions(temp, fs::perms::owner_all);
  std::string error;
  std::optional<platform::TempFolder> folder = platform::TempFolder::At(temp, error);
  platform::Registry registry{work / "intake-registry"};
  const std::unique_ptr<platform::Clock> clock = platform::MakeSystemClock();
  const std::unique_ptr<convert::Engine> engine = convert::MakeGhostscriptEngine();
  const std::unique_ptr<platform::Shell> shell = platform::MakeDesktopShell();
  platform::QuietInteraction silent;
  const convert::Services services{registry, *folder, *clock, silent, *engine, *shell, {}, work, "bench"};
  convert::JobState state;
  state.settings = settings::DefaultSettings(work.string());
  const int input = open(job.c_str(), O_RDONLY);
  const auto start = std::chrono::steady_clock::now();
  convert::ReceivePrintJob(state, services, input);
  fsync(open(state.JobFilePath.c_str(), O_RDONLY));
  const auto end = std::chrono::steady_clock::now();
  close(input);
  convert::RemoveTemporaryFiles(state);
  return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  bool quick = false;
  fs::path work = fs::temp_directory_path() / "vellumor-bench";
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (argument == "--quick") {
      quick = true;
    } else if (argument == "--work" && i + 1 < argc) {
      work = argv[++i];
    } else {
      std::fprintf(stderr, "usage: vellumor-bench [--runs N] [--quick] [--work DIR]\n");
      return 2;
    }
  }
  fs::remove_all(work);
  const fs::path home = work / "home";
  const fs::path temp = work / "tmp";
  fs::create_directories(home / "Desktop");
  fs::create_directories(temp);
  fs::permissions(temp, fs::perms::owner_all);

  std::fprintf(stderr, "making jobs in %s ...\n", work.c_str());
  std::vector<Job> jobs{{"text, 1 page", work / "text1.ps", runs},
                        {"text, 100 pages", work / "text100.ps", runs},
                        {"images, 8 pages", work / "images.ps", runs}};
  bench::WriteTextJob(jobs[0].path, 1);
  bench::WriteTextJob(jobs[1].path, 100);
  bench::WriteImageJob(jobs[2].path, 8, 1600, 1200);
  if (!quick) {
    jobs.push_back({"200 MB scan", work / "large.ps", std::max(1, runs / 2)});
    bench::WriteLargeJob(jobs[3].path, 200u << 20);
  }

  // The engine switches exactly as the program builds them for the default settings, with the
  // same marks file as the last input.
  const settings::Settings defaults = settings::DefaultSettings(home.string());
  std::vector<std::string> gs = convert::BuildEngineArguments(defaults);
  gs[0] = "gs";
  const fs::path marks = work / "marks.ps";
  {
    const std::string text = convert::MarksFileText(defaults, convert::kProducer);
    FILE* file = std::fopen(marks.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
  }
  const std::vector<std::string> environment{"HOME=" + home.string(), "TMPDIR=" + temp.string(),
                                             "VELLUMOR_REGISTRY=" + (work / "registry").string(),
                                             "XDG_CONFIG_HOME=" + (home / ".config").string()};

  std::printf("%-17s %9s %12s %12s %7s %10s %14s %14s\n", "job", "size MB", "vellumor ms", "gs ms", "ratio", "added ms",
              "vellumor peak", "gs peak");
  for (const Job& job : jobs) {
    std::vector<double> ours;
    std::vector<double> theirs;
    long oursPeak = 0;
    long theirsPeak = 0;
    std::vector<std::string> gsRun = gs;
    gsRun.push_back("-sOutputFile=" + (work / "gs.pdf").string());
    gsRun.push_back(job.path.string());
    gsRun.push_back(marks.string());
    // One warm-up of each so the page cache holds the job and the libraries.
    Measure({VELLUMOR_BINARY}, job.path, environment);
    Measure(gsRun, job.path, environment);
    for (int run = 0; run < job.runs; ++run) {
      const Sample a = Measure({VELLUMOR_BINARY}, job.path, environment);
      const Sample b = Measure(gsRun, job.path, environment);
      if (!a.ok || !b.ok) {
        std::fprintf(stderr, "%s: a run failed (vellumor %s, gs %s)\n", job.name.c_str(), a.ok ? "ok" : "failed",
                     b.ok ? "ok" : "failed");
        return 1;
      }
      ours.push_back(a.milliseconds);
      theirs.push_back(b.milliseconds);
      oursPeak = std::max(oursPeak, a.peakKilobytes);
      theirsPeak = std::max(theirsPeak, b.peakKilobytes);
    }
    const double o = Median(ours);
    const double t = Median(theirs);
    std::printf("%-17s %9.1f %12.1f %12.1f %7.3f %10.1f %11.1f MB %11.1f MB\n", job.name.c_str(),
                static_cast<double>(fs::file_size(job.path)) / (1 << 20), o, t, o / t, o - t, oursPeak / 1024.0,
                theirsPeak / 1024.0);
    std::fflush(stdout);
  }
  const Job& largest = jobs.back();
  std::printf("copying the %.0f MB job from standard input into the job file: %.1f ms\n",
              static_cast<double>(fs::file_size(largest.path)) / (1 << 20), MeasureIntake(largest.path, work));
  fs::remove_all(work);
  return 0;
}
