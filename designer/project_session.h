// The open project's files as the user handles them: New, Load, Save, Exit
// and the question whether to save first. It holds the names of the open
// project (data directory, file name, site reference, panel type), whether
// it changed since it was saved, and the window caption; it runs the New
// File and System Files dialogs on their presenters, and asks its designer
// to adopt and show the project they lead to.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "designer/designer_host.h"
#include "designer/dialogs/new_file_presenter.h"
#include "designer/dialogs/project_name_presenter.h"
#include "designer/dialogs/system_files_presenter.h"
#include "storage/project_copies.h"
#include "storage/project_file_argument.h"
#include "storage/project_lock.h"
#include "storage/recent_projects.h"
#include "storage/recovery.h"

namespace voltaris {

class ISettingsStore;
class ISessionContext;
struct TProject;

class TProjectSession {
 public:
  // `workingDir` is the directory the program started in; the data
  // directory is `workingDir` + "/Data". New takes its defaults from `store`.
  TProjectSession(ISessionContext& context, IDesignerHost& host, ISettingsStore& store, const std::string& workingDir);
  ~TProjectSession();
  TProjectSession(const TProjectSession&) = delete;
  TProjectSession& operator=(const TProjectSession&) = delete;

  // First offers any recovery copy left by a designer that was not closed
  // properly; then Load when the index exists in the data directory, New
  // otherwise (unless a copy was recovered).
  void StartUp();
  // Starts with the project named on the command line: opened from its
  // folder, which is the data folder for this run. An argument that cannot
  // be used, or a project that does not load, is reported, and the start
  // goes on as without one. Nothing given: StartUp().
  void StartUp(const TProjectFileChoice& choice);
  void NewProject();
  void LoadProject();
  // Opens an indexed project, as Load does once the user chose its line;
  // false (with the error shown) when its files cannot be loaded, and then
  // the open project stays.
  bool OpenProject(const std::string& panelTypeName, const std::string& fileName, const std::string& siteRef);
  // Saves the open project's files, and its index line when the index lacks it
  // (not for a project opened from a file its folder's index does not list).
  // The status bar then says "Saved <FileName>" with the time.
  void SaveProject();
  // File > "Save As...": asks a new file name and site reference with the New
  // File dialog's checks, saves the project under them with its own index
  // line (the project saved from gets one too when it has files but no line),
  // and goes on with the new project; the old files stay as they were. The
  // undo history stays, its saved point now the new files.
  void SaveProjectAs();
  // File > "Open File...": a ".pjx" chosen in the file dialog, opened as the
  // command-line argument is. True when it was opened.
  bool OpenFile();
  // Opens the project of a checked choice from its folder, which becomes the
  // data folder; false (with the error shown) when its files cannot be
  // loaded, and then the open project and the data folder stay.
  bool OpenProjectFile(const TProjectFileChoice& choice);
  // File > "Recent Projects": the list with each entry's problem, and
  // opening entry `index` (asking first about unsaved changes).
  std::vector<TRecentChoice> RecentProjects() const;
  bool OpenRecent(size_t index);
  TProjectNamePresenter& SaveAsDialog() { return saveAs_; }
  // The file and index operations Save As, Duplicate and Rename go through
  // (tests make them fail); null for the real ones.
  void SetProjectSteps(const TProjectSteps* steps);
  // Asks "Do you want to save <FileName>" when modified, with Yes, No and
  // Cancel; Yes saves. The answer (No when there was nothing to ask). On
  // Cancel whatever asked (New, Load, Open, Exit...) stops, and the open
  // project stays as it is.
  TAnswer PromptSave();
  // Asks about each recovery copy newer than its project's files (Recover,
  // Discard, Later); a copy that cannot be read is told and moved aside.
  // True when a project was recovered and is now open.
  bool OfferRecoveryCopies();
  // Opens the project of a recovery copy with the recovered changes, marked
  // modified; its own files stay as they are until Save. False (with the
  // error shown, and the copy moved aside) when the copy cannot be read.
  bool RecoverCopy(const TRecoveryCopy& copy);
  // Lets the open project's lock go (the project stays open, as if another
  // designer could now take it).
  void ReleaseLock();
  // The lock file the open project holds; empty when it holds none.
  std::string LockFile() const;
  // File > Exit: true when the window closed.
  bool ExitProgram();
  // The window's close box: asks about unsaved changes as Exit does; true
  // when the window may close.
  bool CloseRequested();

