#include "ui/model/MainDialog.h"

#include <array>

#include "convert/OutputNaming.h"
#include "convert/SetupCommands.h"
#include "platform/PathText.h"
#include "settings/Choices.h"
#include "ui/model/ChoiceList.h"
#include "ui/model/Resources.h"

namespace vellumor::dialog {

namespace {

using settings::QualityProfile;

constexpr std::array kProfiles{QualityProfile::Screen, QualityProfile::eBook, QualityProfile::Print,
                               QualityProfile::PrePress, QualityProfile::Custom};

constexpr Control ProfileButton(int id, std::string_view text, int x, int height, int profile) {
  return {.id = id,
          .kind = Kind::IconButton,
          .text = text,
          .rect = {x, 9, 46, height},
          .resource = resources::kProfileIcons[profile].normal};
}

constexpr Control Label(int id, std::string_view text, Rect rect, Brush brush = Brush::White, Colour colour = {}) {
  return {.id = id, .kind = Kind::Label, .text = text, .rect = rect, .brush = brush, .colour = colour};
}

constexpr Control Button(int id, std::string_view text, Rect rect, std::uint32_t style = kNoStyle) {
  return {.id = id, .kind = Kind::Button, .text = text, .rect = rect, .style = style};
}

// Frames and the side picture first, so that every other control lies above them. Every label
// is drawn on a brush of its own: white, or the colour of what it shows.
constexpr std::array kControls{
    Control{.kind = Kind::GroupBox, .rect = {71, 3, 279, 70}},
    Control{.kind = Kind::GroupBox, .rect = {71, 73, 279, 65}},
    Control{.kind = Kind::GroupBox, .rect = {71, 140, 279, 44}},
    Control{.kind = Kind::Picture, .rect = {1, 7, 71, 183}, .resource = resources::kSidePicture},
    ProfileButton(ids::kScreen, "&Screen", 88, 47, 0),
    ProfileButton(ids::kEbook, "&eBook", 140, 47, 1),
    ProfileButton(ids::kPrint, "&Print", 192, 47, 2),
    ProfileButton(ids::kPrePress, "P&rePress", 244, 46, 3),
    ProfileButton(ids::kCustom, "C&ustom", 296, 46, 4),
    Label(ids::kQualityText, "Quality text here", {88, 60, 253, 9}, Brush::Colour, colours::kQualityText),
    Label(ids::kFileNameLabel, "Filename:", {98, 85, 31, 8}),
    Control{.id = ids::kFileName,
            .kind = Kind::Edit,
            .rect = {132, 83, 212, 12},
            .brush = Brush::Colour,
            .colour = colours::kFileName},
    Label(kNoId, "Save To:", {97, 103, 30, 8}),
    Control{.id = ids::kSaveAs,
            .kind = Kind::DropDown,
            .rect = {132, 100, 213, 30},
            .entries = settings::kSaveModes,
            .brush = Brush::White},
    Label(kNoId, "After Creation:", {81, 121, 46, 8}),
    Control{.id = ids::kAfterCreation,
            .kind = Kind::DropDown,
            .rect = {132, 119, 214, 30},
            .style = kSorted,
            .entries = settings::kAfterCreationActions,
            .brush = Brush::White},
    Label(kNoId, "PDF Security:", {106, 150, 44, 8}),
    Label(ids::kSecuritySummary, "Static", {156, 150, 134, 8}, Brush::Colour, colours::kSecuritySummary),
    Button(ids::kSecurityUpdate, "Update", {296, 147, 50, 14}),
    Label(kNoId, "Document Properties:", {82, 167, 69, 8}),
    Label(ids::kDocumentSummary, "Static", {156, 167, 134, 8}, Brush::Colour, colours::kDocumentSummary),
    Button(ids::kDocumentUpdate, "Update", {296, 164, 50, 14}),
    Button(ids::kAdvanced, "Advanced Options...", {72, 190, 76, 19}),
    Button(ids::kCreatePdf, "&Create PDF", {165, 190, 117, 19}, kDefaultButton),
    // Takes the place of "&Create PDF" while converting.
    Control{.id = ids::kProgressBar, .kind = Kind::ProgressBar, .rect = {165, 191, 116, 17}, .style = kHidden},
    Button(ids::kCancel, "Cancel", {297, 190, 50, 19}),
    // Only its id matters: the engine's output reaches the progress display through it.
    Button(ids::kTimer, "Timer", {283, 193, 14, 14}, kHidden | kNoFocus),
};

constexpr std::array<MenuItem, 3> kFileMenu{{{"Save Settings", ids::kMenuSaveSettings},
                                             {"Save Settings As", ids::kMenuSaveSettingsAs},
                                             {"Load Settings", ids::kMenuLoadSettings}}};
constexpr std::array<MenuItem, 5> kProfileMenu{{{"Screen", ids::kMenuScreen},
                                                {"eBook", ids::kMenuEbook},
                                                {"Print", ids::kMenuPrint},
                                                {"PrePress", ids::kMenuPrePress},
                                                {"Custom", ids::kMenuCustom}}};
constexpr std::array<Menu, 2> kMenus{{{"File", kFileMenu}, {"Profile", kProfileMenu}}};
constexpr std::array<MenuItem, 2> kSystemMenuItems{{{"", 0}, {"&About Vellumor...", ids::kAbout}}};

platform::FileDialogRequest SetupFileRequest(const char* title) {
  platform::FileDialogRequest request;
  request.title = title;
  request.filters = {{"*.vsf", "*.vsf"}, {"All Files *.*", "*.*"}};
  request.defaultExtension = "vsf";
  return request;
}

}  // namespace

const DialogDescription kMainWindow{
    .templateId = 102,
    .caption = kMainWindowCaption,
    .width = 357,
    .height = 217,
    .style = kCaption | kSystemMenu | kMinimiseBox | kModalFrame | kTaskBar | kIgnoreEnterEscape,
    .background = resources::kMainBackground,
    .icon = resources::kApplicationIcon,
    .menuResource = 150,
    .menus = kMenus,
    .systemMenu = kSystemMenuItems,
    .controls = kControls,
};

// The windows the main window opens, on the record it is bound to.
struct MainDialog::Children {
  Children(settings::Settings& settings, platform::UserInteraction& ui)
      : advanced{settings, ui}, security{settings}, document{settings}, custom{settings, ui}, about{} {}

