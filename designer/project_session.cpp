#include "designer/project_session.h"

#include <stdexcept>
#include <utility>

#include "catalogue/format.h"
#include "catalogue/plain_file.h"
#include "designer/designer_change.h"
#include "designer/dialogs/options_presenter.h"
#include "designer/session_context.h"
#include "model/project_context.h"
#include "project_io/file_index.h"
#include "project_io/project_files.h"

namespace voltaris {

namespace {
// The caption's word that Save is refused.
constexpr const char* ReadOnlyMark = " (read-only)";
}  // namespace

std::string ProjectCaption(const std::string& siteRef) {
  return "BETA  Voltaris: " + siteRef + "     Beta Testing Only";
}

bool TProjectSession::Modified() const { return context_.IsModified(); }

TProjectSession::TProjectSession(ISessionContext& context, IDesignerHost& host, ISettingsStore& store,
                                 const std::string& workingDir)
    : DataDir(workingDir + "/Data"),
      context_(context),
      host_(host),
      store_(store),
      workingDir_(workingDir),
      newFile_(DataDir, host),
      systemFiles_(DataDir, host),
      saveAs_(DataDir, host) {}

TProjectSession::~TProjectSession() = default;

std::string SavedText(const std::string& fileName, const std::string& time) {
  return time.empty() ? "Saved " + fileName : "Saved " + fileName + " at " + time;
}

void TProjectSession::SetProjectSteps(const TProjectSteps* steps) {
  steps_ = steps;
  systemFiles_.SetSteps(steps);
}

void TProjectSession::SetDataDir(const std::string& dataDir) {
  DataDir = dataDir;
  newFile_.SetDataDir(dataDir);
  systemFiles_.SetDataDir(dataDir);
}

void TProjectSession::StartUp(const TProjectFileChoice& choice) {
  if (OfferRecoveryCopies()) {
    context_.ShowStatus(IEditContext::SelectComponentText);
    return;
  }
  if (!choice.Error.empty()) host_.ShowError(choice.Error);
  if (choice.Given && OpenProjectFile(choice)) {
    context_.ShowStatus(IEditContext::SelectComponentText);
    return;
  }
  StartUsual();
}

void TProjectSession::StartUp() {
  if (OfferRecoveryCopies()) {
    context_.ShowStatus(IEditContext::SelectComponentText);
    return;
  }
  StartUsual();
}

bool TProjectSession::OfferRecoveryCopies() {
  const std::vector<std::string> knownFolders = KnownProjectFolders();
  for (const std::string& folder : RecoveryFolders(context_.RecoveryRoot())) {
    TRecoveryCopy copy;
    try {
      copy = ReadRecoveryCopy(folder);
    } catch (const std::exception& error) {
      KeepAside(folder, ReasonOf(error));
      continue;
    }
    // The copy names the folder its project is saved into: only a folder
    // this designer works in is taken from it.
    if (!IsOneOfFolders(copy.Info.DataDir, knownFolders)) {
      host_.ShowWarning("The recovery copy in " + folder + " is not offered: it names " + copy.Info.DataDir +
                        " as its project's folder, which is neither this designer's Data folder nor the folder of "
                        "a recent project. It is left as it is.");
      continue;
    }
    // The copy of a project another designer has open is that designer's.
    {
      TProjectLock probe(LockPath(copy.Info.DataDir, copy.Info.FileName));
      try {
        if (probe.Take() == TLockStatus::Held) continue;
      } catch (const std::exception&) {
        // No lock to be had there: the copy is offered all the same.
      }
      // A save the program's end cut off is settled before the copy is
      // weighed against the project's files.
      SettleCutSaveOf(copy.Info.DataDir, copy.Info.FileName);
    }
    // Saved since (the removal of the copy was cut off): nothing to recover.
    if (!NewerThanProject(copy)) {
      ListSavedCopy(copy.Info);
      RemoveRecoveryCopy(folder);
      continue;
    }
    switch (host_.AskRecovery(RecoveryQuestion(copy.Info))) {
      case TRecoveryAnswer::Recover:
        if (RecoverCopy(copy)) return true;
        break;
      case TRecoveryAnswer::Discard:
        RemoveRecoveryCopy(folder);
        break;
      case TRecoveryAnswer::Later:
        break;
    }
  }
  return false;
}

std::vector<std::string> TProjectSession::KnownProjectFolders() const {
  std::vector<std::string> folders{workingDir_ + "/Data", DataDir};
  try {
    for (const TRecentProject& project : ReadRecentProjects(store_)) folders.push_back(project.Folder);
  } catch (const std::exception&) {
    // Without the list, only the Data folder is known.
  }
  return folders;
}

void TProjectSession::ListSavedCopy(const TRecoveryInfo& info) {
  // A new project's first save that the end cut off before its index line
  // was added (and finished at this start) still gets its line.
  if (!info.PendingIndexEntry || info.Unlisted) return;
  try {
    TFileIndex index(info.DataDir);
    if (index.Exists()) {
      for (const std::string& line : index.ReadLines()) {
        if (SameProjectName(SplitIndexLine(line).FileName, info.FileName)) return;
      }
    }
    index.Append(IndexLine({info.PanelTypeName, info.FileName, info.SiteRef, host_.ShortDate()}));
  } catch (const std::exception& error) {
    host_.ShowWarning(info.FileName + " is saved but not listed in the projects' index: " + error.what());
  }
}

void TProjectSession::SettleCutSaveOf(const std::string& dataDir, const std::string& fileName) {
  try {
    switch (SettleCutSave(dataDir, fileName)) {
      case TCutSave::Finished:
        host_.ShowWarning("Voltaris stopped while it was saving " + fileName +
                          ". The saved files were complete, and the save has now been finished.");
        break;
      case TCutSave::RolledBack:
        host_.ShowWarning("Voltaris stopped while it was saving " + fileName +
                          ", before the saved files were complete. The project is as it was before that save.");
        break;
      case TCutSave::None:
        break;
    }
  } catch (const std::exception& error) {
    host_.ShowWarning("Voltaris stopped while it was saving " + fileName +
                      ", and what that save left could not be put in order: " + error.what());
  }
}

void TProjectSession::KeepAside(const std::string& folder, const std::string& reason) {
  try {
    const std::string aside = KeepRecoveryCopyAside(folder);
    host_.ShowError("A recovery copy cannot be read: " + reason + ". It was kept as " + aside + ".");
  } catch (const std::exception& error) {
    host_.ShowError("A recovery copy cannot be read: " + reason + ". " + error.what());
  }
}

bool TProjectSession::RecoverCopy(const TRecoveryCopy& copy) {
  const TRecoveryInfo& info = copy.Info;
  TSettings settings;
  std::unique_ptr<TProject> recovered;
  try {
    recovered = std::make_unique<TProject>(ReadProject(copy.Bytes.Dat, copy.Bytes.Pjx, info.FileName + ".dat",
                                                       info.FileName + ".pjx", settings, PaletteFrom(workingDir_)));
  } catch (const std::exception& error) {
    KeepAside(copy.Folder, ReasonOf(error));
    return false;
  }
  // What the project's own files hold is the saved state the recovered
  // changes are measured against; without files, every change is unsaved.
  TProjectBytes saved;
  try {
    if (RealFileSystem().Exists(ProjectPath(info.DataDir, info.FileName, ".pjx")) ||
        RealFileSystem().Exists(ProjectPath(info.DataDir, info.FileName, ".pjx.old")))
      saved = ReadProjectBytes(info.DataDir, info.FileName);
  } catch (const std::exception&) {
    saved = {};
  }
  std::unique_ptr<TProjectLock> lock;
  bool readOnly = false;
  std::string heldBy;
  if (!LockForOpening(info.DataDir, info.FileName, lock, readOnly, heldBy)) return false;
  if (info.DataDir != DataDir) SetDataDir(info.DataDir);
  HoldLock(std::move(lock), readOnly, heldBy);
  FileName = info.FileName;
  SiteRef = info.SiteRef;
  PanelTypeName = info.PanelTypeName.empty() ? recovered->ControlPanel->Name : info.PanelTypeName;
  Caption = ProjectCaption(SiteRef);
  if (ReadOnly) Caption += ReadOnlyMark;
  PendingIndexEntry = info.PendingIndexEntry || (!info.Unlisted && !IndexLists(FileName));
  Unlisted = info.Unlisted;
  context_.ShowLoadedProject(std::move(recovered), PanelTypeName);
  context_.ResetView();
  context_.StartRecoveredHistory(std::move(saved), copy.Folder);
  return true;
}

bool TProjectSession::LockForOpening(const std::string& dataDir, const std::string& fileName,
                                     std::unique_ptr<TProjectLock>& lock, bool& readOnly, std::string& heldBy,
                                     bool* recovered) {
  readOnly = false;
  if (recovered) *recovered = false;
  const std::string path = LockPath(dataDir, fileName);
  // Opening again the project this designer holds keeps its lock.
  if (lock_ && lock_->Taken() && lock_->Path() == path) {
    lock = std::move(lock_);
    return true;
  }
  lock = std::make_unique<TProjectLock>(path);
  TLockStatus status = TLockStatus::Taken;
  try {
    status = lock->Take();
  } catch (const std::exception& error) {
    // A folder where no lock can be made (read-only media) still opens.
    host_.ShowWarning(std::string(error.what()) + ": " + fileName + " is opened without a lock.");
    lock.reset();
    return true;
  }
  if (status == TLockStatus::Stale && recovered) {
    // The designer that left the lock may have left unsaved changes too:
    // they are offered before its files are opened over them.
    // (Copies kept for later lie beside the first, each naming its project.)
    std::optional<TRecoveryCopy> copy;
    for (const std::string& candidate : RecoveryFolders(context_.RecoveryRoot())) {
      try {
        TRecoveryCopy read = ReadRecoveryCopy(candidate);
        if (SameProjectName(read.Info.FileName, fileName) && IsOneOfFolders(read.Info.DataDir, {dataDir}) &&
            NewerThanProject(read)) {
          copy = std::move(read);
          break;
        }
      } catch (const std::exception&) {
        // A copy that cannot be read is told and moved aside at the next start.
      }
    }
    if (copy) {
      const std::string& folder = copy->Folder;
      switch (host_.AskRecovery(RecoveryQuestion(copy->Info))) {
        case TRecoveryAnswer::Recover:
          // Taken over and let go at once: the copy's opening takes the lock
          // afresh. Should another designer have taken it meanwhile, the
          // copy is that designer's to offer.
          if (lock->TakeOver()) {
            lock.reset();
            *recovered = RecoverCopy(*copy);
            return false;
          }
          status = TLockStatus::Held;
          break;
        case TRecoveryAnswer::Discard:
          try {
            RemoveRecoveryCopy(folder);
          } catch (const std::exception& error) {
            host_.ShowError(error.what());
          }
          break;
        case TRecoveryAnswer::Later:
          break;
      }
    }
  }
  if (status == TLockStatus::Stale) {
    if (!host_.Confirm(fileName + " was left locked by " + HolderText(lock->Holder()) +
                       ", which no longer runs. Take the lock over and open it?"))
      return false;
    if (lock->TakeOver()) return true;
    status = TLockStatus::Held;
  }
  if (status == TLockStatus::Held) {
    heldBy = HolderText(lock->Holder());
    lock.reset();
    if (!host_.Confirm(fileName + " is open in another designer: " + heldBy +
                       ". Open it read-only? Save will be refused; Save As keeps changes under another name."))
      return false;
    readOnly = true;
  }
  return true;
}

bool TProjectSession::LockForNew(const std::string& dataDir, const std::string& fileName,
                                 std::unique_ptr<TProjectLock>& lock) {
  const std::string path = LockPath(dataDir, fileName);
  if (lock_ && lock_->Taken() && lock_->Path() == path) {
    lock = std::move(lock_);
    return true;
  }
  lock = std::make_unique<TProjectLock>(path);
  try {
    const TLockStatus status = lock->Take();
    // A project that was never saved left no files: its stale lock is of no use to anyone.
    if (status == TLockStatus::Taken || (status == TLockStatus::Stale && lock->TakeOver())) return true;
    host_.ShowError(fileName + " is being made in another designer: " + HolderText(lock->Holder()) + ".");
    lock.reset();
    return false;
  } catch (const std::exception&) {
    // No lock can be made there; the save will say what is wrong.
    lock.reset();
    return true;
  }
}

void TProjectSession::HoldLock(std::unique_ptr<TProjectLock> lock, bool readOnly, const std::string& heldBy) {
  lock_ = std::move(lock);
  ReadOnly = readOnly;
  HeldBy = readOnly ? heldBy : std::string();
}

void TProjectSession::ReleaseLock() {
  if (lock_) lock_->Release();
  lock_.reset();
}

std::string TProjectSession::LockFile() const { return lock_ && lock_->Taken() ? lock_->Path() : std::string(); }

void TProjectSession::StartUsual() {
  if (TFileIndex(DataDir).Exists()) {
    LoadProject();
  } else {
    NewProject();
  }
}

void TProjectSession::NewProject() {
  context_.DeselectTool();
  context_.ShowStatus(std::string());
  newFile_.SetCancelResult(FileName.empty() ? TModalResult::No : TModalResult::Cancel);
  if (PromptSave() == TAnswer::Cancel) {
    context_.ShowStatus(IEditContext::SelectComponentText);
    return;
  }
  newFile_.Show();
  host_.RunNewFileDialog(newFile_);
  const TModalResult result = newFile_.Result();
  if (result == TModalResult::No) {
    host_.CloseWindow();
    return;
  }
  if (result == TModalResult::OK) {
    // The defaults first: should the store fail, the open project is untouched.
    TSettings defaults = context_.Context().Settings;
    ReadDefaults(store_, defaults);
    const std::string putBack = TOptionsPresenter::SettleDefaults(defaults);
    if (!putBack.empty() && !std::exchange(toldOfDefaults_, true)) host_.ShowWarning(putBack);
    std::unique_ptr<TProjectLock> lock;
    if (!LockForNew(DataDir, newFile_.FileName(), lock)) {
      context_.ShowStatus(IEditContext::SelectComponentText);
      return;
    }
    HoldLock(std::move(lock), false, std::string());

    PendingIndexEntry = true;
    FileName = newFile_.FileName();
    SiteRef = newFile_.SiteRef();
    context_.ClearCanvas();
    context_.CreateControlPanel();
    // The new project's dialogs go on from the panel type and grade just chosen.
    TProjectContext& context = context_.Context();
    context.Filter.CurrentGrade = newFile_.Filter().CurrentGrade;
    context.Filter.CurrentPanelType = newFile_.Filter().CurrentPanelType;
    TControlPanel& panel = *context_.ControlPanel();
    panel.Name = newFile_.PanelTypeText();
    panel.SetGrade(newFile_.GradeIndex() + 1);
    panel.SetPanelType(newFile_.Filter().CurrentPanelType);
    panel.OwnQuiescent = PanelOptsTable[panel.PanelType].OwnCurrent;
    context_.ShowNewPanel(panel.Name);
    context_.CreateNetworks();
    TSettings& settings = context.Settings;
    settings = defaults;
    panel.SetStandard(settings.SystemStandard);
    panel.SetBatteryFactor(settings.BatteryFactor);
    panel.SetAlarmPeriod(settings.AlarmPeriod);
    context_.UpdatePanelView();
    context_.ShowProject();
    context_.ResetView();
    Caption = ProjectCaption(SiteRef);
    PanelTypeName = newFile_.PanelTypeText();
    context_.StartHistory();
    context_.Notify(ChangedProject | ChangedCaption | ChangedLayout | ChangedMenus | ChangedSummary | ChangedErrors |
                    ChangedScroll);
  }
  context_.ShowStatus(IEditContext::SelectComponentText);
}

void TProjectSession::LoadProject() {
  context_.DeselectTool();
  context_.ShowStatus(std::string());
  systemFiles_.SetCancelResult(FileName.empty() ? TModalResult::No : TModalResult::Cancel);
  systemFiles_.SetOpenProject(context_.IsProjectOpen() ? FileName : std::string());
  if (PromptSave() == TAnswer::Cancel) {
    context_.ShowStatus(IEditContext::SelectComponentText);
    return;
  }
  if (!systemFiles_.Show()) {
    // The index could not be read (the dialog said why). With nothing open
    // the user still gets a project to work on.
    if (!context_.IsProjectOpen()) NewProject();
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
  context_.ShowStatus(IEditContext::SelectComponentText);
}

bool TProjectSession::OpenProject(const std::string& panelTypeName, const std::string& fileName,
                                  const std::string& siteRef) {
  return OpenFrom(DataDir, panelTypeName, fileName, siteRef, false);
}

bool TProjectSession::OpenFrom(const std::string& dataDir, const std::string& panelTypeName,
                               const std::string& fileName, const std::string& siteRef, bool unlisted) {
  // A save cut off is settled by the designer that can hold the project,
  // never under another designer saving it now.
  if (HasCutSave(dataDir, fileName)) {
    TProjectLock probe(LockPath(dataDir, fileName));
    try {
      if (probe.Take() != TLockStatus::Held) SettleCutSaveOf(dataDir, fileName);
    } catch (const std::exception&) {
      // No lock can be made there (read-only media): nothing can be settled either.
    }
  }
  // The new project is built completely before it replaces the open one.
  TSettings settings;
  std::unique_ptr<TProject> loaded;
  try {
    loaded = std::make_unique<TProject>(LoadProjectFiles(dataDir, fileName, settings, PaletteFrom(workingDir_)));
  } catch (const std::exception& error) {
    host_.ShowError(ReasonOf(error, "There is not enough memory to open " + fileName + "."));
    return false;
  }
  std::unique_ptr<TProjectLock> lock;
  bool readOnly = false;
  std::string heldBy;
  bool recovered = false;
  if (!LockForOpening(dataDir, fileName, lock, readOnly, heldBy, &recovered)) return recovered;
  // A project no index line names shows the panel type its file holds.
  PanelTypeName = panelTypeName.empty() ? loaded->ControlPanel->Name : panelTypeName;
  if (dataDir != DataDir) SetDataDir(dataDir);
  FileName = fileName;
  SiteRef = siteRef;
  Caption = ProjectCaption(SiteRef);
  PendingIndexEntry = false;
  Unlisted = unlisted;
  HoldLock(std::move(lock), readOnly, heldBy);
  if (ReadOnly) Caption += ReadOnlyMark;
  context_.ShowLoadedProject(std::move(loaded), PanelTypeName);
  context_.ResetView();
  context_.StartHistory();
  NoteRecent();
  return true;
}

std::optional<TIndexEntry> TProjectSession::IndexEntryOf(const std::string& dataDir, const std::string& fileName) {
  const TFileIndex index(dataDir);
  if (!index.Exists()) return std::nullopt;
  try {
    for (const std::string& line : index.ReadLines()) {
      TIndexEntry entry = SplitIndexLine(line);
      if (SameProjectName(entry.FileName, fileName)) return entry;
    }
  } catch (const std::runtime_error&) {
    // An index that cannot be read lists nothing; System Files will say why.
  }
  return std::nullopt;
}

bool TProjectSession::OpenProjectFile(const TProjectFileChoice& choice) {
  if (!choice.Given) return false;
  // The index of the file's folder gives the site reference when it lists the
  // project; otherwise the file name stands for it.
  const std::optional<TIndexEntry> listed = IndexEntryOf(choice.DataDir, choice.FileName);
  if (listed) return OpenFrom(choice.DataDir, listed->PanelType, choice.FileName, listed->SiteRef, false);
  return OpenFrom(choice.DataDir, std::string(), choice.FileName, choice.FileName, true);
}

bool TProjectSession::OpenFile() {
  context_.DeselectTool();
  const std::string path = host_.ChooseProjectFile(DataDir);
  if (path.empty()) return false;
  const TProjectFileChoice choice = CheckProjectFile(path);
  if (!choice.Error.empty()) {
    host_.ShowError(choice.Error);
    return false;
  }
  if (PromptSave() == TAnswer::Cancel) return false;
  const bool opened = OpenProjectFile(choice);
  context_.ShowStatus(IEditContext::SelectComponentText);
  return opened;
}

std::vector<TRecentChoice> TProjectSession::RecentProjects() const {
  std::vector<TRecentChoice> choices;
  for (TRecentProject& project : ReadRecentProjects(store_)) {
    std::string problem = RecentProjectProblem(project);
    choices.push_back({std::move(project), std::move(problem)});
  }
  return choices;
}

bool TProjectSession::OpenRecent(size_t index) {
  const std::vector<TRecentChoice> choices = RecentProjects();
  if (index >= choices.size()) return false;
  const TRecentChoice& choice = choices[index];
  if (!choice.Problem.empty()) {
    host_.ShowError("Cannot open " + choice.Project.FileName + ": " + choice.Problem);
    return false;
  }
  context_.DeselectTool();
  if (PromptSave() == TAnswer::Cancel) return false;
  const TRecentProject& project = choice.Project;
  const std::optional<TIndexEntry> listed = IndexEntryOf(project.Folder, project.FileName);
  const bool opened = listed ? OpenFrom(project.Folder, listed->PanelType, project.FileName, listed->SiteRef, false)
                             : OpenFrom(project.Folder, std::string(), project.FileName, project.SiteRef, true);
  context_.ShowStatus(IEditContext::SelectComponentText);
  return opened;
}

void TProjectSession::NoteRecent() {
  // The list is a convenience: a store that cannot take it costs the user a
  // warning, never the save or the opening that just succeeded.
  try {
    WriteRecentProjects(store_, WithRecent(ReadRecentProjects(store_), {FileName, SiteRef, RecentFolder(DataDir)}));
  } catch (const std::runtime_error& error) {
    host_.ShowWarning(std::string("The list of recent projects could not be kept: ") + error.what());
  }
}

void TProjectSession::TellSaved() { host_.ShowNotice(SavedText(FileName, host_.ShortTime())); }

void TProjectSession::SaveProjectAs() {
  if (!context_.IsProjectOpen()) return;
  context_.DeselectTool();
  saveAs_.Show("Save As", SiteRef, DataDir);
  host_.RunProjectNameDialog(saveAs_);
  if (saveAs_.Result() != TModalResult::OK) return;
  context_.ScrollToFirstNetwork();
  TControlPanel& panel = *context_.ControlPanel();
  TProjectBytes image = context_.ProjectImage();
  const TIndexEntry to{panel.Name, saveAs_.FileName(), saveAs_.SiteRef(), host_.ShortDate()};
  // The project saved from stays a project of the folder: when it has files
  // but no line (opened from a file), it is listed beside the new one.
  std::optional<TIndexEntry> from;
  const bool hasFiles = RealFileSystem().Exists(ProjectPath(DataDir, FileName, ".dat"));
  if (!PendingIndexEntry && hasFiles && !IndexLists(FileName))
    from = TIndexEntry{panel.Name, FileName, SiteRef, host_.ShortDate()};
  std::unique_ptr<TProjectLock> lock;
  if (!LockForNew(DataDir, to.FileName, lock)) return;
  voltaris::SaveProjectAs(DataDir, image, to, from ? &*from : nullptr, steps_ ? *steps_ : TProjectSteps{});
  HoldLock(std::move(lock), false, std::string());
  FileName = to.FileName;
  SiteRef = to.SiteRef;
  PanelTypeName = panel.Name;
  Caption = ProjectCaption(SiteRef);
  PendingIndexEntry = false;
  Unlisted = false;
  context_.MarkSaved(std::move(image));
  context_.Notify(ChangedCaption);
  NoteRecent();
  TellSaved();
}

void TProjectSession::SaveProject() {
  if (!context_.IsProjectOpen()) return;
  // Refused as a failed save is: whatever asked for it stops, nothing is lost.
  if (ReadOnly)
    throw FileError(FileName + " is open read-only: " + HeldBy +
                    " has it open. Save As keeps your changes under another name.");
  context_.ScrollToFirstNetwork();
  TControlPanel& panel = *context_.ControlPanel();
  TProjectBytes saved = WriteProject(context_.Context().Settings, panel, context_.Canvas());
  context_.NoteSaving(saved);
  try {
    PlaceProjectFiles(DataDir, FileName, saved);
  } catch (...) {
    context_.NoteSaving(std::nullopt);
    throw;
  }
  // The index line only once the files are there, so that it never lists a
  // project that was not saved.
  // A project whose line is missing from the index (a new one, or one whose
  // line was lost) gets it now: a saved project is always listed.
  if (PendingIndexEntry || (!Unlisted && !IndexLists(FileName))) {
    TFileIndex index(DataDir);
    index.Append(IndexLine({panel.Name, FileName, SiteRef, host_.ShortDate()}));
    PendingIndexEntry = false;
  }
  context_.MarkSaved(std::move(saved));
  NoteRecent();
  TellSaved();
}

bool TProjectSession::IndexLists(const std::string& fileName) const {
  const TFileIndex index(DataDir);
  if (!index.Exists()) return false;
  for (const std::string& line : index.ReadLines()) {
    if (SameProjectName(SplitIndexLine(line).FileName, fileName)) return true;
  }
  return false;
}

TAnswer TProjectSession::PromptSave() {
  if (!Modified()) return TAnswer::No;
  const TAnswer answer = host_.AskSave(Format("Do you want to save %s", FileName));
  if (answer == TAnswer::Yes) SaveProject();
  return answer;
}

bool TProjectSession::CloseRequested() {
  if (PromptSave() == TAnswer::Cancel) return false;
  // A clean exit: the changes were saved or the user let them go.
  context_.DropRecoveryCopy();
  context_.ClearCanvas();
  return true;
}

bool TProjectSession::ExitProgram() {
  if (!CloseRequested()) return false;
  host_.CloseWindow();
  return true;
}

}  // namespace voltaris
