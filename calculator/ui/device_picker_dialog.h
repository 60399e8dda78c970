// The device picker dialog: the catalogue lines for the current panel type
// and grade, the custom device fields and the quantity, bound to a
// TDevicePicker that holds what they show.
#pragma once

#include <QDialog>

#include "calculator/device_picker.h"

class QCheckBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace voltaris {

class TColumnList;

class TfrmDevices : public QDialog {
  Q_OBJECT

 public:
  // `picker` has built its list already (ExecuteAdd / ExecuteEdit do that
  // before they run the dialog) and must outlive the dialog.
  TfrmDevices(TDevicePicker& picker, QWidget* parent);

 private:
  void LineClicked(int index);
  // The My Devices dialog, then the list again with what it kept.
  void ManageMyDevices();
  // Sets every control from the picker without running the handlers meant
  // for the user's changes.
  void Refresh();

  TDevicePicker& picker_;
  TColumnList* lbDevice_ = nullptr;
  QGroupBox* gbCustom_ = nullptr;
  QLineEdit* edDesc_ = nullptr;
  QDoubleSpinBox* ceNorm_ = nullptr;
  QDoubleSpinBox* ceAlarm_ = nullptr;
  QSpinBox* seQty_ = nullptr;
  QCheckBox* cbAddToMine_ = nullptr;
  QLabel* lbMyDevicesProblem_ = nullptr;
};

// Shows the device picker modally, bound to `picker`; true when the user
// closed it with OK. This is the TPickerRun of the Qt front end.
bool RunDevicePicker(TDevicePicker& picker, QWidget* parent);

}  // namespace voltaris
