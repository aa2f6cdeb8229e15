// The conversion run with real Ghostscript: output, appending, the overwrite question,
// encryption, document information and initial view, failures and what they leave behind.

#include "convert/Conversion.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "platform/Cancellation.h"
#include "platform/UnprivilegedRun.h"
#include "support/FileModes.h"
#include "support/LockHolder.h"
#include "support/PdfFacts.h"
#include "support/PipelineFixture.h"

namespace vellumor::convert {
namespace {

using test::InspectPdf;
using test::ModeOf;
using test::NamesIn;
using test::PdfText;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class ConversionTest : public test::PipelineFixture {
 protected:
  std::filesystem::path Output() const { return outputFolder / "Report.pdf"; }
};

// An engine that fails in ways the real one cannot be made to on demand.
class FailingEngine final : public Engine {
 public:
  explicit FailingEngine(int newInstanceCode, int runCode = 0, std::vector<std::string> output = {})
      : newInstanceCode_{newInstanceCode}, runCode_{runCode}, output_{std::move(output)} {}
  int instancesCreated{0};
  std::vector<std::string> lastArguments;

  std::unique_ptr<EngineInstance> NewInstance(int& code) override {
    code = newInstanceCode_;
    if (code < 0) {
      return nullptr;
    }
    ++instancesCreated;
    return std::make_unique<Instance>(*this);
  }

 private:
  class Instance final : public EngineInstance {
   public:
    explicit Instance(FailingEngine& engine) : engine_{engine} {}
    int SetStdio(EngineListener& listener) override {
      listener_ = &listener;
      return 0;
    }
    int InitWithArgs(const std::vector<std::string>& arguments) override {
      engine_.lastArguments = arguments;
      for (const std::string& chunk : engine_.output_) {
        listener_->OnEngineOutput(chunk);
      }
      // Like the real engine, start writing the output before failing.
      for (const std::string& argument : arguments) {
        if (argument.starts_with("-sOutputFile=")) {
          test::WriteFileBytes(argument.substr(13), "%PDF-1.5 half written");
        }
      }
      return engine_.runCode_;
    }
    int Exit() override { return 0; }

   private:
    FailingEngine& engine_;
    EngineListener* listener_{nullptr};
  };

  int newInstanceCode_;
  int runCode_;
  std::vector<std::string> output_;
};

// The real engine, with what it wrote damaged by `damage` once it has closed the file: what a
// failing disk or a faulty engine could leave, which the engine itself reports as written.
class DamagingEngine final : public Engine {
 public:
  explicit DamagingEngine(std::function<void(const std::filesystem::path&)> damage) : damage_{std::move(damage)} {}

  std::unique_ptr<EngineInstance> NewInstance(int& code) override {
    std::unique_ptr<EngineInstance> real = real_->NewInstance(code);
    return real ? std::make_unique<Instance>(std::move(real), damage_) : nullptr;
  }

 private:
  class Instance final : public EngineInstance {
   public:
    Instance(std::unique_ptr<EngineInstance> real, std::function<void(const std::filesystem::path&)>& damage)
        : real_{std::move(real)}, damage_{damage} {}
    int SetStdio(EngineListener& listener) override { return real_->SetStdio(listener); }
    int InitWithArgs(const std::vector<std::string>& arguments) override {
      for (const std::string& argument : arguments) {
        if (argument.starts_with("-sOutputFile=")) {
          output_ = argument.substr(13);
        }
      }
      return real_->InitWithArgs(arguments);
    }
    int Exit() override {
      const int code = real_->Exit();
      damage_(output_);
      return code;
    }

   private:
    std::unique_ptr<EngineInstance> real_;
    std::function<void(const std::filesystem::path&)>& damage_;
    std::filesystem::path output_;
  };

