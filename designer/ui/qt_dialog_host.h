// The model's dialogs on screen: the load calculator for a power source's
// load list, the set-up (loading) dialog of a network device with the device
// picker behind its Add button, and Yes/No questions. Both dialogs are
// created once, at start-up, and reused for every showing.
#pragma once

#include <memory>

#include "model/dialog_host.h"

class QWidget;

namespace voltaris {

class IMyDevicesStore;
class TDesigner;
class TfrmCalculator;
class TLoadingFrm;

class TQtDialogHost : public IDialogHost {
 public:
  // The dialogs take the grade and the panel type from the designer's
  // control panel, and a change in the load calculator marks the project
  // modified. `parent` owns the dialogs.
  TQtDialogHost(TDesigner& designer, QWidget* parent);
  ~TQtDialogHost() override;
  TQtDialogHost(const TQtDialogHost&) = delete;
  TQtDialogHost& operator=(const TQtDialogHost&) = delete;

  // The start-up order creates the two dialogs at different times.
  void CreateLoadingDialog();
  void CreateLoadCalculatorDialog();

  // Destroys both dialogs before the designer they refer to.
  void DestroyDialogs();

  // Where the user's own devices are kept: both dialogs' pickers offer them.
  void SetMyDevices(IMyDevicesStore* store);
  TLoadingFrm* LoadingDialog() const { return loading_; }
  TfrmCalculator* LoadCalculatorDialog() const { return calculator_; }

  // IDialogHost
  bool EditLoadList(TPowerModule& module, TLoadLines& lines, TCatalogueFilter& filter) override;
  bool SetUpDevice(TNetDevice& device, TLoadLines& lines) override;
  bool AskYesNo(const std::string& question) override;

 private:
  TDesigner& designer_;
  QWidget* parent_;
  TLoadingFrm* loading_ = nullptr;
  TfrmCalculator* calculator_ = nullptr;
  IMyDevicesStore* myDevices_ = nullptr;
};

}  // namespace voltaris
