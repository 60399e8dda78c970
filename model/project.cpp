#include "model/project.h"

namespace voltaris {

TProject::TProject(const TSettings& settings, TStringList palette) : Canvas(std::make_unique<TCanvas>(settings)) {
  Canvas->Context().Palette = std::move(palette);
  ControlPanel = std::make_unique<TControlPanel>(Canvas->Context());
}

TProject::TProject(TProject&&) noexcept = default;

TProject::~TProject() {
  if (ControlPanel) ControlPanel->ReleaseTiles();
  // The canvas is emptied first and goes last: the panel refers to its context.
  if (Canvas) Canvas->Clear();
  ControlPanel.reset();
  Canvas.reset();
}

}  // namespace voltaris
