// The logic of the System Files dialog: the projects of the index, one row
// each, to open, delete or leave for a new project. The Qt dialog binds its
// four-column list and buttons to this; a test drives it as a user would.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "designer/dialogs/message_sink.h"
#include "designer/dialogs/modal_result.h"
#include "designer/dialogs/project_name_presenter.h"
#include "project_io/file_index.h"
#include "storage/project_copies.h"
#include "storage/project_lock.h"

namespace voltaris {

class TSystemFilesPresenter {
 public:
  TSystemFilesPresenter(std::string dataDir, IMessageSink& messages);
  TSystemFilesPresenter(const TSystemFilesPresenter&) = delete;
  TSystemFilesPresenter& operator=(const TSystemFilesPresenter&) = delete;

  // What Cancel returns: No while no project is open, Cancel otherwise. The
  // caller sets it before each showing.
  void SetCancelResult(TModalResult result) { cancelResult_ = result; }
  // The file name of the project open in the designer ("" for none): its
  // row cannot be deleted.
  void SetOpenProject(std::string fileName) { openProject_ = std::move(fileName); }
  // The data directory whose index the dialog shows.
  void SetDataDir(std::string dataDir);

  // Starts a showing with the rows of the index file and no selection. When
  // the index cannot be read the error is reported, the result stays None
  // and false comes back: the dialog does not open.
  bool Show();

  const std::vector<TIndexEntry>& Rows() const { return rows_; }
  int SelectedRow() const { return selected_; }  // -1 for none
  void Select(int row);                          // out of range selects none

  // With a row selected: takes its panel type, file name and site reference
  // and closes with OK. A row whose file name is not a valid project name is
  // reported and the dialog stays open. Without a selection nothing happens.
  // True when the dialog closed.
  bool Ok();
  // With a row selected, and once the user said Yes to the question: deletes
  // the project's ".pjx" and ".dat" files in the data directory, with the
  // copies a save puts aside (".old", ".new"; missing files are ignored),
  // removes the row and
  // writes the other rows back to the index. A row whose file name is not a
  // valid project name is left alone and the user is told; a file that
  // cannot be deleted or an index that cannot be written is reported and the
  // row stays. The open project's row, and one another designer has open, is
  // refused with the reason. Without a selection nothing happens.
  void Delete();
  // With a row selected: asks a new file name and site reference through
  // `runNameDialog` (the name dialog, started from the row's site
  // reference), then copies the project under that name and adds its row,
  // dated `today`. A failure, or a new name another designer holds, is
  // reported and leaves the rows as they were.
  // True when the copy was made.
  using TNameDialogRunner = std::function<void(TProjectNamePresenter&)>;
  bool Duplicate(const TNameDialogRunner& runNameDialog, const std::string& today);
  // The same for a new name of the selected project: its files and row take
  // the new name and site reference, the row keeps its place and date. The
  // open project's row, one another designer has open and a new name
  // another designer holds are refused with the reason, as for Delete.
  bool Rename(const TNameDialogRunner& runNameDialog);
  TProjectNamePresenter& NameDialog() { return nameDialog_; }
  // The file operations Duplicate and Rename go through (tests make them fail).
  void SetSteps(const TProjectSteps* steps) { steps_ = steps; }

  // Closes with the result New.
  void New();
  // Closes with the Cancel button's result.
  void Cancel();

  TModalResult Result() const { return result_; }
  // Set by Ok from the chosen row.
  const std::string& PanelTypeName() const { return panelTypeName_; }
  const std::string& FileName() const { return fileName_; }
  const std::string& SiteRef() const { return siteRef_; }

 private:
  // Every close: with no rows left the index file is deleted.
  void Close(TModalResult result);
  // The selected row when its file name is safe as a path (otherwise the
  // user is told why `action` cannot be done); null without one.
  const TIndexEntry* UsableSelection(const char* action);
  // Shows the name dialog for the selected row; true when it closed with OK.
  bool AskNewName(const char* caption, const TNameDialogRunner& runNameDialog);
  // Takes the lock of the new name `name` of a Duplicate or Rename; false,
  // with the user told who holds it, when another designer does.
  bool LockedNewName(TProjectLock& lock, const std::string& name);

  std::string dataDir_;
  TFileIndex index_;
  IMessageSink& messages_;
  TModalResult cancelResult_ = TModalResult::Cancel;
  std::string openProject_;
  TModalResult result_ = TModalResult::None;

  std::vector<std::string> lines_;  // as read, written back unchanged
  std::vector<TIndexEntry> rows_;   // the same lines split into fields
  int selected_ = -1;

  TProjectNamePresenter nameDialog_;
  const TProjectSteps* steps_ = nullptr;

  std::string panelTypeName_;
  std::string fileName_;
  std::string siteRef_;
};

}  // namespace voltaris
