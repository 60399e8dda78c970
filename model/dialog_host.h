// Where the model must reach the user: a modal dialog or a Yes/No question.
// The designer gives each project the Qt implementation through its
// TProjectContext; tests give it a scripted one.
#pragma once

#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/device_data.h"

namespace voltaris {

class TPowerModule;
class TNetDevice;

class IDialogHost {
 public:
  virtual ~IDialogHost() = default;

  // Runs the load calculator modally on `module`. `lines` holds the load
  // list's lines (line k carries entry k) and comes back as the dialog left
  // it; `filter` is the project's catalogue filter, which the dialog reads
  // and sets as the user works. True when closed with Done, false when
  // cancelled (Cancel, Escape or the close box).
  virtual bool EditLoadList(TPowerModule& module, TLoadLines& lines, TCatalogueFilter& filter) = 0;

  // Runs the set-up (loading) dialog modally on `device`, which it changes
  // live. Returns true when closed with OK; `lines` then holds its load list.
  // Cancelled, the device's figures go back and the project is marked for
  // the rest to go back too (TProjectContext::EditCancelled).
  virtual bool SetUpDevice(TNetDevice& device, TLoadLines& lines) = 0;

  // Asks a question with the buttons Yes and No; true for Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
};

}  // namespace voltaris
