#include "designer/dialogs/system_files_presenter.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "catalogue/byte_stream.h"
#include "catalogue/format.h"
#include "catalogue/plain_file.h"
#include "storage/project_lock.h"

namespace voltaris {

namespace {

// Why a row's file name cannot be used as a path.
std::string InvalidNameMessage(const char* action, const std::string& name) {
  if (name.empty()) return std::string("Cannot ") + action + " this project: its entry has no file name";
  return std::string("Cannot ") + action + " \"" + name +
         "\": a project file name may hold only letters, digits, spaces, \"-\" and \"_\"";
}

// Deletes one project file; a file that is not there is not an error.
void RemoveProjectFile(const std::string& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
  if (error) throw FileError(path + ": cannot delete the file (" + error.message() + ")");
}

// Takes the lock of project `name` for the time of a change of its files
// (Delete, Rename, Duplicate), so that no designer opens or makes it
// meanwhile; a stale one is taken over. False, with `holder` naming who
// holds it, when another designer does. A folder where no lock can be made
// goes on without one: the change reports what it cannot do.
bool LockForChange(TProjectLock& lock, std::string& holder) {
  try {
    const TLockStatus status = lock.Take();
    if (status == TLockStatus::Held || (status == TLockStatus::Stale && !lock.TakeOver())) {
      holder = HolderText(lock.Holder());
      return false;
    }
  } catch (const std::runtime_error&) {
    // No lock is held: the destructor has nothing to let go.
  }
  return true;
}

}  // namespace

TSystemFilesPresenter::TSystemFilesPresenter(std::string dataDir, IMessageSink& messages)
    : dataDir_(std::move(dataDir)), index_(dataDir_), messages_(messages), nameDialog_(dataDir_, messages) {}

void TSystemFilesPresenter::SetDataDir(std::string dataDir) {
  dataDir_ = std::move(dataDir);
  index_ = TFileIndex(dataDir_);
}

bool TSystemFilesPresenter::Show() {
  result_ = TModalResult::None;
  selected_ = -1;
  lines_.clear();
  rows_.clear();
  try {
    lines_ = index_.ReadLines();
  } catch (const std::runtime_error& error) {
    messages_.ShowError(error.what());
    return false;
  }
  for (const std::string& line : lines_) rows_.push_back(SplitIndexLine(line));
  return true;
}

void TSystemFilesPresenter::Select(int row) {
  selected_ = row >= 0 && static_cast<size_t>(row) < rows_.size() ? row : -1;
}

bool TSystemFilesPresenter::Ok() {
  if (selected_ < 0) return false;
  const TIndexEntry& row = rows_[static_cast<size_t>(selected_)];
  if (!IsValidFileName(row.FileName)) {
    messages_.ShowError(InvalidNameMessage("open", row.FileName));
    return false;
  }
  panelTypeName_ = row.PanelType;
  fileName_ = row.FileName;
  siteRef_ = row.SiteRef;
  Close(TModalResult::OK);
  return true;
}

void TSystemFilesPresenter::Delete() {
  if (selected_ < 0) return;
  const size_t row = static_cast<size_t>(selected_);
  const std::string& name = rows_[row].FileName;
  if (!IsValidFileName(name)) {
    messages_.ShowError(InvalidNameMessage("delete", name));
    return;
  }
  if (!openProject_.empty() && name == openProject_) {
    messages_.ShowWarning(
        Format("%s is the project open in the designer and cannot be deleted while it is open.", name));
    return;
  }
  // Another designer may have it open: its lock is taken first and held
  // while the files go, so that no one opens the project meanwhile. A
  // folder where no lock can be made deletes as before (and reports what
  // it cannot remove).
  TProjectLock lock(LockPath(dataDir_, name));
  std::string holder;
  if (!LockForChange(lock, holder)) {
    messages_.ShowWarning(
        Format("%s is open in another designer (%s) and cannot be deleted while it is open.", name, holder));
    return;
  }
  if (!messages_.Confirm(Format("Delete project %s? Its files %s.dat and %s.pjx will be removed.", name, name, name)))
    return;
  std::vector<std::string> remaining = lines_;
  remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(row));
  try {
    // The copies a save puts aside go first: a project whose files are
    // missing is read from them, so left behind they would bring it back.
    // Should one of them stay, the project and its row stay whole.
    for (const char* extension : {".pjx.old", ".dat.old", ".pjx.new", ".dat.new", ".saving"})
      RemoveProjectFile(dataDir_ + "/" + name + extension);
    RemoveProjectFile(dataDir_ + "/" + name + ".pjx");
    RemoveProjectFile(dataDir_ + "/" + name + ".dat");
    index_.Rewrite(remaining);
  } catch (const std::runtime_error& error) {
    messages_.ShowError(error.what());
    return;
  }
  lines_ = std::move(remaining);
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
  selected_ = -1;
}

