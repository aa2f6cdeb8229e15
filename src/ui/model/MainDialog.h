#pragma once
// The program's one top-level window: the quality profile, the output file name, where the PDF
// goes and what happens after it, the two summaries, and "&Create PDF". Its rules show the
// working state the controller holds and exchange it with the controls (TakeControls,
// RefreshControls); the option windows and the About window are members of it, so that they
// live as long as it and reopen where they were left.

#include <memory>

#include "app/MainController.h"
#include "platform/Clock.h"
#include "platform/UserInteraction.h"
#include "settings/QualityProfile.h"
#include "ui/model/AboutDialog.h"
#include "ui/model/AdvancedDialog.h"
#include "ui/model/CustomImageDialog.h"
#include "ui/model/DocumentPropertiesDialog.h"
#include "ui/model/SecurityDialog.h"

namespace vellumor::dialog {

// Never changed at run time.
inline constexpr std::string_view kMainWindowCaption = "Vellumor v1.06     Corvane Software - PDF from every program";

// Control, menu and command ids.
namespace ids {
inline constexpr int kCreatePdf = 1;
inline constexpr int kCancel = 2;
inline constexpr int kAbout = 16;
inline constexpr int kScreen = 1000;
inline constexpr int kEbook = 1001;
inline constexpr int kPrint = 1002;
inline constexpr int kPrePress = 1003;
inline constexpr int kCustom = 1004;
inline constexpr int kSaveAs = 1006;
inline constexpr int kAfterCreation = 1007;
inline constexpr int kDocumentUpdate = 1008;
inline constexpr int kDocumentSummary = 1009;
inline constexpr int kQualityText = 1010;
inline constexpr int kSecurityUpdate = 1011;
inline constexpr int kSecuritySummary = 1012;
inline constexpr int kFileName = 1014;
inline constexpr int kAdvanced = 1015;
inline constexpr int kFileNameLabel = 1062;
inline constexpr int kProgressBar = 1074;
inline constexpr int kTimer = 1075;
inline constexpr int kMenuSaveSettingsAs = 32771;
inline constexpr int kMenuLoadSettings = 32772;
inline constexpr int kMenuSaveSettings = 32773;
inline constexpr int kMenuScreen = 32774;
inline constexpr int kMenuEbook = 32775;
inline constexpr int kMenuPrint = 32776;
inline constexpr int kMenuPrePress = 32777;
inline constexpr int kMenuCustom = 32778;
}  // namespace ids

// The brushes of the control colour table.
namespace colours {
inline constexpr Colour kDocumentSummary{0xCC, 0xCC, 0xCC};
inline constexpr Colour kQualityText{0xFF, 0xDD, 0xAA};
inline constexpr Colour kSecuritySummary{0xFF, 0xBB, 0xFF};
inline constexpr Colour kFileName{0xCC, 0xFF, 0xFF};
inline constexpr Colour kFileNameTint{0xCC, 0xFF, 0x55};
inline constexpr Colour kFileNameAppend{0x03, 0x3F, 0x86};
// A document name in use while appending: a colour of its own, told apart from the three above.
inline constexpr Colour kFileNameTintAndAppend{0x03, 0x7F, 0x30};
inline constexpr Colour kOtherControls = kWhite;
}  // namespace colours

extern const DialogDescription kMainWindow;

class MainDialog final : public Dialog {
 public:
  // `ui` answers the prompts the commands raise; `clock` dates file names.
  MainDialog(platform::UserInteraction& ui, const platform::Clock& clock);
  ~MainDialog() override;

  // Works on the state of `controller` after its initialisation from now on; the window's own
  // initialisation (Initialise) shows it.
  void Bind(app::MainController& controller);

  const DialogDescription& Description() const override { return kMainWindow; }
  // Settings mode, controls, profile icons, first focus and summaries, for the bound state.
  void Initialise(DialogView& view) override;
  void Command(DialogView& view, int id) override;
  void SelectionPicked(DialogView& view, int id) override;
  void FocusGained(DialogView& view) override;
  // The close box does what "Cancel" does.
  void Dismissed(DialogView& view) override { Cancel(view); }

  void TakeControls(DialogView& view);
  void RefreshControls(DialogView& view);
  void SelectProfile(DialogView& view, settings::QualityProfile profile);
  void RefreshSummaries(DialogView& view);
  // The file-name field's brush for the state shown now.
  Colour FileNameColour() const;

  // The progress bar in the place of "&Create PDF".
  void ShowProgressBar(DialogView& view, bool visible);

  void CreatePdf(DialogView& view);
  void Cancel(DialogView& view);
  void ShowAbout(DialogView& view);
  // The job was cancelled from outside: closes without storing the settings (as soon as a
  // running conversion has stopped).
  void Abandon(DialogView& view);

  bool Bound() const { return controller_ != nullptr; }
  convert::JobState& State() { return *state_; }

 private:
  struct Children;

  void ShowProfileIcons(DialogView& view);
  void FirstFocus(DialogView& view);
  void OnSaveToChosen(DialogView& view);
  void OnAdvanced(DialogView& view);
  void OnCustom(DialogView& view);
  void OnSaveSettings(DialogView& view);
  void OnSaveSettingsAs(DialogView& view);
  void OnLoadSettings(DialogView& view);

  platform::UserInteraction& ui_;
  const platform::Clock& clock_;
  app::MainController* controller_{nullptr};
  convert::JobState unboundState_;  // shown until Bind
  convert::JobState* state_{&unboundState_};
  std::unique_ptr<Children> children_;  // made at Bind, on the bound record
  // What the summary labels show; derived from the record, never stored.
  std::string securitySummary_{"None"};
  std::string documentSummary_{"None"};
  bool firstFocus_{true};
  bool converting_{false};
  bool cancelAfterConversion_{false};
  bool abandonAfterConversion_{false};
};

}  // namespace vellumor::dialog
