#include "designer/project_session.h"

#include <utility>

#include "catalogue/format.h"
#include "designer/designer.h"
#include "designer/file_index.h"
#include "designer/project_files.h"
#include "model/project_context.h"

namespace voltaris {

std::string ProjectCaption(const std::string& siteRef) {
  return "BETA  Voltaris: " + siteRef + "     Beta Testing Only";
}

TProjectSession::TProjectSession(TDesigner& designer, IDesignerHost& host, ISettingsStore& store,
                                 const std::string& workingDir)
    : DataDir(workingDir + "/Data"),
      designer_(designer),
      host_(host),
      store_(store),
      workingDir_(workingDir),
      newFile_(DataDir, host),
      systemFiles_(DataDir, host) {}

void TProjectSession::StartUp() {
  if (TFileIndex(DataDir).Exists()) {
    LoadProject();
  } else {
    NewProject();
  }
}

void TProjectSession::NewProject() {
  TCanvasController& canvas = designer_.CanvasControl();
  canvas.SelectedTool = -1;
  designer_.ShowStatus(std::string());
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
    TSettings defaults = designer_.Context().Settings;
    ReadDefaults(store_, defaults);

    PendingIndexEntry = true;
    FileName = newFile_.FileName();
    SiteRef = newFile_.SiteRef();
    designer_.ClearCanvas();
    designer_.CreateControlPanel();
    // The new project's dialogs go on from the panel type and grade just chosen.
    TProjectContext& context = designer_.Context();
    context.Filter.CurrentGrade = newFile_.Filter().CurrentGrade;
    context.Filter.CurrentPanelType = newFile_.Filter().CurrentPanelType;
    TControlPanel& panel = *designer_.ControlPanel();
    panel.Name = newFile_.PanelTypeText();
    panel.SetGrade(newFile_.GradeIndex() + 1);
    panel.SetPanelType(newFile_.Filter().CurrentPanelType);
    panel.OwnQuiescent = PanelOptsTable[panel.PanelType].OwnCurrent;
    TSummaryView& summary = designer_.SummaryPanel().Summary;
    summary.BatteryIndex = -1;
    summary.BatteryText = "SelectBattery";
    summary.Panel = " " + panel.Name;
    designer_.CreateNetworks();
    TSettings& settings = context.Settings;
    settings = defaults;
    panel.SetStandard(settings.SystemStandard);
    panel.SetBatteryFactor(settings.BatteryFactor);
    panel.SetAlarmPeriod(settings.AlarmPeriod);
    designer_.UpdatePanelView();
    designer_.ShowProject();
    canvas.ScrollTop = 0;
    Caption = ProjectCaption(SiteRef);
    PanelTypeName = newFile_.PanelTypeText();
    designer_.StartHistory();
    designer_.Notify(ChangedProject | ChangedCaption | ChangedLayout | ChangedMenus | ChangedSummary | ChangedErrors |
                     ChangedScroll);
  }
  designer_.ShowStatus(TDesigner::SelectComponentText);
}

void TProjectSession::LoadProject() {
  designer_.CanvasControl().SelectedTool = -1;
  designer_.ShowStatus(std::string());
  systemFiles_.SetCancelResult(FileName.empty() ? TModalResult::No : TModalResult::Cancel);
  systemFiles_.SetOpenProject(designer_.ProjectOpen ? FileName : std::string());
  if (Modified) PromptSave(false);
  if (!systemFiles_.Show()) {
    // The index could not be read (the dialog said why). With nothing open
    // the user still gets a project to work on.
    if (!designer_.ProjectOpen) NewProject();
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
  designer_.ShowStatus(TDesigner::SelectComponentText);
}

bool TProjectSession::OpenProject(const std::string& panelTypeName, const std::string& fileName,
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
  ShowLoaded(std::move(loaded));
  designer_.CanvasControl().ScrollTop = 0;
  designer_.StartHistory();
  designer_.Notify(ChangedScroll);
  return true;
}

void TProjectSession::ShowLoaded(std::unique_ptr<TProject> loaded) {
  designer_.ClearCanvas();
  // The catalogue filter goes on as the dialogs last left it.
  loaded->Context().Filter = designer_.Context().Filter;
  designer_.AdoptProject(std::move(loaded));
  TControlPanel& panel = *designer_.ControlPanel();
  panel.BuildWarnings();
  TSummaryPresenter& summary = designer_.SummaryPanel();
  TCanvasController& canvas = designer_.CanvasControl();
  summary.Summary.Panel = " " + PanelTypeName;
  designer_.UpdatePanelView();
  canvas.CreateNetworkAnchors(PanelOptsTable[panel.PanelType].NetworkCount);
  summary.FillAttachedDevices();
  designer_.CanvasEnabled = true;
  summary.Errors = panel.Warnings;
  designer_.ShowProject();
  designer_.Notify(ChangedProject | ChangedCaption | ChangedLayout | ChangedMenus | ChangedSummary | ChangedErrors |
                   ChangedDevices);
}

void TProjectSession::SaveProject() {
  if (!designer_.ProjectOpen) return;
  designer_.CanvasControl().ScrollToFirstNetwork();
  TControlPanel& panel = *designer_.ControlPanel();
  TProjectBytes saved = SaveProjectFiles(DataDir, FileName, designer_.Context().Settings, panel, designer_.Canvas());
  // The index line only once the files are there, so that it never lists a
  // project that was not saved.
  // A project whose line is missing from the index (a new one, or one whose
  // line was lost) gets it now: a saved project is always listed.
  if (PendingIndexEntry || !IndexLists(FileName)) {
    TFileIndex index(DataDir);
    index.Append(IndexLine({panel.Name, FileName, SiteRef, host_.ShortDate()}));
    PendingIndexEntry = false;
  }
  designer_.MarkSaved(std::move(saved));
}

bool TProjectSession::IndexLists(const std::string& fileName) const {
  const TFileIndex index(DataDir);
  if (!index.Exists()) return false;
  for (const std::string& line : index.ReadLines()) {
    if (SplitIndexLine(line).FileName == fileName) return true;
  }
  return false;
}

TAnswer TProjectSession::PromptSave(bool withCancel) {
  if (!Modified) return TAnswer::No;
  const TAnswer answer = host_.AskSave(Format("Do you want to save %s", FileName), withCancel);
  if (answer == TAnswer::Yes) SaveProject();
  return answer;
}

bool TProjectSession::CloseRequested() {
  if (Modified && PromptSave(true) == TAnswer::Cancel) return false;
  designer_.ClearCanvas();
  return true;
}

bool TProjectSession::ExitProgram() {
  if (!CloseRequested()) return false;
  host_.CloseWindow();
  return true;
}

}  // namespace voltaris