  std::unique_ptr<Engine> real_{MakeGhostscriptEngine()};
  std::function<void(const std::filesystem::path&)> damage_;
};

TEST_F(ConversionTest, WritesThePdfAndLeavesNoSideFiles) {
  UseJob(test::PagesJob(3));
  const ConversionOutcome outcome = CreatePdf(state, *services);

  EXPECT_EQ(outcome.result, ConversionResult::Written);
  EXPECT_EQ(outcome.pdf, Output());
  EXPECT_EQ(InspectPdf(Output()).pages, 3);
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
  EXPECT_THAT(LeftoversInTemp(), IsEmpty());
  EXPECT_THAT(ui.messages, IsEmpty());
  EXPECT_FALSE(ui.barVisible);
}

TEST_F(ConversionTest, AppendPutsTheOldPagesFirst) {
  state.settings.AdvAppend = std::string{settings::entries::kAppendToExisting};
  UseJob(test::PagesJob(2, "Old"));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  UseJob(test::PagesJob(1, "New"));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);

  EXPECT_EQ(InspectPdf(Output()).pages, 3);
  const std::string text = PdfText(Output());
  const std::size_t old1 = text.find("Old 1");
  const std::size_t old2 = text.find("Old 2");
  const std::size_t new1 = text.find("New 1");
  ASSERT_NE(new1, std::string::npos);
  EXPECT_LT(old1, old2);
  EXPECT_LT(old2, new1);
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
}

TEST_F(ConversionTest, AppendWithoutAnExistingPdfWritesANewOne) {
  state.settings.AdvAppend = std::string{settings::entries::kAppendToExisting};
  UseJob(test::PagesJob(2));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  EXPECT_EQ(InspectPdf(Output()).pages, 2);
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
}

TEST_F(ConversionTest, AppendNeverMergesALeftOverFile) {
  state.settings.AdvAppend = std::string{settings::entries::kAppendToExisting};
  UseJob(test::PagesJob(1, "Old"));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  // A file with the name the old PDF is moved to, left over from some earlier run.
  test::WriteFileBytes(outputFolder / "Report.pdf_append.pdf", "left over");

  UseJob(test::PagesJob(1, "New"));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);

  EXPECT_EQ(InspectPdf(Output()).pages, 2);
  EXPECT_THAT(PdfText(Output()), HasSubstr("Old 1"));
  EXPECT_EQ(test::ReadFileBytes(outputFolder / "Report.pdf_append.pdf"), "left over");
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf", "Report.pdf_append.pdf"));
}

TEST_F(ConversionTest, AFailedAppendKeepsTheOldPdf) {
  state.settings.AdvAppend = std::string{settings::entries::kAppendToExisting};
  UseJob(test::PagesJob(2, "Old"));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  const std::string before = test::ReadFileBytes(Output());

  UseJob("%!PS\n72 72 moveto /nosuchoperator load showpage\n");
  const ConversionOutcome outcome = CreatePdf(state, *services);

  EXPECT_EQ(outcome.result, ConversionResult::Failed);
  EXPECT_EQ(test::ReadFileBytes(Output()), before);
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
  EXPECT_THAT(LeftoversInTemp(), IsEmpty());
}

// A page object without its /Type: qpdf takes the page tree's leaf for the page it is, as viewers
// do; the engine skips that page, says so on its error output, and goes on without an error. The
// new PDF would lack that old page: the append fails instead.
TEST_F(ConversionTest, AnOldPdfTheEngineCannotReadWholeIsKept) {
  UseJob(test::PagesJob(3, "Old"));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  std::string damaged = test::ReadFileBytes(Output());
  const std::size_t lastPage = damaged.rfind("/Type/Page/");
  ASSERT_NE(lastPage, std::string::npos);
  damaged.replace(lastPage, 5, "/Tipe");  // as long as it was: the cross-reference table stays right
  test::WriteFileBytes(Output(), damaged);
  ASSERT_EQ(test::InspectPdf(Output()).pages, 3);
  state.settings.AdvAppend = std::string{settings::entries::kAppendToExisting};

  UseJob(test::PagesJob(1, "New"));
  const ConversionOutcome outcome = CreatePdf(state, *services);
  EXPECT_EQ(outcome.result, ConversionResult::Failed);
  EXPECT_THAT(ui.MessageTexts(), ElementsAre(HasSubstr("did not hold every page of the existing PDF")));
  EXPECT_TRUE(test::ReadFileBytes(Output()) == damaged) << "the old PDF changed";
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
  EXPECT_THAT(LeftoversInTemp(), IsEmpty());
}