  AdvancedDialog advanced;
  SecurityDialog security;
  DocumentPropertiesDialog document;
  CustomImageDialog custom;
  AboutDialog about;
};

MainDialog::MainDialog(platform::UserInteraction& ui, const platform::Clock& clock) : ui_{ui}, clock_{clock} {}

MainDialog::~MainDialog() = default;

void MainDialog::Bind(app::MainController& controller) {
  controller_ = &controller;
  state_ = &controller.State();
  children_ = std::make_unique<Children>(state_->settings, ui_);
}

void MainDialog::Initialise(DialogView& view) {
  if (state_->NoJobData) {
    view.SetEnabled(ids::kFileName, false);
    view.SetEnabled(ids::kCreatePdf, false);
  }
  RefreshControls(view);
  ShowProfileIcons(view);
  FirstFocus(view);
  RefreshSummaries(view);
}

void MainDialog::Command(DialogView& view, int id) {
  if (id >= ids::kScreen && id <= ids::kCustom) {
    SelectProfile(view, kProfiles[static_cast<std::size_t>(id - ids::kScreen)]);
  } else if (id >= ids::kMenuScreen && id <= ids::kMenuCustom) {
    SelectProfile(view, kProfiles[static_cast<std::size_t>(id - ids::kMenuScreen)]);
  }
  if (id == ids::kCustom || id == ids::kMenuCustom) {
    OnCustom(view);
  }
  switch (id) {
    case ids::kCreatePdf:
      CreatePdf(view);
      break;
    case ids::kCancel:
      Cancel(view);
      break;
    case ids::kAdvanced:
      OnAdvanced(view);
      break;
    case ids::kSecurityUpdate:
      if (children_) {
        view.RunModal(children_->security);
      }
      RefreshSummaries(view);
      break;
    case ids::kDocumentUpdate:
      if (children_) {
        view.RunModal(children_->document);
      }
      RefreshSummaries(view);
      break;
    case ids::kMenuSaveSettings:
      OnSaveSettings(view);
      break;
    case ids::kMenuSaveSettingsAs:
      OnSaveSettingsAs(view);
      break;
    case ids::kMenuLoadSettings:
      OnLoadSettings(view);
      break;
    case ids::kAbout:
      ShowAbout(view);
      break;
    default:
      break;
  }
}

void MainDialog::SelectionPicked(DialogView& view, int id) {
  if (id == ids::kSaveAs) {
    OnSaveToChosen(view);
  }
}

void MainDialog::TakeControls(DialogView& view) {
  state_->OutputFileName = view.Text(ids::kFileName);
  state_->settings.SaveAs = view.Text(ids::kSaveAs);
  state_->settings.AfterCreation = view.Text(ids::kAfterCreation);
  // The quality and summary labels only show what the state holds; read back, they would lose
  // the stored form of their "&".
}

void MainDialog::RefreshControls(DialogView& view) {
  view.SetText(ids::kFileName, state_->OutputFileName);
  LoadChoice(view, *FindControl(kMainWindow, ids::kSaveAs), state_->settings.SaveAs);
  LoadChoice(view, *FindControl(kMainWindow, ids::kAfterCreation), state_->settings.AfterCreation);
  view.SetText(ids::kQualityText, state_->settings.Quality);
  view.SetText(ids::kSecuritySummary, securitySummary_);
  view.SetText(ids::kDocumentSummary, documentSummary_);
  view.SetColour(ids::kFileName, FileNameColour());
}

void MainDialog::SelectProfile(DialogView& view, QualityProfile profile) {
  convert::SelectQualityProfile(*state_, profile);
  RefreshControls(view);
  ShowProfileIcons(view);
}

void MainDialog::RefreshSummaries(DialogView& view) {
  TakeControls(view);
  securitySummary_ = settings::SecuritySummaryText(state_->settings);
  documentSummary_ = settings::DocumentSummaryText(state_->settings);
  RefreshControls(view);
}

void MainDialog::ShowProfileIcons(DialogView& view) {
  const QualityProfile current = settings::QualityProfileFromText(state_->settings.Quality);
  for (std::size_t index = 0; index < kProfiles.size(); ++index) {
    const resources::ProfileIcons& icons = resources::kProfileIcons[index];
    view.SetIcon(ids::kScreen + static_cast<int>(index),
                 Bound() && kProfiles[index] == current ? icons.selected : icons.normal);
  }
}

void MainDialog::FocusGained(DialogView& view) {
  FirstFocus(view);
}

// From the first focus on, the profile buttons draw over the window's background.
void MainDialog::FirstFocus(DialogView& view) {
  if (!firstFocus_) {
    return;
  }
  firstFocus_ = false;
  for (int id = ids::kScreen; id <= ids::kCustom; ++id) {
    view.SetTransparent(id);
  }
}

Colour MainDialog::FileNameColour() const {
  const bool append = settings::ExistingPdfOf(state_->settings.AdvAppend) == settings::ExistingPdf::Append;
  if (append && state_->FileNameTint) {
    return colours::kFileNameTintAndAppend;
  }
  if (append) {
    return colours::kFileNameAppend;
  }
  return state_->FileNameTint ? colours::kFileNameTint : colours::kFileName;
}

void MainDialog::ShowProgressBar(DialogView& view, bool visible) {
  view.SetVisible(ids::kProgressBar, visible);
  view.SetVisible(ids::kCreatePdf, !visible);
}

void MainDialog::CreatePdf(DialogView& view) {
  // The engine runs once per process at a time; a second press while it works (the progress
  // display lets input through) waits for nothing and does nothing.
  if (controller_ == nullptr || converting_) {
    return;
  }
  // Taken before anything is shown, so a file name typed into the field is the one used.
  TakeControls(view);
  converting_ = true;
  controller_->CreatePdf();
  converting_ = false;
  RefreshControls(view);
  if (abandonAfterConversion_) {
    view.Close(kCancelId);
    return;
  }
  if (cancelAfterConversion_) {
    Cancel(view);
  }
}

void MainDialog::Cancel(DialogView& view) {
  // Closing while the engine still reads the job would delete the job under it; the window
  // closes as soon as the conversion is over instead.
  if (converting_) {
    cancelAfterConversion_ = true;
    return;
  }
  if (controller_ != nullptr) {
    // A choice made in a box but not yet taken over is kept like every other setting.
    TakeControls(view);
    controller_->Cancel();
  }
  view.Close(kCancelId);
}

void MainDialog::Abandon(DialogView& view) {
  if (converting_) {
    abandonAfterConversion_ = true;
    return;
  }
  view.Close(kCancelId);
}

void MainDialog::ShowAbout(DialogView& view) {
  if (!children_) {
    children_ = std::make_unique<Children>(state_->settings, ui_);
  }
  view.RunModal(children_->about);
}

void MainDialog::OnSaveToChosen(DialogView& view) {
  TakeControls(view);
  convert::ChooseSaveFolder(*state_, view.Text(ids::kSaveAs), ui_);
  RefreshControls(view);
}

void MainDialog::OnAdvanced(DialogView& view) {
  if (!children_) {
    return;
  }
  TakeControls(view);
  convert::ReapplyNamingRulesBefore(*state_);
  view.RunModal(children_->advanced);
  convert::ReapplyNamingRulesAfter(*state_, clock_);
  RefreshControls(view);
  view.Redraw();
}

void MainDialog::OnCustom(DialogView& view) {
  if (!children_) {
    return;
  }
  view.RunModal(children_->custom);
  RefreshControls(view);
}

void MainDialog::OnSaveSettings(DialogView& view) {
  TakeControls(view);
  RefreshControls(view);
  convert::SaveSetupFile(*state_, ui_);
}

void MainDialog::OnSaveSettingsAs(DialogView& view) {
  TakeControls(view);
  RefreshControls(view);
  const std::optional<std::string> chosen = ui_.ChooseSaveFile(SetupFileRequest("Save Vellumor Setup File"));
  if (!chosen || chosen->empty()) {
    return;
  }
  state_->CurrentSetupFile = platform::PathFromUtf8(*chosen);
  convert::SaveSetupFile(*state_, ui_);
}

void MainDialog::OnLoadSettings(DialogView& view) {
  TakeControls(view);
  const std::optional<std::string> chosen = ui_.ChooseOpenFile(SetupFileRequest("Open Vellumor Setup File"));
  if (!chosen || chosen->empty()) {
    return;
  }
  convert::LoadSetupFile(*state_, platform::PathFromUtf8(*chosen), ui_);
  RefreshControls(view);
  ShowProfileIcons(view);
  RefreshSummaries(view);
}

}  // namespace vellumor::dialog
