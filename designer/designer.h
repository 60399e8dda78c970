// The designer: the one open project (control panel, canvas and tiles) and
// the parts of the main window's logic that work on it, each with its own
// state and commands:
// - the project session (designer/project_session.h): New, Load, Save, Exit,
//   the question whether to save, the file names and the caption;
// - the summary presenter (designer/summary_presenter.h): the summary
//   panel's figures and choices, the warnings, the attached devices;
// - the canvas controller (designer/canvas_controller.h): placing, pressing,
//   dragging, dropping, cloning, Tidy-Up, snapping, the networks' sections
//   and the scroll position.
// The designer owns the project and the parts, builds a project's panel and
// networks for them, holds the toolbar and menu state and the status text,
// runs Options and Report, and tells the window what changed through one
// signal. The Qt window binds its widgets to the parts' state and forwards
// the user's actions to them; a test drives them the same way with a
// scripted host.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "designer/canvas_controller.h"
#include "designer/designer_change.h"
#include "designer/designer_host.h"
#include "designer/dialogs/options_presenter.h"
#include "designer/dialogs/project_details_presenter.h"
#include "designer/project_session.h"
#include "designer/session_context.h"
#include "designer/summary_presenter.h"
#include "designer/undo_history.h"
#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/project.h"
#include "model/signal.h"
#include "storage/recovery.h"
#include "storage/settings_store.h"

namespace voltaris {

class IDialogHost;

class TDesigner : public ISessionContext {
 public:
  static constexpr int NetworkCountMax = TCanvasController::NetworkCountMax;
  static constexpr int ToolButtonCount = 20;  // 19 device types, then the supply
  static constexpr int PSUButton = 19;

  // `workingDir` is the directory the program started in; the data
  // directory is `workingDir` + "/Data".
  TDesigner(IDesignerHost& host, ISettingsStore& store, const std::string& workingDir);
  ~TDesigner();
  TDesigner(const TDesigner&) = delete;
  TDesigner& operator=(const TDesigner&) = delete;

  // --- the parts ---
  TProjectSession& Session() { return session_; }
  TSummaryPresenter& SummaryPanel() { return summary_; }
  TCanvasController& CanvasControl() { return canvas_; }

  // --- the project ---
  // Makes `project` the open one and lets the parts follow it; the old one goes.
  void AdoptProject(std::unique_ptr<TProject> project);
  void ClearCanvas() override;
  void CreateControlPanel() override;
  void CreateNetworks() override;
  void UpdatePanelView() override;
  void UpdateToolbar() override;
  // The open project shows: the toolbar its panel offers, the summary panel,
  // the canvas, and the Options, Arrange and Report menus.
  void ShowProject() override;
  void ShowNewPanel(const std::string& panelName) override;
  // Makes `project` the open project and shows it, under the open project's
  // names: Load after reading the files, Undo and Redo after reading an image.
  void ShowLoadedProject(std::unique_ptr<TProject> project, const std::string& panelTypeName) override;
  void DeselectTool() override { canvas_.DeselectTool(); }
  void ResetView() override;
  void ScrollToFirstNetwork() override { canvas_.ScrollToFirstNetwork(); }
  // The status bar's text.
  void ShowStatus(const std::string& text, unsigned alsoChanged = 0) override;

  // --- commands and their undo ---
  // Runs a command that may change the project and records it in the undo
  // history as one step named `what` (when it changed anything). A command
  // run inside another is part of the outer one's step. A command whose
  // dialog the user cancelled (TProjectContext::EditCancelled) leaves the
  // project as it was and records nothing.
  void RunCommand(const std::string& what, const std::function<void()>& command) override;
  // The bytes Save would write for the open project.
  TProjectBytes ProjectImage() override;
  TUndoHistory& History() { return history_; }
  // Every file image the history takes, written in part from what the
  // commands touched, is compared with one written afresh, and a difference
  // is a fault in the program (LinkMisuse). On in a debug build; the
  // designer's and the window's test fixtures switch it on.
#ifdef NDEBUG
  bool CheckImages = false;
#else
  bool CheckImages = true;
#endif
  bool IsModified() const override { return history_.Modified(); }
  // Edit > Undo and Redo: the project goes back to (or forward to) the image
  // of the step, read back as Load reads it; the view stays where it is.
  void Undo();
  void Redo();
  // "Undo <what>" and "Redo <what>", or just "Undo" / "Redo" with nothing to do.
  std::string UndoText() const;
  std::string RedoText() const;
  // A new history from the open project as it now stands (after New and Load).
  void StartHistory() override;
  // The open project was saved as `saved`: that image is the saved one.
  void MarkSaved(TProjectBytes saved) override;
  // A recovered project: its image is the current one and `saved` what its
  // files hold (empty without files), so that it counts as modified.
  void StartRecoveredHistory(TProjectBytes saved, const std::string& copyFolder) override;

