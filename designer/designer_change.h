// What changed in the designer's state, for the window to refresh: the bits
// of TDesigner::OnChanged, told by whichever part of the designer changed it.
#pragma once

namespace voltaris {

enum TDesignerChange : unsigned {
  ChangedSummary = 1u << 0,  // the summary panel's figures and choices
  ChangedErrors = 1u << 1,   // the warning list
  ChangedToolbar = 1u << 2,  // which toolbar buttons show
  ChangedMenus = 1u << 3,    // menu states, "Clone to" items, network labels
  ChangedCaption = 1u << 4,  // the window caption
  ChangedStatusText = 1u << 5,
  ChangedLayout = 1u << 6,      // which regions show, the canvas cursor
  ChangedDevices = 1u << 7,     // the list of devices attached to the panel
  ChangedScroll = 1u << 8,      // the canvas scroll position
  ChangedProject = 1u << 9,     // a new project and canvas: every tile view is rebuilt
  ChangedSelection = 1u << 10,  // the selected tile
};

}  // namespace voltaris
