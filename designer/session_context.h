// What the project session may ask of the editor that holds it, beyond what
// every part may (IEditContext): replacing the open project with a new or a
// loaded one and showing it, the undo history's start and saved point, the
// view's reset, and the recovery copies. The designer implements it; the
// session never sees the designer itself, nor the canvas controller's or
// the summary presenter's state.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "designer/edit_context.h"
#include "project_io/project_files.h"

namespace voltaris {

struct TProject;

class ISessionContext : public IEditContext {
 public:
  // --- the open project ---
  // The open project's devices go: an empty canvas.
  virtual void ClearCanvas() = 0;
  // A new, empty project with a control panel of its own; then, once the
  // panel has its type, that type's networks on the canvas.
  virtual void CreateControlPanel() = 0;
  virtual void CreateNetworks() = 0;
  // The summary panel shows a new project's panel `panelName`, no battery chosen yet.
  virtual void ShowNewPanel(const std::string& panelName) = 0;
  // The choices, menus and summary follow the panel's type.
  virtual void UpdatePanelView() = 0;
  // The toolbar, summary panel, canvas and menus show.
  virtual void ShowProject() = 0;
  // Makes `project` the open one, read from files or an image, and shows it
  // under the panel type `panelTypeName`: warnings, summary, network anchors.
  virtual void ShowLoadedProject(std::unique_ptr<TProject> project, const std::string& panelTypeName) = 0;

  // --- the view ---
  // Leaves placing or cloning: the tool goes.
  virtual void DeselectTool() = 0;
  // The canvas scrolls back to its top.
  virtual void ResetView() = 0;
  // The first network shows, as it does before every save.
  virtual void ScrollToFirstNetwork() = 0;

  // --- the undo history ---
  // The open project differs from what was last saved or opened.
  virtual bool IsModified() const = 0;
  // The bytes Save would write for the open project.
  virtual TProjectBytes ProjectImage() = 0;
  // A new history from the open project as it now stands (after New and Load).
  virtual void StartHistory() = 0;
  // A recovered project: its image is the current one and `saved` what its
  // files hold, so that it counts as modified. The copy it came from, in
  // `copyFolder`, becomes the session's own.
  virtual void StartRecoveredHistory(TProjectBytes saved, const std::string& copyFolder) = 0;
  // The open project was saved as `saved`.
  virtual void MarkSaved(TProjectBytes saved) = 0;

  // --- recovery copies ---
  // The folder of every recovery copy.
  virtual const std::string& RecoveryRoot() const = 0;
  // The open project's changes are discarded or saved: its copy goes.
  virtual void DropRecoveryCopy() = 0;
  // A save of `bytes` begins: the copy keeps their stamp until it goes
  // (nothing: the save failed, and the stamp goes).
  virtual void NoteSaving(const std::optional<TProjectBytes>& bytes) = 0;

 protected:
  ~ISessionContext() = default;
};

}  // namespace voltaris
