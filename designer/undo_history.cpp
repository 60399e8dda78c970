#include "designer/undo_history.h"

#include <algorithm>
#include <utility>

namespace voltaris {

TUndoHistory::TUndoHistory(size_t depth) : depth_(std::max<size_t>(depth, 1)) { images_.emplace_back(); }

void TUndoHistory::Reset(TProjectImage image) {
  images_.clear();
  names_.clear();
  saved_ = image;
  images_.push_back(std::move(image));
  current_ = 0;
}

void TUndoHistory::Reset(TProjectImage image, TProjectImage saved) {
  Reset(std::move(image));
  saved_ = std::move(saved);
}

bool TUndoHistory::Record(const std::string& what, TProjectImage image) {
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

void TUndoHistory::MarkSaved(TProjectImage image) {
  // Saved as it stands (the usual case): the saved image shares the current
  // one's blocks, so that telling whether the project is modified compares
  // only the blocks a later command writes.
  if (!(image == images_[current_])) images_[current_] = std::move(image);
  saved_ = images_[current_];
}

size_t TUndoHistory::BytesKept() const {
  // Each image counted beyond the one before it, which shares most of it.
  size_t bytes = 0;
  const TProjectImage none;
  for (size_t i = 0; i < images_.size(); ++i) bytes += images_[i].BytesBeyond(i == 0 ? none : images_[i - 1]);
  if (!images_.empty()) bytes += saved_.BytesBeyond(images_[current_]);
  return bytes;
}

std::string TUndoHistory::UndoName() const { return CanUndo() ? names_[current_ - 1] : std::string(); }

std::string TUndoHistory::RedoName() const { return CanRedo() ? names_[current_] : std::string(); }

const TProjectImage& TUndoHistory::Undo() {
  if (CanUndo()) --current_;
  return images_[current_];
}

const TProjectImage& TUndoHistory::Redo() {
  if (CanRedo()) ++current_;
  return images_[current_];
}

}  // namespace voltaris
