// The undo history of the open project. Each step is the project's file
// image (the bytes Save would write, in blocks that the images share where
// their records did not change) after a command, named for the menu
// ("Undo Delete Keypad"); undoing hands back the image before it, which the
// designer reads back through the same path as Load. Since Save and Load are
// byte-exact, a restored project is the one the user had, figure for figure.
//
// The history also knows the image last saved or opened, so that the project
// counts as modified exactly when its image differs from that one.
#pragma once

#include <cstddef>
#include <deque>
#include <string>

#include "project_io/project_files.h"

namespace voltaris {

class TUndoHistory {
 public:
  static constexpr size_t DefaultDepth = 100;

  explicit TUndoHistory(size_t depth = DefaultDepth);

  // A project was created or opened: no steps, and `image` is both the
  // current and the saved image.
  void Reset(TProjectImage image);
  // A project was recovered: no steps, `image` is the current image and
  // `saved` the one its files hold (empty when it has none), so that it
  // counts as modified.
  void Reset(TProjectImage image, TProjectImage saved);
  // A command named `what` left the project as `image`. A command that
  // changed nothing adds no step. Any steps that were undone are dropped;
  // beyond the depth the oldest step goes. True when a step was added.
  bool Record(const std::string& what, TProjectImage image);
  // The project was saved as `image`, which becomes the saved image and the
  // current one.
  void MarkSaved(TProjectImage image);

  bool CanUndo() const { return current_ > 0; }
  bool CanRedo() const { return current_ + 1 < images_.size(); }
  // The name of the step Undo or Redo would take; empty when there is none.
  std::string UndoName() const;
  std::string RedoName() const;
  // Steps back or forward; the image to restore. Only when CanUndo / CanRedo.
  const TProjectImage& Undo();
  const TProjectImage& Redo();

  const TProjectImage& Current() const { return images_[current_]; }
  // The current image differs from the one last saved or opened.
  bool Modified() const { return !SameImage(images_[current_], saved_); }
  size_t UndoCount() const { return current_; }
  size_t RedoCount() const { return images_.size() - 1 - current_; }
  size_t Depth() const { return depth_; }

  static bool SameImage(const TProjectImage& a, const TProjectImage& b) { return a == b; }
  static bool SameImage(const TProjectBytes& a, const TProjectBytes& b) { return a.Dat == b.Dat && a.Pjx == b.Pjx; }
  // At most the bytes the history keeps: each image's blocks that the image
  // before it does not share, and the saved image's beyond the current one.
  size_t BytesKept() const;

 private:
  size_t depth_;
  // images_[0] is the oldest image kept; names_[i] is the command that led
  // from images_[i] to images_[i + 1].
  std::deque<TProjectImage> images_;
  std::deque<std::string> names_;
  size_t current_ = 0;
  TProjectImage saved_;
};

}  // namespace voltaris
