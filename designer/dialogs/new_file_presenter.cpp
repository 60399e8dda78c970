#include "designer/dialogs/new_file_presenter.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "project_io/file_index.h"

namespace voltaris {

TNewFilePresenter::TNewFilePresenter(std::string dataDir, IMessageSink& messages)
    : dataDir_(std::move(dataDir)), messages_(messages) {}

void TNewFilePresenter::Show() {
  filter_.CurrentGrade = -1;
  filter_.CurrentPanelType = -1;
  FillPanelList(panelTypes_, filter_.CurrentGrade);
  FillGradeList(grades_, -1);
  panelTypeIndex_ = -1;
  gradeIndex_ = -1;
  siteRef_.clear();
  fileName_.clear();
  focus_ = TControl::SiteRef;
  result_ = TModalResult::None;
}

bool TNewFilePresenter::AcceptsSiteRefKey(char c) { return c != ';' && c != '\r' && c != '\n'; }

void TNewFilePresenter::TypeSiteRef(std::string_view keys) {
  for (char c : keys) {
    if (AcceptsSiteRefKey(c)) siteRef_.push_back(c);
  }
}

void TNewFilePresenter::SetSiteRef(std::string_view text) {
  siteRef_.clear();
  TypeSiteRef(text);
}

std::string TNewFilePresenter::PanelTypeText() const {
  return panelTypeIndex_ >= 0 ? panelTypes_[static_cast<size_t>(panelTypeIndex_)] : std::string();
}

void TNewFilePresenter::ChoosePanelType(int index) {
  if (index < 0 || static_cast<size_t>(index) >= panelTypes_.size()) return;
  panelTypeIndex_ = index;
  filter_.CurrentPanelType = FindPanelType(panelTypes_[static_cast<size_t>(index)], filter_.CurrentPanelType);
  FillGradeList(grades_, filter_.CurrentPanelType);
  gradeIndex_ = -1;
  focus_ = TControl::PanelType;
}

void TNewFilePresenter::ChooseGrade(int index) {
  if (index < 0 || static_cast<size_t>(index) >= grades_.size()) return;
  const std::string chosenPanel = PanelTypeText();
  gradeIndex_ = index;
  filter_.CurrentGrade = index + 1;
  FillPanelList(panelTypes_, filter_.CurrentGrade);
  panelTypeIndex_ = -1;
  if (filter_.CurrentPanelType != -1) {
    const auto found = std::find(panelTypes_.begin(), panelTypes_.end(), chosenPanel);
    if (found != panelTypes_.end()) panelTypeIndex_ = static_cast<int>(found - panelTypes_.begin());
  }
  focus_ = TControl::Grade;
}

bool TNewFilePresenter::AcceptsFileNameKey(char c) { return IsFileNameChar(c); }

void TNewFilePresenter::TypeFileName(std::string_view keys) {
  for (char c : keys) {
    if (AcceptsFileNameKey(c)) fileName_.push_back(c);
  }
}

void TNewFilePresenter::SetFileName(std::string_view text) {
  fileName_.clear();
  TypeFileName(text);
}

bool CheckNewFileName(const std::string& dataDir, std::string& fileName, IMessageSink& messages) {
  if (fileName.empty()) {
    messages.ShowError("File name Required");
    return false;
  }
  const auto letterOrDigit = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  };
  if (std::none_of(fileName.begin(), fileName.end(), letterOrDigit)) {
    messages.ShowError("File name needs a letter or a digit");
    return false;
  }
  if (fileName.front() == ' ' || fileName.back() == ' ') {
    messages.ShowError("File name must not start or end with a space");
    return false;
  }
  // Names that differ only in letter case are one file on a Windows disk:
  // asked first, so that the message is the same on every disk.
  if (const std::optional<std::string> other = OtherSpellingOf(dataDir, fileName)) {
    messages.ShowWarning("File name \"" + fileName + "\" already exists as \"" + *other +
                         "\": names that differ only in capitals are the same project");
    fileName.clear();
    return false;
  }
  // A project whose save was cut off is there under the ".old" names alone,
  // which loading reads: its name is taken too.
  std::error_code error;
  const std::string base = dataDir + "/" + fileName;
  if (std::filesystem::exists(base + ".dat", error) || std::filesystem::exists(base + ".dat.old", error) ||
      std::filesystem::exists(base + ".pjx.old", error)) {
    messages.ShowWarning("File name \"" + fileName + "\" already exists");
    fileName.clear();
    return false;
  }
  return true;
}

bool TNewFilePresenter::Ok() {
  if (panelTypeIndex_ < 0) {
    messages_.ShowError("Choose panel type");
    return false;
  }
  if (gradeIndex_ < 0) {
    messages_.ShowError("Select system grade");
    return false;
  }
  const bool named = !fileName_.empty();
  if (!CheckNewFileName(dataDir_, fileName_, messages_)) {
    if (named) focus_ = TControl::FileName;
    return false;
  }
  result_ = TModalResult::OK;
  return true;
}

void TNewFilePresenter::Cancel() {
  // The dialog's choices were its own: the open project's are untouched.
  result_ = cancelResult_;
}

}  // namespace voltaris