// The engine reports success; the file it wrote is cut short, or one of its pages is damaged. The
// check that reads it back before it replaces the old PDF refuses both.
TEST_F(ConversionTest, ADamagedNewPdfNeverReplacesTheOldOne) {
  const std::pair<const char*, std::function<void(const std::filesystem::path&)>> damages[] = {
      {"cut short",
       [](const std::filesystem::path& pdf) {
         std::filesystem::resize_file(pdf, std::filesystem::file_size(pdf) / 2);
       }},
      {"a page damaged",
       [](const std::filesystem::path& pdf) {
         // Read without a complaint only when the page object ends as it must.
         std::string bytes = test::ReadFileBytes(pdf);
         const std::size_t page = bytes.find("/Type/Page/");
         ASSERT_NE(page, std::string::npos);
         bytes.replace(bytes.find("endobj", page), 6, "endobx");
         test::WriteFileBytes(pdf, bytes);
       }},
  };
  UseJob(test::PagesJob(2, "Old"));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  const std::string before = test::ReadFileBytes(Output());
  for (const auto& [name, damage] : damages) {
    SCOPED_TRACE(name);
    ui.messages.clear();
    UseEngine(std::make_unique<DamagingEngine>(damage));
    UseJob(test::PagesJob(3, "New"));
    EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::Failed);
    EXPECT_THAT(ui.MessageTexts(), ElementsAre(HasSubstr("was not written completely")));
    EXPECT_TRUE(test::ReadFileBytes(Output()) == before) << "the old PDF was replaced";
    EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
    EXPECT_THAT(LeftoversInTemp(), IsEmpty());
  }
}

TEST_F(ConversionTest, AppendingToAnEncryptedPdfKeepsItsPagesOrRefuses) {
  struct Case {
    std::string firstOpen, firstPermissions, secondOpen, secondPermissions;
    bool appended;
  };
  const Case cases[] = {
      {"open", "owner", "open", "owner", true},
      {"open", "", "open", "", true},
      {"old", "owner", "new", "owner", true},  // the permissions password opens it as well
      {"old", "", "new", "", false},           // no password the settings hold opens it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.firstOpen + "/" + c.firstPermissions + " then " + c.secondOpen + "/" + c.secondPermissions);
    std::filesystem::remove(Output());
    ui.messages.clear();
    state.settings.AdvAppend = std::string{settings::entries::kAppendToExisting};
    state.settings.SecAlwaysUse = 1;
    state.settings.SecOpenPassword = c.firstOpen;
    state.settings.SecPermPassword = c.firstPermissions;
    UseJob(test::PagesJob(2, "Old"));
    ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
    const std::string before = test::ReadFileBytes(Output());

    state.settings.SecOpenPassword = c.secondOpen;
    state.settings.SecPermPassword = c.secondPermissions;
    UseJob(test::PagesJob(1, "New"));
    const ConversionOutcome outcome = CreatePdf(state, *services);
    if (c.appended) {
      EXPECT_EQ(outcome.result, ConversionResult::Written);
      EXPECT_EQ(InspectPdf(Output(), c.secondOpen).pages, 3);
      const std::string text = PdfText(Output(), c.secondOpen);
      EXPECT_LT(text.find("Old 2"), text.find("New 1"));
      EXPECT_NE(text.find("Old 1"), std::string::npos);
    } else {
      EXPECT_EQ(outcome.result, ConversionResult::Failed);
      EXPECT_EQ(test::ReadFileBytes(Output()), before);
      ASSERT_EQ(ui.messages.size(), 1u);
      EXPECT_THAT(ui.messages[0].text, HasSubstr("needs a password"));
    }
    EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
    EXPECT_THAT(LeftoversInTemp(), IsEmpty());
  }
}