  // --- recovery copies ---
  // The folder of every recovery copy: "Recovery" beside the Data folder.
  const std::string& RecoveryRoot() const override { return recoveryRoot_; }
  // The open project's copy folder (empty while no project is open).
  const std::string& RecoveryFolder() const { return recoveryFolder_; }
  TRecoveryWriter& RecoveryWriter() { return *recovery_; }
  // Replaces the writer (tests give one with a shorter interval).
  void SetRecoveryWriter(std::unique_ptr<TRecoveryWriter> writer);
  // The open project's changes are discarded or saved: its copy goes.
  void DropRecoveryCopy() override;
  void NoteSaving(const std::optional<TProjectBytes>& bytes) override;

  // --- menus ---
  void Options();
  void Report();
  // File > "Project Details...": the dialog edits a copy of the details,
  // which OK gives the project as one step of the undo history.
  void ProjectDetails();
  TProjectDetailsPresenter& ProjectDetailsDialog() { return details_; }
  // The report text: the system report's lines, then the "Design Advice"
  // block, each line ended by CR LF.
  std::string ReportText();

  IDesignerHost& Host() const { return host_; }
  // The open project (an empty one until New or Load), its canvas, context and panel.
  TProject& Project() const { return *project_; }
  TCanvas& Canvas() const override { return *project_->Canvas; }
  TProjectContext& Context() const override { return project_->Context(); }
  TControlPanel* ControlPanel() const override { return project_->ControlPanel.get(); }
  bool IsProjectOpen() const override { return ProjectOpen; }
  // The dialogs through which the model reaches the user, given to every
  // project the designer opens.
  void SetDialogHost(IDialogHost* host);

  // Part of the state changed (TDesignerChange bits). ChangedProject is told
  // at once when the project is replaced, before anything else.
  TSignal<TDesigner, unsigned> OnChanged;
  // Tells OnChanged; every part tells its changes through it.
  void Notify(unsigned changes) override;
  TOptionsPresenter& OptionsDialog() { return options_; }

  // --- state (read by the window) ---
  bool ShowLengthChanged = false;
  std::string StatusText = "No Component Selected";
  bool ProjectOpen = false;           // toolbar, summary panel and canvas show
  bool CanvasEnabled = false;
  bool OptionsEnabled = false;
  bool ArrangeEnabled = false;
  bool ReportEnabled = false;
  std::array<bool, ToolButtonCount> ToolButtonVisible{};

 private:
  IDesignerHost& host_;
  IDialogHost* dialogHost_ = nullptr;
  std::string workingDir_;
  TProjectSession session_;
  TSummaryPresenter summary_;
  TCanvasController canvas_;
  TOptionsPresenter options_;
  TProjectDetailsPresenter details_;
  std::unique_ptr<TProject> project_;
  TUndoHistory history_;
  int commandDepth_ = 0;
  std::string recoveryRoot_;
  std::string recoveryFolder_;
  std::string recoveryOf_;  // the project recoveryFolder_ is for: folder and name
  bool copyOffered_ = false;
  std::unique_ptr<TRecoveryWriter> recovery_;
  std::string lastRecoveryError_;
  std::string probedFolder_;    // the copy folder last found writable, or not, before its first copy
  uint64_t copiesWritten_ = 0;  // the writer's count when last looked at

  // Hands the current image to the recovery writer while the project is
  // modified, and drops the copy once it no longer is.
  void KeepRecoveryCopy();
  // The copy folder follows the open project's names.
  void FollowRecoveryFolder(const std::string& copyFolder = std::string());

  void FinishCommand(const std::string& what);
  // A dialog of the command was cancelled: the project is put back as it
  // was before the command, and no step is recorded.
  void DiscardCommand();
  void RunOptions();
  void Restore(const TProjectImage& image);
  // The project's file image, written in part (see WriteProjectImage).
  TProjectImage TakeImage();
};

}  // namespace voltaris
