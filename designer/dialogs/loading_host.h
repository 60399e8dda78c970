// What the loading dialog needs from outside itself: the designer's control
// panel (its model and grade), the device picker that adds one load entry,
// and error message boxes. The Qt dialog implements it; tests fake it.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/device_data.h"

namespace voltaris {

class ILoadingHost {
 public:
  virtual ~ILoadingHost() = default;

  // The panel type (row of the panel options table) of the designer's control panel.
  virtual int32_t PanelType() const = 0;
  // The system grade of the designer's control panel.
  virtual int32_t PanelGrade() const = 0;
  // Runs the device picker, captioned "Add Devices", for the load devices of
  // `panelType` at `grade` (the project's CurrentGrade). True when the user
  // confirmed it; `entry` is then filled.
  virtual bool AddDevice(int32_t panelType, int32_t grade, TDeviceData& entry) = 0;
  // An error message box with one OK button.
  virtual void ShowError(const std::string& text) = 0;
};

}  // namespace voltaris
