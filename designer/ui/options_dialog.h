// The Options dialog: the six settings in their controls. Every rule lives
// in TOptionsPresenter; Run is the dialog step of ExecuteOptions, which
// fills the presenter before and applies it after.
#pragma once

#include <QDialog>

#include "designer/dialogs/options_presenter.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;
class QSpinBox;
class QDoubleSpinBox;

namespace voltaris {

class TOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TOptionsDialog(TOptionsPresenter& presenter, QWidget* parent = nullptr);

  // Shows the presenter's values, runs the dialog modally centred on its
  // parent and, on OK, writes every control back into the presenter and
  // returns true; Cancel returns false. OK with a figure out of its range
  // says the range and keeps the dialog open.
  // Meant as the dialog step of ExecuteOptions:
  //   ExecuteOptions(presenter, [&](TOptionsPresenter&) { return dialog.Run(); });
  bool Run();

 private:
  void Refresh();
  void WriteBack();
  // OK: the controls into the presenter, then close unless it refuses a figure.
  void Confirm();
  void CentreOnParent();

  TOptionsPresenter& presenter_;
  QGroupBox* rgStandard_;
  QButtonGroup* standards_;
  QSpinBox* seAlmTime_;
  QCheckBox* cbShowLength_;
  QSpinBox* seCableRun_;
  QSpinBox* seImpedence_;
  QDoubleSpinBox* seBatteryVolts_;
  QComboBox* cbCable_;
  QComboBox* cbBattDegrade_;
  QCheckBox* cbDefaults_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace voltaris
