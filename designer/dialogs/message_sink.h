// How the dialog logic reaches the user with a message: the Qt dialogs show
// message boxes, the tests record the texts.
#pragma once

#include <string>

namespace voltaris {

class IMessageSink {
 public:
  virtual ~IMessageSink() = default;

  // An error message box with one OK button.
  virtual void ShowError(const std::string& text) = 0;
  // A warning message box with one OK button.
  virtual void ShowWarning(const std::string& text) = 0;
  // A question with Yes and No, No the default: true for Yes.
  virtual bool Confirm(const std::string& question) = 0;
};

}  // namespace voltaris
