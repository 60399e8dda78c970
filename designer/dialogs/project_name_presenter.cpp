#include "designer/dialogs/project_name_presenter.h"

#include <utility>

#include "designer/dialogs/new_file_presenter.h"

namespace voltaris {

TProjectNamePresenter::TProjectNamePresenter(std::string dataDir, IMessageSink& messages)
    : dataDir_(std::move(dataDir)), messages_(messages) {}

void TProjectNamePresenter::Show(std::string caption, std::string_view siteRef, std::string dataDir) {
  caption_ = std::move(caption);
  dataDir_ = std::move(dataDir);
  SetSiteRef(siteRef);
  fileName_.clear();
  focus_ = TControl::FileName;
  result_ = TModalResult::None;
}

void TProjectNamePresenter::TypeSiteRef(std::string_view keys) {
  for (char c : keys) {
    if (TNewFilePresenter::AcceptsSiteRefKey(c)) siteRef_.push_back(c);
  }
}

void TProjectNamePresenter::SetSiteRef(std::string_view text) {
  siteRef_.clear();
  TypeSiteRef(text);
}

void TProjectNamePresenter::TypeFileName(std::string_view keys) {
  for (char c : keys) {
    if (TNewFilePresenter::AcceptsFileNameKey(c)) fileName_.push_back(c);
  }
}

void TProjectNamePresenter::SetFileName(std::string_view text) {
  fileName_.clear();
  TypeFileName(text);
}

bool TProjectNamePresenter::Ok() {
  if (!CheckNewFileName(dataDir_, fileName_, messages_)) {
    focus_ = TControl::FileName;
    return false;
  }
  result_ = TModalResult::OK;
  return true;
}

}  // namespace voltaris
