// The load calculator dialog: the modal editor of one power module's grade,
// battery, AC-fail choice and load list, with the module's live figures.
// It binds its controls to a TLoadCalculator, forwards the user's actions to
// it and redisplays its view after each; it is also the calculator's host
// (designer grade, modified flag, device picker, Yes/No questions).
//
// One dialog serves every opening: the designer creates it at start-up and
// calls Edit() for each module whose load list is to be edited.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

#include "calculator/load_calculator.h"
#include "calculator/load_calculator_host.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace voltaris {

class TColumnList;

class TfrmCalculator : public QDialog, public ILoadCalculatorHost {
  Q_OBJECT

 public:
  // `designerGrade` gives the grade of the designer's control panel;
  // `markModified` marks the open project as changed.
  TfrmCalculator(std::function<int32_t()> designerGrade, std::function<void()> markModified, QWidget* parent = nullptr);

  // Runs the dialog modally on `module` and the lines of its load list, which
  // it edits in place; returns when the user closes it: true for Done,
  // false for Cancel, Escape or the close box (the caller then puts the
  // project back).
  bool Edit(TPowerModule& module, TLoadLines& lines, TCatalogueFilter& filter);

  int32_t DesignerGrade() const override;
  void MarkModified() override;
  bool RunDevicePicker(TDevicePicker& picker) override;
  IMyDevicesStore* MyDevices() override { return myDevices_; }
  // Where the user's own devices are kept, offered by the picker; none by default.
  void SetMyDevices(IMyDevicesStore* store) { myDevices_ = store; }
  bool AskYesNo(const std::string& question, TQuestionKind kind) override;

 private:
  QWidget* MakeTitle();
  QWidget* MakeGradeGroup();
  QWidget* MakePanelGroup();
  QWidget* MakeDevicesGroup();
  QWidget* MakeReportGroup();
  QLabel* MakeValue(const char* name, QWidget* parent);
  void ConnectControls();
  // Runs a user's action on the calculator, then shows the result.
  void Forward(const std::function<void()>& action);
  // Sets every control from the calculator's view without running the
  // handlers meant for the user's changes.
  void Refresh();
  void CentreOnScreen();

  std::function<int32_t()> designerGrade_;
  std::function<void()> markModified_;
  IMyDevicesStore* myDevices_ = nullptr;
  TLoadCalculator calculator_{*this};

  QLabel* Label14_ = nullptr;
  QComboBox* cbGrade_ = nullptr;
  QComboBox* cbPanelType_ = nullptr;
  QComboBox* cbBatteryType_ = nullptr;
  QLineEdit* edLabel_ = nullptr;
  QLabel* labelCaption_ = nullptr;
  QCheckBox* cbSigACFail_ = nullptr;
  QLabel* lbPeriod_ = nullptr;
  QLabel* lbPSU_ = nullptr;
  QLabel* lbBattCurrent_ = nullptr;
  QLabel* lbPeakCurrent_ = nullptr;
  QLabel* lbRatedOP_ = nullptr;
  QLabel* lbCapacityNeeded_ = nullptr;
  QLabel* lbRecommendedBattery_ = nullptr;
  QLabel* lbRecharge_ = nullptr;
  TColumnList* lbDevices_ = nullptr;
  QPushButton* btnAdd_ = nullptr;
  QPushButton* btnEdit_ = nullptr;
  QPushButton* btnDelete_ = nullptr;
  QLabel* lbCPNomI_ = nullptr;
  QLabel* lbCPAlarmI_ = nullptr;
  QLabel* TotNomI_ = nullptr;
  QLabel* TotAlarmI_ = nullptr;
  QLabel* lbReqStandby_ = nullptr;
  QLabel* lbActStandby_ = nullptr;
  QLabel* lbReqPeakCur_ = nullptr;
  QLabel* lbActPeak_ = nullptr;
  QPushButton* Button1_ = nullptr;
  QPushButton* Button2_ = nullptr;
};

}  // namespace voltaris
