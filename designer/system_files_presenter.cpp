#include "designer/system_files_presenter.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "catalogue/byte_stream.h"
#include "catalogue/format.h"

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

}  // namespace

TSystemFilesPresenter::TSystemFilesPresenter(std::string dataDir, IMessageSink& messages)
    : dataDir_(std::move(dataDir)), index_(dataDir_), messages_(messages) {}

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
  if (!messages_.Confirm(Format("Delete project %s? Its files %s.dat and %s.pjx will be removed.", name, name, name)))
    return;
  std::vector<std::string> remaining = lines_;
  remaining.erase(remaining.begin() + static_cast<std::ptrdiff_t>(row));
  try {
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