// Files the user asked to keep, or may not write, are not replaced; a link is not followed.
TEST_F(ConversionTest, APdfThatMayNotBeReplacedStaysAsItIs) {
  enum class Setup { WriteProtected, FolderNotWritable, AnotherUsersPdf, LinkAtTheName };
  struct Case {
    const char* name;
    Setup setup;
    bool append;
    const char* reason;
  };
  const Case cases[] = {
      {"write-protected", Setup::WriteProtected, false, "could not be saved as"},
      {"folder not writable", Setup::FolderNotWritable, false, "could not be saved as"},
      {"another user's PDF", Setup::AnotherUsersPdf, true, "could not be saved as"},
      {"link at the name", Setup::LinkAtTheName, true, "is a symbolic link"},
  };
  const std::filesystem::path secret = dir / "secret.pdf";
  UseJob(test::PagesJob(1, "Secret"));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  std::filesystem::rename(Output(), secret);
  // Reachable for the user "nobody", who runs the cases that root's rights would spoil.
  std::filesystem::permissions(dir.Path(), std::filesystem::perms{0755});
  ASSERT_EQ(::chown(tempPath.c_str(), test::kNobodyId, test::kNobodyId), 0);
  UseJob(test::PagesJob(1, "New"));
  ASSERT_EQ(::chmod(state.JobFilePath.c_str(), 0644), 0);

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove_all(outputFolder);
    std::filesystem::create_directories(outputFolder);
    test::WriteFileBytes(Output(), "the user's PDF");
    state.settings.AdvAppend = c.append ? std::string{settings::entries::kAppendToExisting} : std::string{};
    bool unprivileged = false;
    switch (c.setup) {
      case Setup::WriteProtected:
        std::filesystem::permissions(Output(), std::filesystem::perms{0444});
        break;
      case Setup::FolderNotWritable:
        ASSERT_EQ(::chown(Output().c_str(), test::kNobodyId, test::kNobodyId), 0);
        ASSERT_EQ(::chown(outputFolder.c_str(), test::kNobodyId, test::kNobodyId), 0);
        std::filesystem::permissions(outputFolder, std::filesystem::perms{0555});
        unprivileged = true;
        break;
      case Setup::AnotherUsersPdf:
        ASSERT_EQ(::chown(outputFolder.c_str(), test::kNobodyId, test::kNobodyId), 0);
        unprivileged = true;
        break;
      case Setup::LinkAtTheName:
        std::filesystem::remove(Output());
        std::filesystem::create_symlink(secret, Output());
        break;
    }
    // The outcome as text, so that a run in a child process can hand it back.
    const auto convert = [&] {
      ui.messages.clear();
      const ConversionOutcome outcome = CreatePdf(state, *services);
      std::string result = outcome.result == ConversionResult::Failed ? "" : "not refused; ";
      if (ui.messages.size() != 1 || ui.messages[0].text.find(c.reason) == std::string::npos) {
        result += "messages: " + ::testing::PrintToString(ui.MessageTexts());
      }
      return result;
    };
    EXPECT_EQ(unprivileged ? test::RunUnprivileged(convert) : convert(), "");

    std::filesystem::permissions(outputFolder, std::filesystem::perms{0755});
    if (c.setup == Setup::LinkAtTheName) {
      EXPECT_TRUE(std::filesystem::is_symlink(Output()));
      EXPECT_EQ(std::filesystem::read_symlink(Output()), secret);
    } else {
      EXPECT_TRUE(test::ReadFileBytes(Output()) == "the user's PDF") << "the PDF was replaced";
    }
    EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
  }
}

TEST_F(ConversionTest, ModesOfTheWrittenPdf) {
  UseJob(test::PagesJob(1));
  // A new PDF gets what the umask leaves of 0666 (not a fixed mode, not the staged file's 0600).
  const mode_t previous = ::umask(027);
  const ConversionResult created = CreatePdf(state, *services).result;
  ::umask(previous);
  ASSERT_EQ(created, ConversionResult::Written);
  EXPECT_EQ(ModeOf(Output()), 0640u);

  // Replacing keeps what the user set on the old file.
  for (const unsigned mode : {0600u, 0664u}) {
    std::filesystem::permissions(Output(), std::filesystem::perms(mode));
    ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
    EXPECT_EQ(ModeOf(Output()), mode);
  }
}

