// A project held in memory: the canvas with its tiles, which owns the
// project's context (settings, catalogue filter, dialogs, counters), and the
// control panel the tiles refer to. Each project is whole on its own: two of
// them side by side never touch each other's figures.
#pragma once

#include <memory>

#include "model/canvas.h"
#include "model/control_panel.h"

namespace voltaris {

struct TProject {
  // An empty project with these settings; its control panel starts from
  // `palette` (the built-in palette when it is empty).
  explicit TProject(const TSettings& settings = TSettings(), TStringList palette = TStringList());
  TProject(TProject&&) noexcept;
  TProject& operator=(TProject&&) = delete;
  // The tiles go before the panel they refer to, without undoing their links one by one.
  ~TProject();

  TProjectContext& Context() const { return Canvas->Context(); }

  std::unique_ptr<TCanvas> Canvas;
  std::unique_ptr<TControlPanel> ControlPanel;
};

}  // namespace voltaris
