#include "designer/designer.h"

#include <algorithm>

#include "catalogue/format.h"
#include "designer/file_index.h"
#include "designer/project_files.h"
#include "model/load_data.h"
#include "model/net_device.h"
#include "model/panel_network.h"
#include "model/psu.h"
#include "model/project_context.h"
#include "model/psu_clone.h"
#include "model/vududa.h"

namespace voltaris {

namespace {
constexpr const char* SelectComponentText = "Select Component From Toolbar";
constexpr double DegradeFactors[] = {1.0, 0.9, 0.8, 0.7};
constexpr const char* DegradeItems[] = {"0", "10", "20", "30"};

int AnchorTop(int network) { return network == 0 ? 0 : 450 * (network + 1); }
int NetworkTop(int network) { return network == 0 ? 70 : 450 * (network + 1) - 325; }
}  // namespace

std::string ProjectCaption(const std::string& siteRef) {
  return "BETA  Voltaris: " + siteRef + "     Beta Testing Only";
}

TDesigner::TDesigner(IDesignerHost& host, ISettingsStore& store, const std::string& workingDir)
    : DataDir(workingDir + "/Data"),
      host_(host),
      store_(store),
      workingDir_(workingDir),
      newFile_(DataDir, host),
      systemFiles_(DataDir, host),
      options_(store),
      loadChanged_([this](TControlPanel&, const TNoEvent&) { HandleLoadChanged(); }),
      warningsChanged_([this](TControlPanel&, const TNoEvent&) { HandleWarningsChanged(); }),
      tilesChanged_([this](TCanvas&, const TCanvasEvent& event) { TilesChanged(event); }) {
  CreateControlPanel();
  SelectedTool = -1;
  Modified = false;
}

TDesigner::~TDesigner() {
  // The project goes while the designer can still hear its tiles go.
  project_.reset();
}

void TDesigner::Notify(unsigned changes) { OnChanged.Notify(*this, changes); }

void TDesigner::SetDialogHost(IDialogHost* host) {
  dialogHost_ = host;
  if (project_) project_->Context().DialogHost = host;
}

void TDesigner::AdoptProject(std::unique_ptr<TProject> project) {
  SelectedDevice = nullptr;
  supplyClicks_.clear();
  project_ = std::move(project);
  TProjectContext& context = project_->Context();
  context.DialogHost = dialogHost_;
  options_.BindSettings(context.Settings);
  project_->Canvas->OnTilesChanged.Attach(tilesChanged_);
  project_->ControlPanel->OnLoadChanged.Attach(loadChanged_);
  project_->ControlPanel->OnWarningsChanged.Attach(warningsChanged_);
  for (const auto& tile : project_->Canvas->Tiles()) WatchSupply(*tile);
  // The views follow the new canvas before anything else is told.
  Notify(ChangedProject);
}

void TDesigner::TilesChanged(const TCanvasEvent& event) {
  if (event.Kind == TCanvasEvent::TileAdded) {
    WatchSupply(*event.Tile);
    return;
  }
  // The supply last right-clicked is forgotten when its tile goes.
  if (SelectedDevice == event.Tile) SelectedDevice = nullptr;
  supplyClicks_.erase(event.Tile);
}

void TDesigner::WatchSupply(TDevice& tile) {
  if (!dynamic_cast<TPSU*>(&tile)) return;
  auto slot = std::make_unique<TSlot<TDevice, TShiftState>>(
      [this](TDevice& psu, const TShiftState&) { PSURightClick(psu); });
  tile.OnRightClick.Attach(*slot);
  supplyClicks_[&tile] = std::move(slot);
}

// --- start-up, files and exit ---

void TDesigner::StartUp() {
  if (TFileIndex(DataDir).Exists()) {
    LoadProject();
  } else {
    NewProject();
  }
}

void TDesigner::NewProject() {
  SelectedTool = -1;
  StatusText.clear();
  Notify(ChangedStatusText);
  newFile_.SetCancelResult(FileName.empty() ? TModalResult::No : TModalResult::Cancel);
  if (Modified) PromptSave(false);
  newFile_.Show();
  host_.RunNewFileDialog(newFile_);
  const TModalResult result = newFile_.Result();
  if (result == TModalResult::No) {
    host_.CloseWindow();
    return;
  }
  if (result == TModalResult::OK) {
    // The defaults first: should the store fail, the open project is untouched.
    TSettings defaults = Context().Settings;
    ReadDefaults(store_, defaults);

    PendingIndexEntry = true;
    FileName = newFile_.FileName();
    SiteRef = newFile_.SiteRef();
    ClearCanvas();
    CreateControlPanel();
    // The new project's dialogs go on from the panel type and grade just chosen.
    Context().Filter.CurrentGrade = newFile_.Filter().CurrentGrade;
    Context().Filter.CurrentPanelType = newFile_.Filter().CurrentPanelType;
    TControlPanel& panel = *ControlPanel();
    panel.Name = newFile_.PanelTypeText();
    panel.SetGrade(newFile_.GradeIndex() + 1);
    panel.SetPanelType(newFile_.Filter().CurrentPanelType);
    panel.OwnQuiescent = PanelOptsTable[panel.PanelType].OwnCurrent;
    Summary.BatteryIndex = -1;
    Summary.BatteryText = "SelectBattery";
    Summary.Panel = " " + panel.Name;
    CreateNetworks();
    TSettings& settings = Context().Settings;
    settings = defaults;
    panel.SetStandard(settings.SystemStandard);
    panel.SetBatteryFactor(settings.BatteryFactor);
    panel.SetAlarmPeriod(settings.AlarmPeriod);
    UpdatePanelView();
    ProjectOpen = true;
    UpdateToolbar();
    OptionsEnabled = ArrangeEnabled = ReportEnabled = true;
    ScrollTop = 0;
    Modified = false;
    Notify(ChangedProject | ChangedLayout | ChangedMenus | ChangedSummary | ChangedErrors | ChangedScroll);
  }
  StatusText = SelectComponentText;
  Notify(ChangedStatusText);
}

void TDesigner::LoadProject() {
  SelectedTool = -1;
  StatusText.clear();
  Notify(ChangedStatusText);
  systemFiles_.SetCancelResult(FileName.empty() ? TModalResult::No : TModalResult::Cancel);
  if (Modified) PromptSave(false);
  if (!systemFiles_.Show()) {
    // The index could not be read (the dialog said why). With nothing open
    // the user still gets a project to work on.
    if (!ProjectOpen) NewProject();
    return;
  }
  host_.RunSystemFilesDialog(systemFiles_);
  switch (systemFiles_.Result()) {
    case TModalResult::OK:
      OpenProject(systemFiles_.PanelTypeName(), systemFiles_.FileName(), systemFiles_.SiteRef());
      break;
    case TModalResult::No:
      host_.CloseWindow();
      return;
    case TModalResult::New:
      NewProject();
      break;
    default:
      break;
  }
  StatusText = SelectComponentText;
  Notify(ChangedStatusText);
}

bool TDesigner::OpenProject(const std::string& panelTypeName, const std::string& fileName,
                            const std::string& siteRef) {
  // The new project is built completely before it replaces the open one.
  TSettings settings;
  std::unique_ptr<TProject> loaded;
  try {
    loaded = std::make_unique<TProject>(LoadProjectFiles(DataDir, fileName, settings, PaletteFrom(workingDir_)));
  } catch (const std::exception& error) {
    host_.ShowError(error.what());
    return false;
  }
  PanelTypeName = panelTypeName;
  FileName = fileName;
  SiteRef = siteRef;
  Caption = ProjectCaption(SiteRef);
  PendingIndexEntry = false;
  ClearCanvas();
  // The catalogue filter goes on as the dialogs last left it.
  loaded->Context().Filter = Context().Filter;
  AdoptProject(std::move(loaded));
  TControlPanel& panel = *ControlPanel();
  panel.BuildWarnings();
  Summary.Panel = " " + PanelTypeName;
  UpdatePanelView();
  CreateNetworkAnchors(PanelOptsTable[panel.PanelType].NetworkCount);
  FillAttachedDevices();
  ProjectOpen = true;
  CanvasEnabled = true;
  Errors = panel.Warnings;
  UpdateToolbar();
  OptionsEnabled = ArrangeEnabled = ReportEnabled = true;
  ScrollTop = 0;
  Modified = false;
  Notify(ChangedProject | ChangedCaption | ChangedLayout | ChangedMenus | ChangedSummary | ChangedErrors |
         ChangedDevices | ChangedScroll);
  return true;
}

void TDesigner::SaveProject() {
  if (!ProjectOpen) return;
  ScrollInView(NetworkAnchors.empty() ? 0 : NetworkAnchors.front());
  SaveProjectFiles(DataDir, FileName, Context().Settings, *ControlPanel(), Canvas());
  // The index line only once the files are there, so that it never lists a
  // project that was not saved.
  if (PendingIndexEntry) {
    TFileIndex index(DataDir);
    index.Append(IndexLine({ControlPanel()->Name, FileName, SiteRef, host_.ShortDate()}));
    PendingIndexEntry = false;
  }
  Modified = false;
}

TAnswer TDesigner::PromptSave(bool withCancel) {
  if (!Modified) return TAnswer::No;
  const TAnswer answer = host_.AskSave(Format("Do you want to save %s", FileName), withCancel);
  if (answer == TAnswer::Yes) SaveProject();
  return answer;
}

bool TDesigner::CloseRequested() {
  if (Modified && PromptSave(true) == TAnswer::Cancel) return false;
  ClearCanvas();
  return true;
}

bool TDesigner::ExitProgram() {
  if (!CloseRequested()) return false;
  host_.CloseWindow();
  return true;
}

// --- the project ---

void TDesigner::ClearCanvas() {
  CanvasEnabled = true;
  ControlPanel()->ReleaseTiles();
  Canvas().Clear();
  NetworkAnchors.clear();
  AttachedDevices.clear();
  SelectedDevice = nullptr;
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
  StatusText = SelectComponentText;
  Notify(ChangedStatusText);
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
  CreateNetworkAnchors(row.NetworkCount);
  CanvasEnabled = true;
}

void TDesigner::CreateNetworkAnchors(int count) {
  count = std::clamp(count, 0, NetworkCountMax);
  NetLabelVisible.fill(false);
  NetworkAnchors.clear();
  for (int i = 0; i < count; ++i) {
    NetworkAnchors.push_back(AnchorTop(i));
    NetLabelVisible[static_cast<size_t>(i)] = true;
  }
  Notify(ChangedMenus);
}

void TDesigner::ShowNetwork(int index) {
  if (index < 0 || static_cast<size_t>(index) >= NetworkAnchors.size()) return;
  ScrollInView(NetworkAnchors.front());
  ScrollInView(NetworkAnchors[static_cast<size_t>(index)]);
  const int current = ControlPanel()->CurrentNetwork;
  if (current >= 0 && current < NetworkCountMax) CloneItemEnabled[static_cast<size_t>(current)] = true;
  CloneItemEnabled[static_cast<size_t>(index)] = false;
  ControlPanel()->CurrentNetwork = index;
  Notify(ChangedMenus);
}

void TDesigner::UpdatePanelView() {
  TControlPanel& panel = *ControlPanel();
  const int32_t type = panel.PanelType;
  CloneToVisible = type >= 12;
  CloneItemVisible.fill(false);
  CloneItemEnabled.fill(false);
  if (CloneToVisible) {
    CloneItemVisible[0] = CloneItemVisible[1] = true;
    CloneItemEnabled[1] = true;
    for (size_t i = 2; i < NetworkCountMax; ++i) {
      CloneItemVisible[i] = type > 12;
      CloneItemEnabled[i] = type > 12;
    }
  }
  Context().Filter.CurrentPanelType = type;
  FillBatteryList(Summary.BatteryItems, type);
  FillGradeList(Summary.GradeItems, type);
  panel.Name = PanelOptsTable[type].Name;
  panel.CurrentNetwork = 0;
  Notify(ChangedMenus);
  UpdateSummary();
}

void TDesigner::UpdateSummary() {
  Modified = true;
  const TControlPanel& panel = *ControlPanel();
  Summary.BatteryIndex = panel.BatteryIndex;
  Summary.GradeIndex = panel.GetGrade() - 1;
  Summary.ACFailChecked = panel.ACFailSignalled;
  Summary.ACFailEnabled = panel.GetGrade() == 3;
  Summary.PSU = {Format("%.2f Amps", PanelOptsTable[panel.PanelType].PsuOutput), ColourBlue};
  Summary.BattCurrent = {Format("%d mA", panel.ChargeCurrent), ColourBlue};

  // Up to 1000 mA in milliamps, above that in amps.
  auto current = [](int32_t milliamps) {
    return milliamps <= 1000 ? Format("%d mA", milliamps) : Format("%.2f Amps", milliamps / 1000.0);
  };
  auto amps = [](double value) {
    return value <= 1 ? Format("%.0f mA", value * 1000) : Format("%.2f Amps", value);
  };
  Summary.QLoad = {current(panel.TotalQuiescent()), panel.ContinuousOverload ? ColourRed : ColourGreen};
  Summary.AlmLoad = {current(panel.TotalAlarm()), panel.AlarmOverload ? ColourRed : ColourGreen};
  Summary.PeakCurrent = {amps(panel.PeakAvailable), ColourBlue};
  Summary.StandBy = {Format("%d Hours", panel.RequiredStandby), ColourBlue};
  Summary.RatedOP = {panel.ContinuousRated == 0 ? "Select Battery" : amps(panel.ContinuousRated), ColourBlue};
  Summary.ActStandby = {Format("%.2f Hrs", panel.StandbyTime), panel.InsufficientBackup ? ColourRed : ColourGreen};

  if (panel.BatteryFactor == 0) {
    Summary.DegradeIndex = 0;
    Summary.DegradeText = DegradeItems[0];
  } else {
    Summary.DegradeText = FloatToStr(100 - 100 * panel.BatteryFactor);
    Summary.DegradeIndex = -1;
    for (int i = 0; i < 4; ++i) {
      if (Summary.DegradeText == DegradeItems[i]) Summary.DegradeIndex = i;
    }
  }
  Notify(ChangedSummary);
}

void TDesigner::UpdateToolbar() {
  const TControlPanel& panel = *ControlPanel();
  for (int tool = 0; tool < NetDeviceTypeCount; ++tool) {
    ToolButtonVisible[static_cast<size_t>(tool)] = ToolbarShowsDevice(panel.PanelType, panel.GetGrade(), tool);
  }
  ToolButtonVisible[PSUButton] = true;
  Notify(ChangedToolbar | ChangedLayout);
}

void TDesigner::FillAttachedDevices() {
  AttachedDevices.clear();
  for (const TDeviceDataPtr& entry : ControlPanel()->LoadData.Entries) {
    AttachedDevices.push_back({Format("%d", entry->Qty), entry->Name});
  }
  Notify(ChangedDevices);
}

void TDesigner::HandleLoadChanged() {
  UpdateSummary();
  HandleWarningsChanged();
}

void TDesigner::HandleWarningsChanged() {
  Errors = ControlPanel()->Warnings;
  Notify(ChangedErrors);
}

// --- the summary panel ---

void TDesigner::ChooseGrade(int index) {
  if (!ProjectOpen || index < 0 || static_cast<size_t>(index) >= Summary.GradeItems.size()) return;
  ControlPanel()->SetGrade(index + 1);
  UpdateSummary();
  UpdateToolbar();
}

void TDesigner::ChooseBattery(int index) {
  if (!ProjectOpen || index < 0 || static_cast<size_t>(index) >= Summary.BatteryItems.size()) return;
  ControlPanel()->SetBattery(index);
  UpdateSummary();
}

void TDesigner::ClickACFail(bool checked) {
  if (!ProjectOpen) return;
  ControlPanel()->SetACFailSignalled(checked);
  UpdateSummary();
}

void TDesigner::ChooseDegradation(int index) {
  if (!ProjectOpen) return;
  TSettings& settings = Context().Settings;
  if (index >= 0 && index < 4) settings.BatteryFactor = DegradeFactors[index];
  ControlPanel()->SetBatteryFactor(settings.BatteryFactor);
  UpdateSummary();
}

void TDesigner::UpdatePanelAndDevices() {
  if (!ProjectOpen) return;
  Context().Filter.CurrentPanelType = ControlPanel()->PanelType;
  ControlPanel()->EditLoadList(Context());
  // The list's lowest grade is taken after the dialog, and the grade may have
  // changed in it: the warnings and the toolbar follow.
  ControlPanel()->BuildWarnings();
  FillAttachedDevices();
  UpdateSummary();
  UpdateToolbar();
}

// --- menus ---

void TDesigner::Options() {
  if (!ProjectOpen) return;
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
      ScrollInView(NetworkAnchors.empty() ? 0 : NetworkAnchors.front());
      for (const auto& tile : Canvas().Tiles()) {
        if (auto* device = dynamic_cast<TNetDevice*>(tile.get())) device->RebuildWires();
      }
      const size_t current = static_cast<size_t>(panel.CurrentNetwork);
      if (current < NetworkAnchors.size()) ScrollInView(NetworkAnchors[current]);
      ShowLengthChanged = false;
      options_.ClearShowLengthChanged();
    }
  }
  UpdateSummary();
  if (!storeError.empty()) host_.ShowError(storeError);
}

