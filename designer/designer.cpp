#include "designer/designer.h"

#include <utility>

#include "catalogue/format.h"
#include "designer/dialogs/project_name_presenter.h"
#include "model/advice.h"
#include "model/load_data.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/project_context.h"
#include "project_io/project_files.h"
#include "project_io/report_file.h"

namespace voltaris {

// A host without the Project Name dialog answers it with Cancel.
void IDesignerHost::RunProjectNameDialog(TProjectNamePresenter& dialog) { dialog.Cancel(); }

namespace {
int NetworkTop(int network) { return network == 0 ? 70 : 450 * (network + 1) - 325; }
}  // namespace

TDesigner::TDesigner(IDesignerHost& host, ISettingsStore& store, const std::string& workingDir)
    : host_(host),
      workingDir_(workingDir),
      session_(*this, host, store, workingDir),
      summary_(*this),
      canvas_(*this, host),
      options_(store),
      recoveryRoot_(voltaris::RecoveryRoot(workingDir)),
      recovery_(std::make_unique<TRecoveryWriter>()) {
  CreateControlPanel();
}

TDesigner::~TDesigner() {
  // The project goes while the parts can still hear its tiles go.
  project_.reset();
}

void TDesigner::Notify(unsigned changes) { OnChanged.Notify(*this, changes); }

void TDesigner::SetDialogHost(IDialogHost* host) {
  dialogHost_ = host;
  if (project_) project_->Context().DialogHost = host;
}

// --- the project ---

void TDesigner::AdoptProject(std::unique_ptr<TProject> project) {
  canvas_.ForgetSupplies();
  // Snapping is the designer's choice, not the project's: it goes on.
  const bool snap = project_ && project_->Canvas->SnapToGrid;
  project_ = std::move(project);
  project_->Canvas->SnapToGrid = snap;
  TProjectContext& context = project_->Context();
  context.DialogHost = dialogHost_;
  options_.BindSettings(context.Settings);
  options_.BindBatteryVolts(context.BatteryVolts);
  canvas_.FollowCanvas(*project_->Canvas);
  summary_.FollowPanel(*project_->ControlPanel);
  // The views follow the new canvas before anything else is told.
  Notify(ChangedProject);
}

void TDesigner::ShowNewPanel(const std::string& panelName) {
  TSummaryView& summary = summary_.Summary;
  summary.BatteryIndex = -1;
  summary.BatteryText = TSummaryView::NoBatteryText;
  summary.Panel = " " + panelName;
}

void TDesigner::ShowLoadedProject(std::unique_ptr<TProject> project, const std::string& panelTypeName) {
  ClearCanvas();
  // The catalogue filter goes on as the dialogs last left it.
  project->Context().Filter = Context().Filter;
  AdoptProject(std::move(project));
  TControlPanel& panel = *ControlPanel();
  panel.BuildWarnings();
  summary_.Summary.Panel = " " + panelTypeName;
  UpdatePanelView();
  canvas_.CreateNetworkAnchors(PanelOptsTable[panel.PanelType].NetworkCount);
  summary_.FillAttachedDevices();
  CanvasEnabled = true;
  summary_.Errors = panel.Warnings;
  summary_.UpdateChecks();
  ShowProject();
  Notify(ChangedProject | ChangedCaption | ChangedLayout | ChangedMenus | ChangedSummary | ChangedErrors |
         ChangedDevices);
}

void TDesigner::ResetView() {
  canvas_.SetScroll(0);
  Notify(ChangedScroll);
}

void TDesigner::ClearCanvas() {
  CanvasEnabled = true;
  ControlPanel()->ReleaseTiles();
  Canvas().Clear();
  canvas_.CanvasCleared();
  summary_.AttachedDevices.clear();
  Notify(ChangedDevices | ChangedLayout);
}

void TDesigner::CreateControlPanel() {
  // A new control panel starts a new project: its own canvas and context,
  // with the settings and catalogue filter the open one had.
  TSettings settings;
  TCatalogueFilter filter;
  if (project_) {
    settings = Context().Settings;
    filter = Context().Filter;
  }
  auto project = std::make_unique<TProject>(settings, PaletteFrom(workingDir_));
  project->Context().Filter = filter;
  AdoptProject(std::move(project));
  ShowStatus(SelectComponentText);
}

void TDesigner::CreateNetworks() {
  TControlPanel& panel = *ControlPanel();
  const TPanelOpts& row = PanelOptsTable[panel.PanelType];
  for (int i = 0; i < row.NetworkCount; ++i) {
    TPanelNetwork* network = CreatePanelNetwork(Canvas(), row.NetworkKind);
    if (!network) break;
    network->SetBounds(0, NetworkTop(i), network->Width(), network->Height());
    network->SetName(Format("Network%d", i + 1));
    network->ControlPanel = &panel;
    panel.Networks.push_back(network);
  }
  canvas_.CreateNetworkAnchors(row.NetworkCount);
  CanvasEnabled = true;
}

void TDesigner::UpdatePanelView() {
  TControlPanel& panel = *ControlPanel();
  const int32_t type = panel.PanelType;
  canvas_.ShowCloneItems(type);
  Context().Filter.CurrentPanelType = type;
  summary_.FillChoices(type);
  panel.Name = PanelOptsTable[type].Name;
  panel.CurrentNetwork = 0;
  Notify(ChangedMenus);
  summary_.UpdateSummary();
}

void TDesigner::UpdateToolbar() {
  const TControlPanel& panel = *ControlPanel();
  for (int tool = 0; tool < NetDeviceTypeCount; ++tool) {
    ToolButtonVisible[static_cast<size_t>(tool)] = ToolbarShowsDevice(panel.PanelType, panel.GetGrade(), tool);
  }
  ToolButtonVisible[PSUButton] = true;
  Notify(ChangedToolbar | ChangedLayout);
}

void TDesigner::ShowProject() {
  ProjectOpen = true;
  UpdateToolbar();
  OptionsEnabled = ArrangeEnabled = ReportEnabled = true;
}

void TDesigner::ShowStatus(const std::string& text, unsigned alsoChanged) {
  StatusText = text;
  Notify(ChangedStatusText | alsoChanged);
}

// --- commands and their undo ---

void TDesigner::RunCommand(const std::string& what, const std::function<void()>& command) {
  if (commandDepth_ > 0 || !ProjectOpen) {
    command();
    return;
  }
  Context().EditCancelled = false;
  ++commandDepth_;
  try {
    command();
  } catch (...) {
    // Whatever the command changed before it failed is a step of its own,
    // so that it can be undone.
    --commandDepth_;
    FinishCommand(what);
    throw;
  }
  --commandDepth_;
  if (std::exchange(Context().EditCancelled, false)) {
    DiscardCommand();
  } else {
    FinishCommand(what);
  }
}

void TDesigner::DiscardCommand() {
  // The project goes back to the history's current image, read back as Undo
  // reads one, unless the dialog left it exactly as it was.
  if (TakeImage() == history_.Current()) return;
  Restore(history_.Current());
}

void TDesigner::FinishCommand(const std::string& what) {
  history_.Record(what, TakeImage());
  summary_.UpdateChecks();
  KeepRecoveryCopy();
  Notify(ChangedMenus | ChangedCaption);
}

// --- recovery copies ---

void TDesigner::SetRecoveryWriter(std::unique_ptr<TRecoveryWriter> writer) {
  recovery_ = std::move(writer);
  copyOffered_ = copyOffered_ && recovery_;
}

void TDesigner::FollowRecoveryFolder(const std::string& copyFolder) {
  if (!ProjectOpen || session_.FileName.empty()) {
    recoveryFolder_.clear();
    recoveryOf_.clear();
    return;
  }
  const std::string of = session_.DataDir + "\n" + session_.FileName;
  if (!copyFolder.empty()) {
    recoveryFolder_ = copyFolder;
  } else if (of != recoveryOf_ || recoveryFolder_.empty()) {
    // A copy already there is another session's, kept for later: this
    // session's copies go beside it, never over it.
    recoveryFolder_ = FreeRecoveryFolder(recoveryRoot_, session_.DataDir, session_.FileName);
  }
  recoveryOf_ = of;
}

void TDesigner::NoteSaving(const std::optional<TProjectBytes>& bytes) {
  if (!copyOffered_ || !recovery_ || recoveryFolder_.empty()) return;
  recovery_->NoteSaving(recoveryFolder_, bytes ? std::optional(TSaveStamp::Of(*bytes)) : std::nullopt);
}

void TDesigner::DropRecoveryCopy() {
  if (copyOffered_ && recovery_ && !recoveryFolder_.empty()) recovery_->Remove(recoveryFolder_);
  copyOffered_ = false;
}

void TDesigner::KeepRecoveryCopy() {
  if (!recovery_ || recoveryFolder_.empty() || session_.ReadOnly) return;
  if (!session_.Modified()) {
    DropRecoveryCopy();
    return;
  }
  const TRecoveryInfo info{session_.DataDir,
                           session_.FileName,
                           session_.SiteRef,
                           session_.PanelTypeName,
                           session_.PendingIndexEntry,
                           session_.Unlisted,
                           0};
  // The writer writes on its own thread and tells a failure only at the
  // next command: a folder that cannot take a copy is found before the
  // first, so that the first change is not left without one unsaid.
  std::string error;
  if (probedFolder_ != recoveryFolder_) {
    probedFolder_ = recoveryFolder_;
    error = RecoveryFolderProblem(recoveryFolder_);
  }
  recovery_->Offer(recoveryFolder_, info, history_.Current());
  copyOffered_ = true;
  if (std::string written = recovery_->TakeError(); !written.empty()) error = std::move(written);
  // A copy that could not be written is told once, not after every command,
  // until copies are written again.
  const uint64_t copies = recovery_->Written();
  if (copies != copiesWritten_ && error.empty()) lastRecoveryError_.clear();
  copiesWritten_ = copies;
  if (!error.empty() && lastRecoveryError_.empty()) {
    host_.ShowWarning("The recovery copy of " + session_.FileName + " could not be written: " + error);
  }
  if (!error.empty()) lastRecoveryError_ = std::move(error);
}

TProjectImage TDesigner::TakeImage() {
  return WriteProjectImage(Context().Settings, *ControlPanel(), Canvas(), CheckImages);
}

TProjectBytes TDesigner::ProjectImage() { return TakeImage().Bytes(); }

void TDesigner::StartHistory() {
  // The project before this one was saved or its changes discarded.
  DropRecoveryCopy();
  history_.Reset(TakeImage());
  FollowRecoveryFolder();
  summary_.UpdateChecks();
  Notify(ChangedMenus | ChangedCaption);
}

void TDesigner::StartRecoveredHistory(TProjectBytes saved, const std::string& copyFolder) {
  DropRecoveryCopy();
  history_.Reset(TakeImage(), std::move(saved));
  FollowRecoveryFolder(copyFolder);
  // The recovered copy stays until the project is saved or discarded.
  copyOffered_ = true;
  KeepRecoveryCopy();
  Notify(ChangedMenus | ChangedCaption);
}

void TDesigner::MarkSaved(TProjectBytes saved) {
  // Save As saves under a new name: the copy under the old one goes too.
  DropRecoveryCopy();
  history_.MarkSaved(std::move(saved));
  FollowRecoveryFolder();
  Notify(ChangedMenus | ChangedCaption);
}

void TDesigner::Undo() {
  if (!ProjectOpen || commandDepth_ > 0 || !history_.CanUndo()) return;
  const TProjectImage& image = history_.Undo();
  try {
    Restore(image);
  } catch (...) {
    history_.Redo();
    throw;
  }
}

void TDesigner::Redo() {
  if (!ProjectOpen || commandDepth_ > 0 || !history_.CanRedo()) return;
  const TProjectImage& image = history_.Redo();
  try {
    Restore(image);
  } catch (...) {
    history_.Undo();
    throw;
  }
}

void TDesigner::Restore(const TProjectImage& image) {
  // The image is read back exactly as Load reads the project's files, into
  // a new project that replaces the open one; the names, the network shown
  // and the scroll position stay as the user had them.
  TSettings settings;
  const TProjectBytes bytes = image.Bytes();
  auto restored = std::make_unique<TProject>(ReadProject(bytes.Dat, bytes.Pjx, session_.FileName + ".dat",
                                                         session_.FileName + ".pjx", settings, Context().Palette));
  const int scroll = canvas_.ScrollTop();
  const int network = ControlPanel()->CurrentNetwork;
  ShowLoadedProject(std::move(restored), session_.PanelTypeName);
  canvas_.ShowNetwork(network);
  canvas_.SetScroll(scroll);
  KeepRecoveryCopy();
  Notify(ChangedScroll | ChangedMenus | ChangedCaption);
}

std::string TDesigner::UndoText() const {
  return history_.CanUndo() ? "Undo " + history_.UndoName() : std::string("Undo");
}

std::string TDesigner::RedoText() const {
  return history_.CanRedo() ? "Redo " + history_.RedoName() : std::string("Redo");
}

// --- menus ---

void TDesigner::Options() {
  if (!ProjectOpen) return;
  RunCommand("Options", [this] { RunOptions(); });
}

void TDesigner::RunOptions() {
  bool confirmed = false;
  std::string storeError;
  try {
    confirmed = ExecuteOptions(options_, [this](TOptionsPresenter& dialog) { return host_.RunOptionsDialog(dialog); });
  } catch (const SettingsStoreError& error) {
    // Only writing the defaults can fail, after OK applied the settings:
    // the project takes them all the same, and the user is told.
    confirmed = true;
    storeError = error.what();
  }
  if (confirmed) {
    TControlPanel& panel = *ControlPanel();
    const TSettings& settings = Context().Settings;
    panel.SetStandard(settings.SystemStandard);
    panel.SetAlarmPeriod(settings.AlarmPeriod);
    panel.SetBatteryFactor(settings.BatteryFactor);
    ShowLengthChanged = options_.ShowLengthChanged();
    if (ShowLengthChanged) {
      // Every cable run is drawn again, with or without its length.
      canvas_.ScrollToFirstNetwork();
      for (const auto& tile : Canvas().Tiles()) {
        if (auto* device = dynamic_cast<TNetDevice*>(tile.get())) device->RebuildWires();
      }
      canvas_.ScrollToCurrentNetwork();
      ShowLengthChanged = false;
      options_.ClearShowLengthChanged();
    }
  }
  summary_.UpdateSummary();
  if (!storeError.empty()) host_.ShowError(storeError);
}

void TDesigner::ProjectDetails() {
  if (!ProjectOpen) return;
  RunCommand("Project Details", [this] {
    details_.Show(Context().Details);
    if (host_.RunProjectDetailsDialog(details_)) Context().Details = details_.Details();
  });
}

std::string TDesigner::ReportText() {
  return JoinLines(SystemReportLines(*ControlPanel(), Canvas(), session_.SiteRef, host_.ShortDate()));
}

void TDesigner::Report() {
  if (!ProjectOpen) return;
  host_.ShowReport("Stystem Report :- " + session_.SiteRef, ReportText(), session_.DataDir + "/", session_.FileName);
}

}  // namespace voltaris
