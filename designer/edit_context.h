// What a part of the editor (the canvas controller, the summary presenter)
// may ask of the editor that holds it: the open project, running a command
// as one step of the undo history, telling the window what changed, and the
// status bar. The designer implements it; a part never sees the designer
// itself, nor another part's state.
#pragma once

#include <functional>
#include <string>

namespace voltaris {

class TCanvas;
class TControlPanel;
struct TProjectContext;

class IEditContext {
 public:
  // The status text while no placing is under way.
  static constexpr const char* SelectComponentText = "Select Component From Toolbar";

  // A project is open: its toolbar, summary panel and canvas show.
  virtual bool IsProjectOpen() const = 0;
  // The open project (an empty one until New or Load): its canvas, context and panel.
  virtual TCanvas& Canvas() const = 0;
  virtual TProjectContext& Context() const = 0;
  virtual TControlPanel* ControlPanel() const = 0;

  // Runs a command that may change the project and records it in the undo
  // history as one step named `what` (when it changed anything).
  virtual void RunCommand(const std::string& what, const std::function<void()>& command) = 0;
  // Part of the state changed (TDesignerChange bits): the window follows.
  virtual void Notify(unsigned changes) = 0;
  // The status bar's text, told with `alsoChanged` in one notification.
  virtual void ShowStatus(const std::string& text, unsigned alsoChanged = 0) = 0;
  // The toolbar follows the open project's panel and grade.
  virtual void UpdateToolbar() = 0;

 protected:
  ~IEditContext() = default;
};

}  // namespace voltaris
