// The print monitor driven through its MONITOR2 table as the spooler drives it: the port added
// and found through the Xcv functions of vellumor-monitor.dll, and jobs started, written in
// pieces, ended or cancelled, with the real vellumor.exe (and the stand-in engine) at the other
// end of the pipe, or a program that ends before reading. Wine's spooler keeps no job status and
// cannot cancel a job half sent: those cases reach the same table through a stand-in for the
// spooler's side of the job (SpoolerJob).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/win32/WindowsApi.h"
// After windows.h: they rely on its types.
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/win32/JobOwner.h"
#include "monitor/win32/JobProgram.h"
#include "monitor/win32/MonitorKey.h"
#include "monitor/win32/MonitorTable.h"
#include "platform/Environment.h"
#include "platform/PathText.h"
#include "platform/Registry.h"
#include "platform/win32/RegistryAccess.h"
#include "platform/win32/WideText.h"
#include "standin/MinimalPdf.h"
#include "support/TempDir.h"
#include "support/WinePrinters.h"

namespace vellumor::monitor {
namespace {

using platform::ProgramFolder;
using platform::RegistryRoot;
using platform::RegistryValue;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kHolderPrinter[] = "Vellumor Monitor Test";
constexpr DWORD kProgramEndMs = 120000;  // a bound for failures, never a pace the test relies on

std::uint64_t CreationTime(HANDLE process) {
  FILETIME created{};
  FILETIME unused[3]{};
  if (!::GetProcessTimes(process, &created, &unused[0], &unused[1], &unused[2])) {
    return 0;
  }
  return (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

// The programs this process started through the port (the monitor starts them from inside it),
// to wait for. A process that names this one's id as its parent but is older than this one is not
// a child: the id belonged to a process that ended before this one began. The system starts
// helpers of its own for some children (Wine a console host), which are not the port's.
std::vector<platform::FileHandle> ChildProcesses() {
  std::vector<platform::FileHandle> children;
  const std::uint64_t born = CreationTime(::GetCurrentProcess());
  const platform::FileHandle snapshot{::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)};
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof(entry);
  for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry)) {
    const std::wstring_view image{entry.szExeFile};
    if (entry.th32ParentProcessID != ::GetCurrentProcessId() ||
        (image != L"vellumor.exe" && image != L"monitor-exit-at-once.exe")) {
      continue;
    }
    platform::FileHandle process{
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)};
    if (process.Valid() && CreationTime(process.Get()) >= born) {
      children.push_back(std::move(process));
    }
  }
  return children;
}

// Adds the programs started since the last call to `programs`, held so that each can be waited
// for even after it has ended (a cancelled program ends at once, and an ended process nobody holds
// is gone from the system's list).
void HoldNewPrograms(std::vector<platform::FileHandle>& programs) {
  for (platform::FileHandle& child : ChildProcesses()) {
    const DWORD id = ::GetProcessId(child.Get());
    if (std::none_of(programs.begin(), programs.end(),
                     [id](const platform::FileHandle& held) { return ::GetProcessId(held.Get()) == id; })) {
      programs.push_back(std::move(child));
    }
  }
}

// Waits for every program the port started (those in `programs` first); their exit codes.
std::vector<DWORD> WaitForPrograms(std::vector<platform::FileHandle> programs = {}) {
  HoldNewPrograms(programs);
  std::vector<DWORD> codes;
  for (const platform::FileHandle& child : programs) {
    EXPECT_EQ(::WaitForSingleObject(child.Get(), kProgramEndMs), WAIT_OBJECT_0);
    DWORD code = 0;
    ::GetExitCodeProcess(child.Get(), &code);
    codes.push_back(code);
  }
  return codes;
}

std::string Job(int pages) {
  std::string job = "%!PS-Adobe-3.0\n%%Title: ignored, the document name counts\n";
  for (int page = 0; page < pages; ++page) {
    job += "% page " + std::to_string(page) + "\n" + std::string(4000, '%') + "\nshowpage\n";
  }
  return job;
}

