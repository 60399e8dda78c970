#include "designer/ui/qt_dialog_host.h"

#include <QMessageBox>

#include "calculator/device_picker.h"
#include "calculator/ui/device_picker_dialog.h"
#include "calculator/ui/load_calculator_dialog.h"
#include "designer/designer.h"
#include "designer/ui/loading_dialog.h"
#include "ui/plain_message.h"
#include "ui/qt_text.h"

namespace voltaris {

TQtDialogHost::TQtDialogHost(TDesigner& designer, QWidget* parent) : designer_(designer), parent_(parent) {}

// The dialogs belong to the parent window, which destroys them.
TQtDialogHost::~TQtDialogHost() = default;

void TQtDialogHost::CreateLoadingDialog() {
  if (loading_) return;
  QWidget* parent = parent_;
  loading_ = new TLoadingFrm(
      [this, parent](int32_t panelType, int32_t grade, TDeviceData& entry) {
        TDevicePicker picker;
        picker.SetCaption("Add Devices");
        picker.CurrentGrade = grade;
        picker.MyDevices = myDevices_;
        return picker.ExecuteAdd(panelType, entry, [parent](TDevicePicker& p) { return RunDevicePicker(p, parent); });
      },
      [this] { return designer_.ControlPanel()->PanelType; }, [this] { return designer_.ControlPanel()->GetGrade(); },
      parent_);
}

void TQtDialogHost::CreateLoadCalculatorDialog() {
  if (calculator_) return;
  // The calculator runs as one command of the undo history, which says
  // afterwards whether the project changed; its own mark is not needed.
  calculator_ = new TfrmCalculator([this] { return designer_.ControlPanel()->GetGrade(); }, [] {}, parent_);
  calculator_->SetMyDevices(myDevices_);
}

void TQtDialogHost::SetMyDevices(IMyDevicesStore* store) {
  myDevices_ = store;
  if (calculator_) calculator_->SetMyDevices(store);
}

void TQtDialogHost::DestroyDialogs() {
  delete calculator_;
  calculator_ = nullptr;
  delete loading_;
  loading_ = nullptr;
}

bool TQtDialogHost::EditLoadList(TPowerModule& module, TLoadLines& lines, TCatalogueFilter& filter) {
  CreateLoadCalculatorDialog();
  return calculator_->Edit(module, lines, filter);
}

bool TQtDialogHost::SetUpDevice(TNetDevice& device, TLoadLines& lines) {
  CreateLoadingDialog();
  return loading_->SetUp(device, lines);
}

bool TQtDialogHost::AskYesNo(const std::string& question) {
  const QString text = ToQString(question);
  return PlainMessage(QMessageBox::Question, parent_, QString(), text, QMessageBox::Yes | QMessageBox::No,
                      QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace voltaris
