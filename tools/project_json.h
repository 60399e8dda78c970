// A loaded project as one JSON object: the settings, the control panel's
// figures, the live warnings, every tile with what the designer shows of it,
// the design advice and the parts list.
#pragma once

#include <nlohmann/json.hpp>

#include "model/canvas.h"
#include "model/control_panel.h"
#include "model/settings.h"

namespace voltaris {

// Every tile's SaveIndex is set to its position in the save order on the way.
nlohmann::json ProjectJson(const TSettings& settings, TControlPanel& panel, TCanvas& canvas);

}  // namespace voltaris