// The spooler's side of the jobs of the stand-in queue: what the test says, and what it was told.
struct StandInQueue {
  bool cancelled{false};
  std::vector<std::wstring> statuses;
  int sent{0};
};
StandInQueue gQueue;

class StandInJob final : public SpoolerJob {
 public:
  std::optional<JobDetails> Details() const override { return JobDetails{L"", L"from the queue"}; }
  bool Cancelled(bool) const override { return gQueue.cancelled; }
  void SetStatus(const std::wstring& text) const override { gQueue.statuses.push_back(text); }
  void SentToPrinter() const override { ++gQueue.sent; }
};

std::unique_ptr<SpoolerJob> StandInJobSource(const wchar_t*, DWORD) {
  return std::make_unique<StandInJob>();
}

class MonitorTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::InstallTestPrinterDriver(); }

  void SetUp() override {
    module_ = ::LoadLibraryW((ProgramFolder() / "vellumor-monitor.dll").c_str());
    ASSERT_NE(module_, nullptr);
    using Initialize = LPMONITOR2(WINAPI*)(PMONITORINIT, PHANDLE);
    const auto initialize =
        reinterpret_cast<Initialize>(reinterpret_cast<void*>(::GetProcAddress(module_, "InitializePrintMonitor2")));
    ASSERT_NE(initialize, nullptr);
    MONITORINIT init{};
    init.cbSize = sizeof(init);
    init.bLocal = TRUE;
    monitor_ = initialize(&init, &handle_);
    ASSERT_NE(monitor_, nullptr);
    ASSERT_GE(monitor_->cbSize, sizeof(MONITOR2));

    ASSERT_EQ(Xcv(SERVER_ACCESS_ADMINISTER, L"AddPort", kPortName), static_cast<DWORD>(ERROR_SUCCESS));
    SetProgram(ProgramFolder() / "vellumor.exe");
    // The program reads the user's environment, not this process's: the settings it is to use
    // reach it there, as a user's own variables would.
    ASSERT_EQ(
        ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Environment", L"VELLUMOR_REGISTRY", REG_SZ, registry_.Folder().c_str(),
                          static_cast<DWORD>((registry_.Folder().native().size() + 1) * sizeof(wchar_t))),
        ERROR_SUCCESS);
    ASSERT_EQ(
        registry_.SetValues(RegistryRoot::LocalMachine, "SOFTWARE\\Corvane Software\\Vellumor",
                            std::vector<RegistryValue>{{"SaveAs", platform::kRegSz,
                                                        "Use source filename, save to a specific folder (automatic)"},
                                                       {"SaveToPath", platform::kRegSz, platform::Utf8FromPath(pdfs_)},
                                                       {"AdvSheafwrightFilename", platform::kRegSz, "1"}}),
        platform::win_error::kSuccess);
    std::filesystem::create_directories(pdfs_);
    ASSERT_TRUE(test::AddTestPrinter(kHolderPrinter, "FILE:"));
  }

  void TearDown() override {
    if (holder_ != nullptr) {
      ::AbortPrinter(holder_);
      ::ClosePrinter(holder_);
    }
    test::DeleteTestPrinter(kHolderPrinter);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Environment", L"VELLUMOR_REGISTRY");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kMonitorKey);
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kMonitorKey);
    platform::DeletePrivateRegistry(registry_.Folder());
    if (module_ != nullptr) {
      ::FreeLibrary(module_);
    }
  }

  // From here on the table's jobs are those of the stand-in queue.
  void UseStandInQueue() {
    gQueue = {};
    monitor_ = PrintMonitorTable(StandInJobSource, &handle_);
  }

  static void SetProgram(const std::filesystem::path& program) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kMonitorKey, kProgramValue, REG_SZ, program.c_str(),
                                static_cast<DWORD>((program.native().size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }

  DWORD Xcv(ACCESS_MASK access, const wchar_t* command, const wchar_t* port, DWORD* answer = nullptr) {
    HANDLE xcv = nullptr;
    EXPECT_TRUE(monitor_->pfnXcvOpenPort(handle_, L"", access, &xcv));
    DWORD needed = 0;
    const DWORD status =
        monitor_->pfnXcvDataPort(xcv, command, reinterpret_cast<BYTE*>(const_cast<wchar_t*>(port)),
                                 static_cast<DWORD>((std::wcslen(port) + 1) * sizeof(wchar_t)),
                                 reinterpret_cast<BYTE*>(answer), answer != nullptr ? sizeof(DWORD) : 0, &needed);
    monitor_->pfnXcvClosePort(xcv);
    return status;
  }

  // A job in the spooler's queue that the port then prints, as the spooler's own would be.
  DWORD QueueJob() {
    std::wstring name = platform::WideFromUtf8(kHolderPrinter);
    EXPECT_TRUE(::OpenPrinterW(name.data(), &holder_, nullptr));
    DOC_INFO_1W doc{const_cast<wchar_t*>(L"held"), nullptr, const_cast<wchar_t*>(L"RAW")};
    return ::StartDocPrinterW(holder_, 1, reinterpret_cast<BYTE*>(&doc));
  }

  // Opens the port and starts a job on it named `document`, one of Wine's spooler (which the
  // stand-in queue, when in use, answers for).
  HANDLE StartJob(const wchar_t* document) {
    HANDLE port = nullptr;
    EXPECT_TRUE(monitor_->pfnOpenPort(handle_, const_cast<wchar_t*>(kPortName), &port));
    if (holder_ != nullptr) {
      ::AbortPrinter(holder_);
      ::ClosePrinter(holder_);
      holder_ = nullptr;
    }
    const DWORD job = QueueJob();
    std::wstring printer = platform::WideFromUtf8(kHolderPrinter);
    DOC_INFO_1W doc{const_cast<wchar_t*>(document), nullptr, const_cast<wchar_t*>(L"RAW")};
    EXPECT_TRUE(monitor_->pfnStartDocPort(port, printer.data(), job, 1, reinterpret_cast<BYTE*>(&doc)));
    return port;
  }

  // Writes `bytes` in pieces of `piece` bytes, as the spooler hands them over.
  void Write(HANDLE port, std::string_view bytes, std::size_t piece) {
    while (!bytes.empty()) {
      const auto size = static_cast<DWORD>(std::min(piece, bytes.size()));
      DWORD written = 0;
      ASSERT_TRUE(
          monitor_->pfnWritePort(port, reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())), size, &written));
      ASSERT_EQ(written, size);
      bytes.remove_prefix(size);
    }
  }

  std::vector<std::string> Pdfs() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(pdfs_)) {
      names.push_back(platform::Utf8FromPath(entry.path().filename()));
    }
    return names;
  }

  test::TempDir dir_;
  platform::Registry registry_{dir_.Path() / "registry"};
  std::filesystem::path pdfs_ = dir_.Path() / "pdfs";
  HMODULE module_{nullptr};
  HANDLE handle_{nullptr};
  LPMONITOR2 monitor_{nullptr};
  HANDLE holder_{nullptr};
};