TEST_F(ConversionTest, APercentSignInTheFolderNameIsKeptLiterally) {
  const std::filesystem::path folder = dir / "Reports 100%d";
  std::filesystem::create_directories(folder);
  state.settings.SaveToPath = folder.string();
  UseJob(test::PagesJob(2));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written)
      << ::testing::PrintToString(ui.MessageTexts());
  EXPECT_EQ(InspectPdf(folder / "Report.pdf").pages, 2);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST_F(ConversionTest, ACancellationStopsTheEngineAndKeepsTheOldPdf) {
  state.settings.AdvAppend = std::string{settings::entries::kAppendToExisting};
  UseJob(test::PagesJob(2, "Old"));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  const std::string before = test::ReadFileBytes(Output());

  const std::unique_ptr<platform::Cancellation> cancellation = platform::Cancellation::Watch();
  ASSERT_NE(cancellation, nullptr);
  services->cancellation = cancellation.get();
  state.settings.AdvShowWindow = 1;
  // The engine's first output comes before it reads the job; had it read on, the job's last
  // line would reach the progress window.
  ui.onProgressWindow = [] { ::raise(SIGTERM); };
  UseJob(test::PagesJob(3, "New") + "(Page: 99\\n) print flush\n");
  const ConversionOutcome outcome = CreatePdf(state, *services);
  services->cancellation = nullptr;

  EXPECT_EQ(outcome.result, ConversionResult::Cancelled);
  EXPECT_EQ(cancellation->SignalName(), "SIGTERM");
  EXPECT_THAT(ui.messages, IsEmpty());
  EXPECT_THAT(ui.progressLines, ::testing::Not(::testing::Contains(::testing::Pair(::testing::_, "Pages: 99"))));
  EXPECT_EQ(test::ReadFileBytes(Output()), before);
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
  EXPECT_THAT(LeftoversInTemp(), IsEmpty());
}

// A reader's lock on the PDF keeps a job from locking it, never from appending: the job checks
// instead that the PDF it read is still there before replacing it. One another writer put in
// its place meanwhile gets the job's pages after its own.
TEST_F(ConversionTest, AnAppendGoesAfterAPdfThatReplacedTheOneItRead) {
  UseJob(test::PagesJob(2, "Other"));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  std::filesystem::rename(Output(), dir / "Other.pdf");
  state.settings.AdvAppend = std::string{settings::entries::kAppendToExisting};
  UseJob(test::PagesJob(1, "Old"));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  for (const std::filesystem::path& path : {dir.Path(), outputFolder, Output()}) {
    std::filesystem::permissions(path, std::filesystem::perms{0755});
  }
  test::LockHolder reader({{test::LockHolder::Kind::Reading, Output()}}, test::kNobodyId);
  ASSERT_TRUE(reader.Holding());

  state.settings.AdvShowWindow = 1;
  ui.onProgressWindow = [&] {
    if (std::filesystem::exists(dir / "Other.pdf")) {
      std::filesystem::rename(dir / "Other.pdf", Output());
    }
  };
  UseJob(test::PagesJob(1, "New"));
  const ConversionOutcome outcome = CreatePdf(state, *services);

  EXPECT_TRUE(reader.StillThere()) << "the job waited for the reader's lock";
  EXPECT_EQ(outcome.result, ConversionResult::Written) << ::testing::PrintToString(ui.MessageTexts());
  EXPECT_EQ(InspectPdf(Output()).pages, 3);
  const std::string text = PdfText(Output());
  EXPECT_LT(text.find("Other 2"), text.find("New 1"));
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
  EXPECT_THAT(LeftoversInTemp(), IsEmpty());
}

