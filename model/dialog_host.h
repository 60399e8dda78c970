// Where the model must reach the user: a modal dialog or a Yes/No question.
// The designer installs the Qt implementation; tests install a scripted one.
#pragma once

#include <string>

#include "catalogue/device_data.h"

namespace voltaris {

class TPowerModule;
class TNetDevice;

class IDialogHost {
 public:
  virtual ~IDialogHost() = default;

  // Runs the load calculator modally on `module`. `lines` holds the load
  // list's lines (line k carries entry k) and comes back as the dialog left it.
  virtual void EditLoadList(TPowerModule& module, TLoadLines& lines) = 0;

  // Runs the set-up (loading) dialog modally on `device`, which it changes
  // live. Returns true when closed with OK; `lines` then holds its load list.
  virtual bool SetUpDevice(TNetDevice& device, TLoadLines& lines) = 0;

  // Asks a question with the buttons Yes and No; true for Yes.
  virtual bool AskYesNo(const std::string& question) = 0;
};

// The installed host, or null (then dialogs are skipped and questions answered No).
IDialogHost* DialogHost();
void SetDialogHost(IDialogHost* host);

// Installs a host for the lifetime of the object, restoring the previous one.
class ScopedDialogHost {
 public:
  explicit ScopedDialogHost(IDialogHost& host) : previous_(DialogHost()) { SetDialogHost(&host); }
  ~ScopedDialogHost() { SetDialogHost(previous_); }
  ScopedDialogHost(const ScopedDialogHost&) = delete;
  ScopedDialogHost& operator=(const ScopedDialogHost&) = delete;

 private:
  IDialogHost* previous_;
};

}  // namespace voltaris
