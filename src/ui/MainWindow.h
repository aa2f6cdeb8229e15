#pragma once
// The program's one top-level window: the quality profile, the output file name, where the PDF
// goes and what happens after it, the two summaries, and "&Create PDF". It shows the working
// state the controller holds and exchanges it with its controls (TakeControls/RefreshControls).

#include <QColor>
#include <QPointer>
#include <array>

#include "app/MainController.h"
#include "platform/Clock.h"
#include "platform/Shell.h"
#include "platform/UserInteraction.h"
#include "settings/QualityProfile.h"
#include "ui/BitmapBackgroundDialog.h"

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QProgressBar;
class QPushButton;

namespace vellumor::ui {

class IconButton;

// Never changed at run time.
inline constexpr const char* kMainWindowCaption = "Vellumor v1.06     Corvane Software - PDF from every program";

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
inline const QColor kDocumentSummary{0xCC, 0xCC, 0xCC};
inline const QColor kQualityText{0xFF, 0xDD, 0xAA};
inline const QColor kSecuritySummary{0xFF, 0xBB, 0xFF};
inline const QColor kFileName{0xCC, 0xFF, 0xFF};
inline const QColor kFileNameTint{0xCC, 0xFF, 0x55};
inline const QColor kFileNameAppend{0x03, 0x3F, 0x86};
inline const QColor kFileNameTintAndAppend{0x03, 0x7F, 0x30};
inline const QColor kOtherControls{0xFF, 0xFF, 0xFF};
}  // namespace colours

class MainWindow final : public BitmapBackgroundDialog {
  Q_OBJECT

 public:
  // `ui` answers the prompts the window's commands raise; `clock` dates file names; `shell`
  // opens the About window's links.
  MainWindow(platform::UserInteraction& ui, const platform::Clock& clock, platform::Shell& shell,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // Shows the state of `controller` after its initialisation: settings mode, controls, summaries,
  // background. The window works on that state from now on.
  void Bind(app::MainController& controller);

  // The control with that id (direct children only), or nullptr; menu commands by MenuCommand.
  QWidget* Control(int id) const;
  template <typename T>
  T* ControlAs(int id) const {
    return qobject_cast<T*>(Control(id));
  }
  QAction* MenuCommand(int id) const;
  QMenuBar* MenuBar() const { return menuBar_; }
  // Where a control sits in the client area (below the menu bar), in pixels.
  QRect ClientRect(int x, int y, int width, int height) const;

  void TakeControls();
  void RefreshControls();
  void SelectProfile(settings::QualityProfile profile);
  void RefreshSummaries();

  // The progress bar in the place of "&Create PDF".
  void ShowProgressBar(bool visible);
  void SetProgressBarPosition(int position);

  // The file-name field's brush for the state shown now.
  QColor FileNameColour() const;
  // Commands, as the buttons and menu items run them.
  void CreatePdf();
  void Cancel();
  void ShowAbout();
  // The job was cancelled from outside: closes without storing the settings (as soon as a
  // running conversion has stopped).
  void Abandon();

  // The About window is open (tests close it).
  QDialog* AboutWindow() const { return about_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void reject() override;

 private:
  void BuildControls();
  void BuildMenu();
  void ConnectCommands();
  void ApplyColours();
  void ShowProfileIcons();
  void FirstFocus();
  void OnSaveToChosen();
  void OnAdvanced();
  void OnSecurity();
  void OnDocumentProperties();
  void OnCustom();
  void OnSaveSettings();
  void OnSaveSettingsAs();
  void OnLoadSettings();

  platform::UserInteraction& ui_;
  const platform::Clock& clock_;
  platform::Shell& shell_;
  app::MainController* controller_{nullptr};
  convert::MainWindowState unboundState_;  // shown until Bind
  convert::MainWindowState* state_{&unboundState_};

  QMenuBar* menuBar_{nullptr};
  int clientTop_{0};
  std::array<IconButton*, 5> profileButtons_{};
  QLabel* qualityText_{nullptr};
  QLineEdit* fileName_{nullptr};
  QComboBox* saveAs_{nullptr};
  QComboBox* afterCreation_{nullptr};
  QLabel* securitySummary_{nullptr};
  QLabel* documentSummary_{nullptr};
  QPushButton* createPdf_{nullptr};
  QProgressBar* progressBar_{nullptr};
  QPointer<QDialog> about_;
  bool firstFocus_{true};
  bool converting_{false};
  bool cancelAfterConversion_{false};
  bool abandonAfterConversion_{false};
};

}  // namespace vellumor::ui