TEST_F(ConversionTest, AJobWithAnErrorEndsWithTheFatalTextAndNoPdf) {
  state.settings.AfterCreation = std::string{settings::entries::kDisplayCompleted};
  test::WriteFileBytes(Output(), "the user's earlier PDF");
  UseJob("%!PS\n/nosuchoperator load\n");
  const ConversionOutcome outcome = CreatePdf(state, *services);

  EXPECT_EQ(outcome.result, ConversionResult::Failed);
  EXPECT_THAT(ui.MessageTexts(), ElementsAre(std::string{kFatalEngineMessage}));
  // No completion window offering to open a PDF that was never made, and the old file is intact.
  EXPECT_THAT(ui.completionLines, IsEmpty());
  EXPECT_EQ(test::ReadFileBytes(Output()), "the user's earlier PDF");
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
}

TEST_F(ConversionTest, OtherEngineErrorsAreReportedWithTheEngineText) {
  UseEngine(std::make_unique<FailingEngine>(0, -15, std::vector<std::string>{"Error: /rangecheck in --put--\n"}));
  UseJob(test::PagesJob(1));
  EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::Failed);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, std::string{kConversionFailedMessage} + "\n\nError: /rangecheck in --put--");
  EXPECT_THAT(NamesIn(outputFolder), IsEmpty());
}

TEST_F(ConversionTest, OverwriteQuestion) {
  state.settings.AdvAskOverwrite = 1;
  test::WriteFileBytes(Output(), "keep me");
  UseJob(test::PagesJob(1));

  ui.yesNoAnswers = {false};
  EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::OverwriteDeclined);
  EXPECT_THAT(ui.questions, ElementsAre(std::string{kOverwriteQuestion}));
  EXPECT_EQ(test::ReadFileBytes(Output()), "keep me");
  EXPECT_THAT(LeftoversInTemp(), IsEmpty());
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));

  ui.yesNoAnswers = {true};
  EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  EXPECT_EQ(InspectPdf(Output()).pages, 1);
}

TEST_F(ConversionTest, TheSaveDialogAsksInsteadOfTheOverwriteQuestion) {
  state.settings.AdvAskOverwrite = 1;
  state.settings.SaveAs = std::string{settings::entries::kAskManual};
  test::WriteFileBytes(outputFolder / "Chosen.pdf", "old");
  ui.fileAnswers = {(outputFolder / "Chosen.pdf").string()};
  UseJob(test::PagesJob(1));

  EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  EXPECT_THAT(ui.questions, IsEmpty());
  ASSERT_EQ(ui.fileDialogs.size(), 1u);
  EXPECT_TRUE(ui.fileDialogs[0].promptOverwrite);
  EXPECT_EQ(ui.fileDialogs[0].initialName, "Report.pdf");
  EXPECT_EQ(state.OutputFileName, "Chosen.pdf");
  EXPECT_EQ(InspectPdf(outputFolder / "Chosen.pdf").pages, 1);
}

TEST_F(ConversionTest, CancelledSaveDialog) {
  state.settings.SaveAs = std::string{settings::entries::kAskAuto};
  UseJob(test::PagesJob(1));
  EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::NoFileName);
  EXPECT_THAT(ui.MessageTexts(), ElementsAre(std::string{kNoFileNameMessage}));
  EXPECT_THAT(LeftoversInTemp(), IsEmpty());
}

TEST_F(ConversionTest, MissingJobFileNeverStartsTheEngine) {
  auto failing = std::make_unique<FailingEngine>(0);
  FailingEngine& probe = *failing;
  UseEngine(std::move(failing));
  state.JobFilePath = tempPath / "gone.ps";

  EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::NoJobFile);
  EXPECT_EQ(probe.instancesCreated, 0);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, kNoJobFileMessage);
  EXPECT_EQ(ui.messages[0].style, platform::MessageStyle::Application);
}

TEST_F(ConversionTest, EngineThatCannotBeCreated) {
  UseEngine(std::make_unique<FailingEngine>(-1));
  UseJob(test::PagesJob(1));
  EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::EngineUnavailable);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, kEngineInitMessage);
  EXPECT_EQ(ui.messages[0].style, platform::MessageStyle::System);
}

