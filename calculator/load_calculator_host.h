// What the load calculator needs from outside itself: the designer's control
// panel, the main window's modified flag, the device picker dialog and message
// boxes. The Qt layer implements it; tests fake it.
#pragma once

#include <cstdint>
#include <string>

namespace voltaris {

class IMyDevicesStore;
class TDevicePicker;

// The look of a Yes/No message box.
enum class TQuestionKind {
  Error,         // an error box: something the user asked for has a consequence to accept
  Confirmation,  // a confirmation box: "are you sure?"
};

class ILoadCalculatorHost {
 public:
  virtual ~ILoadCalculatorHost() = default;

  // The grade of the designer's control panel; new load entries are offered
  // for it.
  virtual int32_t DesignerGrade() const = 0;
  // Marks the open project as changed.
  virtual void MarkModified() = 0;
  // Shows the device picker modally, bound to `picker`; true for OK.
  virtual bool RunDevicePicker(TDevicePicker& picker) = 0;
  // Where the user's own devices are kept, offered by the device picker;
  // none offers none.
  virtual IMyDevicesStore* MyDevices() { return nullptr; }
  // Asks `question` with the buttons Yes and No; true for Yes.
  virtual bool AskYesNo(const std::string& question, TQuestionKind kind) = 0;
};

}  // namespace voltaris
