// vellumor-bench-printer: what the session agent adds to a printed job. A scheduler of its own
// with the Vellumor printer installed, a user whose settings save every PDF at once, and the same
// 1-page job printed alternately with that user's session agent running and without it: once
// through the whole printer (`lp` until the scheduler reports the job done) and once through the
// port alone (the backend run as the scheduler runs it). Needs root (a user of its own, the port).
//
//   vellumor-bench-printer [--runs N]

#include <cups/cups.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "BenchJobs.h"
#include "BenchSupport.h"
#include "agent/support/AgentProcess.h"
#include "printer/support/PrinterWorld.h"

namespace {

namespace fs = std::filesystem;
using namespace vellumor;
using bench::Median;
using Clock = std::chrono::steady_clock;

int ActiveJobs() {
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "Vellumor", 0, CUPS_WHICHJOBS_ACTIVE);
  cupsFreeJobs(count, jobs);
  return count;
}

// Milliseconds from `lp` until the scheduler has no job left; nothing when the job failed.
double ThroughTheScheduler(const test::PrinterWorld& world, const fs::path& text, const std::string& title) {
  const auto start = Clock::now();
  const test::ProcessResult queued = world.RunAsUser({"lp", "-d", "Vellumor", "-t", title, text.string()});
  while (queued.exitCode == 0 && ActiveJobs() > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds{1});
  }
  const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  return queued.exitCode == 0 && world.Pdfs().contains(title + ".pdf") ? elapsed : -1;
}

// Milliseconds the port takes for the job, run as the scheduler runs it.
double ThroughThePort(const test::PrinterWorld& world, const fs::path& job, const std::string& runtimeRoot) {
  const std::string backend = (world.cups->BackendFolder() / "vellumor").string();
  const auto start = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setenv("VELLUMOR_RUNTIME_ROOT", runtimeRoot.c_str(), 1);
    std::freopen("/dev/null", "w", stderr);
    ::execl(backend.c_str(), backend.c_str(), "1", world.user->Name().c_str(), "Port", "1", "", job.c_str(), nullptr);
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  const double elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? elapsed : -1;
}

void RemovePdfs(const test::PrinterWorld& world) {
  for (const auto& entry : fs::directory_iterator{world.user->PdfFolder()}) {
    fs::remove(entry.path());
  }
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 10;
  for (int i = 1; i < argc; ++i) {
    if (std::string{argv[i]} == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: vellumor-bench-printer [--runs N]\n");
      return 2;
    }
  }
  std::string error;
  bool unavailable = false;
  const std::unique_ptr<test::PrinterWorld> world = test::PrinterWorld::Make(true, error, unavailable);
  if (!world) {
    std::fprintf(stderr, "vellumor-bench-printer: %s\n", error.c_str());
    return 2;
  }
  ::setenv("CUPS_SERVER", world->cups->Server().c_str(), 1);
  world->user->SetSetting("AfterCreation", "Do nothing");
  const fs::path text = world->TextFile("page.txt", 1);
  const fs::path job = world->cups->Folder() / "page.ps";
  bench::WriteTextJob(job, 1);

  // The agent runs without a display here, so both ways do the very same conversion.
  test::AgentSetup setup;
  setup.program = world->program;
  setup.runtime = world->cups->RuntimeRoot() / std::to_string(world->user->Uid());
  setup.environment = {{"HOME", world->user->Home().string()}, {"USER", world->user->Name()}};
  setup.user = world->user->Uid();
  setup.group = world->user->Gid();

  struct Way {
    const char* name;
    std::function<double()> run;
    std::vector<double> alone;
    std::vector<double> withAgent;
  };
  int serial = 0;
  std::vector<Way> ways;
  ways.push_back(
      {"lp to job done", [&] { return ThroughTheScheduler(*world, text, "page" + std::to_string(++serial)); }, {}, {}});
  ways.push_back(
      {"port alone", [&] { return ThroughThePort(*world, job, world->cups->RuntimeRoot().string()); }, {}, {}});
  for (int run = -1; run < runs; ++run) {  // the first round warms the caches and is not counted
    for (Way& way : ways) {
      for (const bool agentRuns : {false, true}) {
        std::unique_ptr<test::AgentProcess> agent = agentRuns ? test::AgentProcess::Start(setup, error) : nullptr;
        if (agentRuns && (!agent || !agent->WaitUntilListening())) {
          std::fprintf(stderr, "vellumor-bench-printer: the agent did not start: %s\n", error.c_str());
          return 1;
        }
        const double milliseconds = way.run();
        if (milliseconds < 0) {
          std::fprintf(stderr, "vellumor-bench-printer: a run %s the agent failed:\n%s\n",
                       agentRuns ? "with" : "without", world->cups->LogTail().c_str());
          return 1;
        }
        if (run >= 0) {
          (agentRuns ? way.withAgent : way.alone).push_back(milliseconds);
        }
        RemovePdfs(*world);
      }
    }
  }
  std::printf("%-16s %8s %14s %14s %10s\n", "1-page job", "runs", "no agent ms", "agent ms", "added ms");
  for (const Way& way : ways) {
    const double alone = Median(way.alone);
    const double withAgent = Median(way.withAgent);
    std::printf("%-16s %8d %14.1f %14.1f %10.1f\n", way.name, runs, alone, withAgent, withAgent - alone);
  }
  return 0;
}