TEST_F(ConversionTest, FatalEngineErrorShowsItsOwnTextAndCleansUp) {
  state.settings.AfterCreation = std::string{settings::entries::kOpenPdf};
  test::WriteFileBytes(Output(), "earlier");
  UseEngine(std::make_unique<FailingEngine>(0, kEngineFatal));
  UseJob(test::PagesJob(1));

  EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::Failed);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, kFatalEngineMessage);
  EXPECT_EQ(ui.messages[0].style, platform::MessageStyle::ApplicationNoIcon);
  EXPECT_THAT(shell.opened, IsEmpty());
  EXPECT_EQ(test::ReadFileBytes(Output()), "earlier");
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("Report.pdf"));
  EXPECT_THAT(LeftoversInTemp(), IsEmpty());
}

TEST_F(ConversionTest, ANormalQuitCountsAsSuccess) {
  UseJob(test::PagesJob(1) + "quit\n");
  EXPECT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  EXPECT_EQ(InspectPdf(Output()).pages, 1);
}

TEST_F(ConversionTest, PercentSignsInTheNameAreKeptLiterally) {
  state.OutputFileName = "100% of page %d.pdf";
  UseJob(test::PagesJob(2));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  EXPECT_EQ(InspectPdf(outputFolder / "100% of page %d.pdf").pages, 2);
  EXPECT_THAT(NamesIn(outputFolder), ElementsAre("100% of page %d.pdf"));
}

TEST_F(ConversionTest, EncryptionFollowsTheSecuritySettings) {
  state.settings.SecAlwaysUse = 1;
  state.settings.SecOpenPassword = "open";
  state.settings.SecPermPassword = "owner";
  state.settings.SecPermPrinting = "Low resolution";
  state.settings.SecPermCopy = 1;
  UseJob(test::PagesJob(1));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);

  EXPECT_FALSE(InspectPdf(Output()).opened) << "a PDF with an open password opened without it";
  const test::PdfFacts facts = InspectPdf(Output(), "open");
  ASSERT_TRUE(facts.opened) << facts.error;
  EXPECT_TRUE(facts.encrypted);
  EXPECT_EQ(facts.revision, 3);
  EXPECT_EQ(facts.keyLength, 128);
  EXPECT_TRUE(facts.userPasswordMatched);
  // Low-resolution printing and copying, nothing else.
  EXPECT_EQ(facts.permissions & 0xF3C, 4 | 16);
  EXPECT_TRUE(InspectPdf(Output(), "owner").ownerPasswordMatched);
}

TEST_F(ConversionTest, OlderPdfVersionsGetTheShortKey) {
  state.settings.AdvPdfVersion = "PDF 1.3";
  state.settings.SecAlwaysUse = 1;
  state.settings.SecPermPassword = "owner";
  state.settings.SecPermPrinting = "High resolution";
  state.settings.SecPermChanges = "Creating, inserting, deleting, rotating pages";
  state.settings.SecPermText = 1;
  UseJob(test::PagesJob(1));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);

  const test::PdfFacts facts = InspectPdf(Output());
  ASSERT_TRUE(facts.opened) << facts.error;
  EXPECT_EQ(facts.revision, 2);
  EXPECT_EQ(facts.keyLength, 40);
  // Revision 2 knows only print (4), modify (8), copy (16) and annotate (32); page assembly
  // alone is not widened into general modification.
  EXPECT_EQ(facts.permissions & 0x3C, 4);
}

TEST_F(ConversionTest, NoSecurityWithoutAlwaysUse) {
  state.settings.SecOpenPassword = "open";
  state.settings.SecPermPassword = "owner";
  UseJob(test::PagesJob(1));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);
  const test::PdfFacts facts = InspectPdf(Output());
  ASSERT_TRUE(facts.opened);
  EXPECT_FALSE(facts.encrypted);
}