std::string TDesigner::ReportText() {
  TStringList lines;
  ControlPanel()->WriteSystemReport(lines, SiteRef, host_.ShortDate());
  return JoinLines(lines);
}

void TDesigner::Report() {
  if (!ProjectOpen) return;
  host_.ShowReport("Stystem Report :- " + SiteRef, ReportText(), DataDir + "/", FileName);
}

void TDesigner::ToggleSnapToGrid() {
  Canvas().SnapToGrid = !Canvas().SnapToGrid;
  Notify(ChangedMenus);
}

void TDesigner::TidyUp() {
  if (!ProjectOpen) return;
  const bool snap = Canvas().SnapToGrid;
  Canvas().SnapToGrid = true;
  ScrollInView(NetworkAnchors.empty() ? 0 : NetworkAnchors.front());
  // Network devices and supplies, in creation order; networks and clones stay.
  for (size_t i = 0; i < Canvas().Tiles().size(); ++i) {
    TDevice* tile = Canvas().Tiles()[i].get();
    if (dynamic_cast<TNetDevice*>(tile) || dynamic_cast<TPSU*>(tile)) tile->MoveCentreTo(tile->Left(), tile->Top());
  }
  Canvas().SnapToGrid = snap;
  const size_t current = static_cast<size_t>(ControlPanel()->CurrentNetwork);
  if (current < NetworkAnchors.size()) ScrollInView(NetworkAnchors[current]);
}