const TIndexEntry* TSystemFilesPresenter::UsableSelection(const char* action) {
  if (selected_ < 0) return nullptr;
  const TIndexEntry& row = rows_[static_cast<size_t>(selected_)];
  if (!IsValidFileName(row.FileName)) {
    messages_.ShowError(InvalidNameMessage(action, row.FileName));
    return nullptr;
  }
  return &row;
}

bool TSystemFilesPresenter::AskNewName(const char* caption, const TNameDialogRunner& runNameDialog) {
  const TIndexEntry& row = rows_[static_cast<size_t>(selected_)];
  nameDialog_.Show(Format("%s %s", caption, row.FileName), row.SiteRef, dataDir_);
  runNameDialog(nameDialog_);
  return nameDialog_.Result() == TModalResult::OK;
}

bool TSystemFilesPresenter::Duplicate(const TNameDialogRunner& runNameDialog, const std::string& today) {
  const TIndexEntry* row = UsableSelection("duplicate");
  if (!row || !AskNewName("Duplicate", runNameDialog)) return false;
  const TIndexEntry copy{row->PanelType, nameDialog_.FileName(), nameDialog_.SiteRef(), today};
  // The new name may be a project another designer is making.
  TProjectLock target(LockPath(dataDir_, copy.FileName));
  if (!LockedNewName(target, copy.FileName)) return false;
  try {
    DuplicateProject(dataDir_, row->FileName, copy, steps_ ? *steps_ : TProjectSteps{});
  } catch (const std::exception& error) {
    messages_.ShowError(ReasonOf(error, "There is not enough memory to duplicate " + row->FileName + "."));
    return false;
  }
  lines_.push_back(IndexLine(copy));
  rows_.push_back(SplitIndexLine(lines_.back()));
  selected_ = static_cast<int>(rows_.size()) - 1;
  return true;
}

bool TSystemFilesPresenter::Rename(const TNameDialogRunner& runNameDialog) {
  const TIndexEntry* row = UsableSelection("rename");
  if (!row) return false;
  if (!openProject_.empty() && SameProjectName(row->FileName, openProject_)) {
    messages_.ShowWarning(
        Format("%s is the project open in the designer and cannot be renamed while it is open. Use Save As to save it "
               "under another name.",
               row->FileName));
    return false;
  }
  // Another designer may have it open: its files must not go from under it.
  // The lock is held until the old files are gone, as for Delete.
  TProjectLock source(LockPath(dataDir_, row->FileName));
  std::string holder;
  if (!LockForChange(source, holder)) {
    messages_.ShowWarning(
        Format("%s is open in another designer (%s) and cannot be renamed while it is open.", row->FileName, holder));
    return false;
  }
  if (!AskNewName("Rename", runNameDialog)) return false;
  const size_t index = static_cast<size_t>(selected_);
  const std::string oldName = row->FileName;
  const TIndexEntry renamed{row->PanelType, nameDialog_.FileName(), nameDialog_.SiteRef(), row->DateCreated};
  TProjectLock target(LockPath(dataDir_, renamed.FileName));
  if (!LockedNewName(target, renamed.FileName)) return false;
  std::string leftOver;
  try {
    lines_ = RenameProject(dataDir_, lines_, index, renamed, leftOver, steps_ ? *steps_ : TProjectSteps{});
  } catch (const std::exception& error) {
    messages_.ShowError(ReasonOf(error, "There is not enough memory to rename " + oldName + "."));
    return false;
  }
  rows_[index] = SplitIndexLine(lines_[index]);
  if (!leftOver.empty())
    messages_.ShowWarning(
        Format("%s is now %s, but its old files could not all be removed: %s", oldName, renamed.FileName, leftOver));
  return true;
}

bool TSystemFilesPresenter::LockedNewName(TProjectLock& lock, const std::string& name) {
  std::string holder;
  if (LockForChange(lock, holder)) return true;
  messages_.ShowWarning(
      Format("%s is open in another designer (%s). Choose another name for the project.", name, holder));
  return false;
}

void TSystemFilesPresenter::New() { Close(TModalResult::New); }

void TSystemFilesPresenter::Cancel() { Close(cancelResult_); }

void TSystemFilesPresenter::Close(TModalResult result) {
  result_ = result;
  if (!rows_.empty()) return;
  try {
    index_.Remove();
  } catch (const std::runtime_error& error) {
    messages_.ShowError(error.what());
  }
}

}  // namespace voltaris