TEST_F(ConversionTest, DocumentInformationArrivesExactly) {
  state.settings.DocTitle = "Costs (draft) \\ 50% ) unbalanced";
  state.settings.DocAuthor = "Jürgen Grüße";
  state.settings.DocSubject = "Line one\nline two";
  state.settings.DocKeywords = "";
  state.settings.AdvZoom = "125";
  UseJob(test::PagesJob(1));
  ASSERT_EQ(CreatePdf(state, *services).result, ConversionResult::Written);

  test::PdfFacts facts = InspectPdf(Output());
  ASSERT_TRUE(facts.opened) << facts.error;
  EXPECT_EQ(facts.info["/Title"], "Costs (draft) \\ 50% ) unbalanced");
  EXPECT_EQ(facts.info["/Author"], "Jürgen Grüße");
  EXPECT_EQ(facts.info["/Subject"], "Line one\nline two");
  EXPECT_EQ(facts.info["/Creator"], "Vellumor v1.06");
  EXPECT_EQ(facts.pageMode, "/UseOutlines");
  EXPECT_THAT(facts.openAction, HasSubstr("/XYZ null null 1.25"));
}

TEST_F(ConversionTest, ProgressFollowsTheEngineOutput) {
  UseEngine(std::make_unique<FailingEngine>(0, 0, std::vector<std::string>{"Loading", "Page: 12", "no page here"}));
  UseJob(test::PagesJob(1));
  CreatePdf(state, *services);

  // 1 from the start, 2 from the step before the engine runs, then one step per output chunk.
  EXPECT_THAT(ui.barPositions, ElementsAre(1, 2, 3, 4, 1));
  EXPECT_EQ(ui.progressWindowsCreated, 1);
  // The first chunk only creates the window; the page line keeps its text when a chunk has no page.
  EXPECT_THAT(ui.progressLines, ElementsAre(std::pair<std::string, std::string>{"Filename: Report.pdf", "Pages: 12"},
                                            std::pair<std::string, std::string>{"Filename: Report.pdf", "Pages: 12"}));
  EXPECT_FALSE(ui.progressWindow) << "the progress window outlived the conversion";
  EXPECT_FALSE(ui.barVisible);
}

TEST_F(ConversionTest, NoProgressWindowWhenSwitchedOff) {
  state.settings.AdvShowProgress = 0;
  state.settings.AdvShowWindow = 0;
  UseEngine(std::make_unique<FailingEngine>(0, 0, std::vector<std::string>{"Page: 1"}));
  UseJob(test::PagesJob(1));
  CreatePdf(state, *services);
  EXPECT_EQ(ui.progressWindowsCreated, 0);
  // The bar still shows activity at the first engine output.
  EXPECT_THAT(ui.barPositions, ElementsAre(1));
  EXPECT_FALSE(ui.barVisible);
}

TEST_F(ConversionTest, AfterCreationActions) {
  UseJob(test::PagesJob(1));
  state.settings.AfterCreation = std::string{settings::entries::kDisplayCompleted};
  ui.completionAnswers = {platform::kCompletionYes, platform::kCompletionSettings, platform::kCompletionNo};

  CreatePdf(state, *services);
  EXPECT_THAT(shell.opened, ElementsAre(Output().string()));
  EXPECT_FALSE(state.KeepMainWindowOpen);
  CreatePdf(state, *services);
  EXPECT_TRUE(state.KeepMainWindowOpen);
  CreatePdf(state, *services);
  EXPECT_FALSE(state.KeepMainWindowOpen);
  EXPECT_EQ(shell.opened.size(), 1u);
  EXPECT_THAT(ui.completionLines, ::testing::Each("File: " + Output().string()));

  state.settings.AfterCreation = std::string{settings::entries::kOpenPdf};
  state.settings.AdvOpenDefaultPDF = 0;
  state.settings.AdvOpenWith = "/opt/viewer/bin/view pdf";
  CreatePdf(state, *services);
  EXPECT_THAT(shell.openedWith,
              ElementsAre(std::pair<std::string, std::string>{"/opt/viewer/bin/view pdf", Output().string()}));
}

}  // namespace
}  // namespace vellumor::convert