void TDesigner::CloneTo(int network) {
  auto* psu = dynamic_cast<TPSU*>(SelectedDevice);
  if (!psu || !ProjectOpen || network < 0 || network >= NetworkCountMax) return;
  const size_t item = static_cast<size_t>(network);
  if (!CloneToVisible || !CloneItemVisible[item] || !CloneItemEnabled[item]) return;
  if (item >= NetworkAnchors.size()) return;
  // The clone lands where the supply was in the window, in the other section.
  const int topInView = psu->Top() - ScrollTop;
  ShowNetwork(network);
  auto& clone = Canvas().Create<TPSUClone>();
  clone.MoveCentreTo(psu->Left() + psu->Width() / 2, topInView + ScrollTop + psu->Height() / 2);
  clone.AttachToMaster(*psu);
  Modified = true;
}

// --- the canvas ---

void TDesigner::ChooseDevice(int tool) {
  if (tool < 0 || tool >= NetDeviceTypeCount) return;
  SelectedTool = tool;
  PressMode = TPressMode::PlaceDevice;
  HandCursor = true;
  StatusText = std::string("Place ") + NetBitOptsTable[static_cast<size_t>(tool)].Name;
  Notify(ChangedStatusText | ChangedLayout);
}

void TDesigner::ChoosePSU() { PressMode = TPressMode::PlacePSU; }