  TNewFilePresenter& NewFileDialog() { return newFile_; }
  TSystemFilesPresenter& SystemFilesDialog() { return systemFiles_; }

  // --- state (read by the window) ---
  std::string DataDir;
  std::string FileName;
  std::string SiteRef;
  std::string PanelTypeName;
  bool PendingIndexEntry = false;  // made with New: listed in the index at its first save
  bool Unlisted = false;           // opened from a file its folder's index does not list
  bool ReadOnly = false;           // another designer holds the project: Save is refused
  std::string HeldBy;              // who holds it, while read-only
  // The project differs from what was last saved or opened: the undo
  // history's word, the one place that knows it.
  bool Modified() const;
  std::string Caption = "Beta Version Testing Only";

 private:
  // The index has a line for the project `fileName`.
  bool IndexLists(const std::string& fileName) const;
  // The index line of `fileName` in `dataDir`, none when it has none or the
  // index cannot be read.
  static std::optional<TIndexEntry> IndexEntryOf(const std::string& dataDir, const std::string& fileName);
  // Loads project `fileName` from `dataDir` and makes it the open project
  // under those names; `dataDir` becomes the data folder.
  bool OpenFrom(const std::string& dataDir, const std::string& panelTypeName, const std::string& fileName,
                const std::string& siteRef, bool unlisted);
  void SetDataDir(const std::string& dataDir);
  // The Data folder, the open project's and the recent projects' folders.
  std::vector<std::string> KnownProjectFolders() const;
  // Finishes or undoes a save of the project that was cut off, and says which.
  void SettleCutSaveOf(const std::string& dataDir, const std::string& fileName);
  // Load or New, as at a start without recovery.
  void StartUsual();
  // Takes the lock of project `fileName` of `dataDir` into `lock`, asking
  // when another designer holds it (open read-only?) or left it stale (take
  // it over?). False when the user chose not to open the project.
  bool LockForOpening(const std::string& dataDir, const std::string& fileName, std::unique_ptr<TProjectLock>& lock,
                      bool& readOnly, std::string& heldBy);
  // The lock of a project about to be made (New, Save As): false, with the
  // error shown, when another designer holds it.
  bool LockForNew(const std::string& dataDir, const std::string& fileName, std::unique_ptr<TProjectLock>& lock);
  // The open project now holds `lock` (none when read-only).
  void HoldLock(std::unique_ptr<TProjectLock> lock, bool readOnly, const std::string& heldBy);
  // Moves an unreadable recovery copy aside and tells the user why.
  void KeepAside(const std::string& folder, const std::string& reason);
  // The open project joins the recent list, and the status bar says it was saved.
  void NoteRecent();
  void TellSaved();

  ISessionContext& context_;
  IDesignerHost& host_;
  ISettingsStore& store_;
  std::string workingDir_;
  TNewFilePresenter newFile_;
  TSystemFilesPresenter systemFiles_;
  TProjectNamePresenter saveAs_;
  const TProjectSteps* steps_ = nullptr;
  std::unique_ptr<TProjectLock> lock_;
  bool toldOfDefaults_ = false;  // defaults out of range are told once a run
};

// The status bar's word that a save happened: "Saved Shop at 08:15".
std::string SavedText(const std::string& fileName, const std::string& time);

// The caption after a project was opened.
std::string ProjectCaption(const std::string& siteRef);

}  // namespace voltaris
