#include "designer/undo_history.h"

#include <algorithm>
#include <utility>

namespace voltaris {

TUndoHistory::TUndoHistory(size_t depth) : depth_(std::max<size_t>(depth, 1)) { images_.emplace_back(); }

void TUndoHistory::Reset(TProjectBytes image) {
  images_.clear();
  names_.clear();
  saved_ = image;
  images_.push_back(std::move(image));
  current_ = 0;
}

void TUndoHistory::Reset(TProjectBytes image, TProjectBytes saved) {
  Reset(std::move(image));
  saved_ = std::move(saved);
}

bool TUndoHistory::Record(const std::string& what, TProjectBytes image) {
  if (SameImage(image, images_[current_])) return false;
  images_.erase(images_.begin() + static_cast<std::ptrdiff_t>(current_) + 1, images_.end());
  names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(current_), names_.end());
  images_.push_back(std::move(image));
  names_.push_back(what);
  if (names_.size() > depth_) {
    images_.pop_front();
    names_.pop_front();
  }
  current_ = images_.size() - 1;
  return true;
}

void TUndoHistory::MarkSaved(TProjectBytes image) {
  saved_ = image;
  images_[current_] = std::move(image);
}

std::string TUndoHistory::UndoName() const { return CanUndo() ? names_[current_ - 1] : std::string(); }

std::string TUndoHistory::RedoName() const { return CanRedo() ? names_[current_] : std::string(); }

const TProjectBytes& TUndoHistory::Undo() {
  if (CanUndo()) --current_;
  return images_[current_];
}

const TProjectBytes& TUndoHistory::Redo() {
  if (CanRedo()) ++current_;
  return images_[current_];
}

}  // namespace voltaris