void TDesigner::CanvasPress(int x, int y) {
  if (!ProjectOpen) return;
  if (PressMode == TPressMode::PlaceDevice) {
    PlaceDevice(x, y);
  } else if (PressMode == TPressMode::PlacePSU) {
    PlacePSU(x, y);
  }
}

void TDesigner::PlaceDevice(int x, int y) {
  if (SelectedTool == -1) return;
  auto& device = Canvas().Create<TVududa>();
  device.SetDeviceType(static_cast<uint8_t>(NetBitOptsTable[static_cast<size_t>(SelectedTool)].Index));
  device.MoveCentreTo(x, y);
  SelectedTool = -1;
  HandCursor = false;
  Modified = true;
  StatusText = SelectComponentText;
  Notify(ChangedStatusText | ChangedLayout);
}

void TDesigner::PlacePSU(int x, int y) {
  auto& psu = Canvas().Create<TPSU>();
  psu.MoveCentreTo(x, y);
  ControlPanel()->AddPSU(&psu);
  Modified = true;
}

TMouseResult TDesigner::TileMouseDown(TDevice& tile, TMouseButton button, TShiftState shift, bool doubleClick) {
  const TMouseResult result = tile.MouseDown(button, shift, doubleClick);
  // A set-up dialog, a detach or a deletion may have changed the design.
  if (button != TMouseButton::Right && (doubleClick || shift.Alt || shift.Ctrl)) Modified = true;
  return result;
}

