// The open project's files as the user handles them: New, Load, Save, Exit
// and the question whether to save first. It holds the names of the open
// project (data directory, file name, site reference, panel type), whether
// it changed since it was saved, and the window caption; it runs the New
// File and System Files dialogs on their presenters, and asks its designer
// to adopt and show the project they lead to.
#pragma once

#include <memory>
#include <string>

#include "designer/designer_host.h"
#include "designer/new_file_presenter.h"
#include "designer/system_files_presenter.h"

namespace voltaris {

class ISettingsStore;
class TDesigner;
struct TProject;

class TProjectSession {
 public:
  // `workingDir` is the directory the program started in; the data
  // directory is `workingDir` + "/Data". New takes its defaults from `store`.
  TProjectSession(TDesigner& designer, IDesignerHost& host, ISettingsStore& store, const std::string& workingDir);
  TProjectSession(const TProjectSession&) = delete;
  TProjectSession& operator=(const TProjectSession&) = delete;

  // Load when the index exists in the data directory, New otherwise.
  void StartUp();
  void NewProject();
  void LoadProject();
  // Opens an indexed project, as Load does once the user chose its line;
  // false (with the error shown) when its files cannot be loaded, and then
  // the open project stays.
  bool OpenProject(const std::string& panelTypeName, const std::string& fileName, const std::string& siteRef);
  // Saves the open project's files, and its index line when the index lacks it.
  void SaveProject();
  // Makes `loaded` the open project and shows it, under the open project's
  // names: Load after reading the files, Undo and Redo after reading an image.
  void ShowLoaded(std::unique_ptr<TProject> loaded);
  // Asks "Do you want to save <FileName>" when modified; Yes saves. The answer.
  TAnswer PromptSave(bool withCancel);
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
  bool Modified = false;           // differs from what was last saved or opened
  bool PendingIndexEntry = false;  // made with New: listed in the index at its first save
  std::string Caption = "Beta Version Testing Only";

 private:
  // The index has a line for the project `fileName`.
  bool IndexLists(const std::string& fileName) const;

  TDesigner& designer_;
  IDesignerHost& host_;
  ISettingsStore& store_;
  std::string workingDir_;
  TNewFilePresenter newFile_;
  TSystemFilesPresenter systemFiles_;
};

// The caption after a project was opened.
std::string ProjectCaption(const std::string& siteRef);

}  // namespace voltaris