TEST_F(MonitorTest, ThePortIsAddedListedAndGuardedThroughTheXcvFunctions) {
  DWORD exists = 0;
  EXPECT_EQ(Xcv(0, L"PortExists", kPortName, &exists), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(exists, 1U);
  EXPECT_EQ(Xcv(0, L"PortExists", L"LPT1:", &exists), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(exists, 0U);
  // Only administrators change ports, and only the product's port is this monitor's.
  EXPECT_EQ(Xcv(0, L"DeletePort", kPortName), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Xcv(SERVER_ACCESS_ADMINISTER, L"AddPort", L"OtherPort:"), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  DWORD needed = 0;
  DWORD count = 0;
  EXPECT_FALSE(monitor_->pfnEnumPorts(handle_, nullptr, 2, nullptr, 0, &needed, &count));
  std::vector<BYTE> buffer(needed);
  ASSERT_TRUE(monitor_->pfnEnumPorts(handle_, nullptr, 2, buffer.data(), needed, &needed, &count));
  ASSERT_EQ(count, 1U);
  const auto* port = reinterpret_cast<PORT_INFO_2W*>(buffer.data());
  EXPECT_STREQ(port->pPortName, kPortName);
  EXPECT_STREQ(port->pMonitorName, kMonitorName);

  EXPECT_EQ(Xcv(SERVER_ACCESS_ADMINISTER, L"DeletePort", kPortName), static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_TRUE(monitor_->pfnEnumPorts(handle_, nullptr, 1, buffer.data(), needed, &needed, &count));
  EXPECT_EQ(count, 0U);
  HANDLE gone = nullptr;
  EXPECT_FALSE(monitor_->pfnOpenPort(handle_, const_cast<wchar_t*>(kPortName), &gone));
}

TEST_F(MonitorTest, AJobWrittenInPiecesBecomesOnePdfNamedByTheDocument) {
  const std::string job = Job(3);
  HANDLE port = StartJob(L"Quarterly \"final\" report.docx");
  Write(port, job, 1000);
  ASSERT_TRUE(monitor_->pfnEndDocPort(port));
  ASSERT_TRUE(monitor_->pfnClosePort(port));

  EXPECT_THAT(WaitForPrograms(), ElementsAre(0U));
  // The name arrived as one option with its quotes gone and was cut at its first dot.
  ASSERT_THAT(Pdfs(), ElementsAre("Quarterly final report.pdf"));
  const std::string pdf = test::ReadFileBytes(pdfs_ / "Quarterly final report.pdf");
  EXPECT_EQ(test::PageTextsOf(pdf).size(), 3U);
  if (const std::optional<std::string> keep = platform::GetEnvironmentVariable("VELLUMOR_WINDOWS_PDF_FOLDER")) {
    std::filesystem::copy_file(pdfs_ / "Quarterly final report.pdf", std::filesystem::path{*keep} / "monitor-job.pdf",
                               std::filesystem::copy_options::overwrite_existing);
  }
}

TEST_F(MonitorTest, AJobCancelledInTheQueueOrLeftUnendedBecomesNoPdf) {
  UseStandInQueue();
  const std::string job = Job(4);
  // Cancelled in the queue while half of it had gone out.
  HANDLE port = StartJob(L"Cancelled");
  Write(port, std::string_view{job}.substr(0, job.size() / 2), 4096);
  std::vector<platform::FileHandle> programs;
  HoldNewPrograms(programs);
  gQueue.cancelled = true;
  ASSERT_TRUE(monitor_->pfnEndDocPort(port));
  ASSERT_TRUE(monitor_->pfnClosePort(port));
  // The port closed in the middle of a job, without its end.
  gQueue.cancelled = false;
  port = StartJob(L"Unended");
  Write(port, std::string_view{job}.substr(0, job.size() / 2), 4096);
  HoldNewPrograms(programs);
  ASSERT_TRUE(monitor_->pfnClosePort(port));

  // Both programs stopped without a PDF (exit code 1: nothing written) and left no job file.
  EXPECT_THAT(WaitForPrograms(std::move(programs)), ElementsAre(1U, 1U));
  EXPECT_THAT(Pdfs(), IsEmpty());
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
    EXPECT_FALSE(entry.path().extension() == ".ps" && entry.path().filename().native().starts_with(L"vlm"))
        << platform::Utf8FromPath(entry.path());
  }
}

TEST_F(MonitorTest, AProgramThatEndsEarlyFailsTheJobAndTheQueueSaysWhy) {
  UseStandInQueue();
  SetProgram(ProgramFolder() / "monitor-exit-at-once.exe");
  HANDLE port = StartJob(L"Early");
  EXPECT_THAT(WaitForPrograms(), ElementsAre(7U));
  const std::string job = Job(1);
  DWORD written = 0;
  EXPECT_FALSE(monitor_->pfnWritePort(port, reinterpret_cast<BYTE*>(const_cast<char*>(job.data())),
                                      static_cast<DWORD>(job.size()), &written));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
  EXPECT_EQ(written, 0U);
  EXPECT_THAT(gQueue.statuses, ElementsAre(L"Vellumor: the program ended before it had the whole job (exit code 7)"));
  EXPECT_TRUE(monitor_->pfnEndDocPort(port));
  EXPECT_EQ(gQueue.sent, 1);
  EXPECT_TRUE(monitor_->pfnClosePort(port));
  // A job small enough to wait in the pipe whole: its end finds the program gone.
  gQueue = {};
  port = StartJob(L"Early too");
  EXPECT_THAT(WaitForPrograms(), ElementsAre(7U));
  EXPECT_TRUE(monitor_->pfnEndDocPort(port));
  EXPECT_THAT(gQueue.statuses, ElementsAre(L"Vellumor: the program ended before it had the whole job (exit code 7)"));
  EXPECT_TRUE(monitor_->pfnClosePort(port));

  // Without a program to start, the job is refused and the queue says so.
  ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kMonitorKey, kProgramValue);
  gQueue = {};
  EXPECT_TRUE(monitor_->pfnOpenPort(handle_, const_cast<wchar_t*>(kPortName), &port));
  EXPECT_FALSE(monitor_->pfnStartDocPort(port, const_cast<wchar_t*>(L"Vellumor"), 1, 1, nullptr));
  EXPECT_THAT(gQueue.statuses, ElementsAre(L"Vellumor: the port has no program to start; reinstall Vellumor"));
  DWORD none = 0;
  EXPECT_FALSE(monitor_->pfnWritePort(port, reinterpret_cast<BYTE*>(const_cast<char*>(job.data())), 1, &none));
  EXPECT_TRUE(monitor_->pfnClosePort(port));
}

// How the job's program is chosen and started, without a spooler.
TEST(JobProgramTest, TheOwnersSessionAndTheCommandLineTheProgramReadsBack) {
  const std::vector<LogonSession> sessions = {{1, false, L"ann", L"OFFICE"},
                                              {2, true, L"bob", L"OFFICE"},
                                              {3, true, L"Ann", L"OFFICE"},
                                              {4, true, L"ann", L"LAB"}};
  EXPECT_EQ(SessionOfOwner(sessions, L"ann"), 3U);  // an active session before a disconnected one
  EXPECT_EQ(SessionOfOwner(sessions, L"LAB\\ANN"), 4U);
  EXPECT_EQ(SessionOfOwner({sessions[0]}, L"ann"), 1U);
  EXPECT_EQ(SessionOfOwner(sessions, L"carol"), std::nullopt);
  EXPECT_EQ(SessionOfOwner(sessions, L""), std::nullopt);

  // What the program's runtime makes of the command line is the name, whole, as one argument.
  for (const auto& [name, expected] : {std::pair{L"Plan \"B\" draft", L"-bPlan B draft"},
                                       std::pair{L"C:\\Reports\\", L"-bC:\\Reports\\"}, std::pair{L"", L""}}) {
    const std::wstring line = ProgramCommandLine(L"C:\\Program Files\\Vellumor\\vellumor.exe", name);
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(arguments, nullptr);
    EXPECT_STREQ(arguments[0], L"C:\\Program Files\\Vellumor\\vellumor.exe");
    if (*expected == L'\0') {
      EXPECT_EQ(count, 1);
    } else {
      ASSERT_EQ(count, 2);
      EXPECT_STREQ(arguments[1], expected);
    }
    ::LocalFree(arguments);
  }

  const wchar_t block[] = L"=C:=C:\\\0Path=C:\\windows\0VELLUMOR_PORT_CHANNEL=1;2\0windir=C:\\windows\0";
  const std::wstring changed = WithVariable(block, L"Vellumor_Port_Channel", L"5;6");
  const wchar_t expected[] = L"=C:=C:\\\0Path=C:\\windows\0Vellumor_Port_Channel=5;6\0windir=C:\\windows\0\0";
  EXPECT_EQ(changed, std::wstring(expected, std::size(expected) - 1));
}

}  // namespace
}  // namespace vellumor::monitor