bool TDesigner::DragOver(TDevice* target, TDevice& source) {
  if (!target) return CanvasDragOver(source);
  return target->DragOverHandler(&source);
}

void TDesigner::Drop(TDevice* target, TDevice& source, int x, int y) {
  if (!target) {
    CanvasDrop(source, x, y);
    return;
  }
  if (!target->DragOverHandler(&source)) return;
  target->DragDropHandler(&source, x, y);
  Modified = true;
}

bool TDesigner::CanvasDragOver(TDevice&) { return true; }

void TDesigner::CanvasDrop(TDevice& source, int x, int y) {
  source.MoveCentreTo(x, y);
  Modified = true;
}

void TDesigner::PSURightClick(TDevice& psu) {
  SelectedDevice = &psu;
  host_.ShowSupplyMenu(psu.Left(), psu.Top() - ScrollTop + CanvasOffsetTop + 100);
}

// --- the view ---

int TDesigner::CanvasHeight() const {
  int height = 0;
  for (const auto& tile : Canvas().Tiles()) height = std::max(height, tile->Top() + tile->Height());
  for (int anchor : NetworkAnchors) height = std::max(height, anchor + 1);
  return height;
}

void TDesigner::SetScroll(int top) {
  ScrollTop = std::clamp(top, 0, std::max(0, CanvasHeight() - ViewHeight));
}

void TDesigner::SetViewHeight(int height) { ViewHeight = std::max(1, height); }

void TDesigner::ScrollInView(int y) {
  int top = ScrollTop;
  if (y < top) {
    top = y;
  } else if (y + 1 > top + ViewHeight) {
    top = y + 1 - ViewHeight;
  }
  SetScroll(top);
  Notify(ChangedScroll);
}

}  // namespace voltaris
