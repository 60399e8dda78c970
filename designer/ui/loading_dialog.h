// The loading dialog on screen: the set-up window of one network device. It
// shows what TLoadingPresenter holds and forwards every user action to it;
// the device changes live while the dialog is open.
//
// One dialog is created at start-up and reused: IDialogHost::SetUpDevice
// calls SetUp, which runs it modally on the device.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>

#include "catalogue/device_data.h"
#include "designer/dialogs/loading_presenter.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace voltaris {

class TNetDevice;

class TLoadingFrm : public QDialog {
  Q_OBJECT

 public:
  // Runs the device picker for one new load entry of `panelType` at `grade`;
  // true when the user confirmed it, `entry` then filled. The caller
  // captions the picker "Add Devices".
  using TAddDevice = std::function<bool(int32_t panelType, int32_t grade, TDeviceData& entry)>;

  // `panelType` and `panelGrade` give the designer's control panel as it is
  // when the dialog opens and when "Add" is pressed.
  TLoadingFrm(TAddDevice addDevice, std::function<int32_t()> panelType, std::function<int32_t()> panelGrade,
              QWidget* parent = nullptr);
  ~TLoadingFrm() override;

  // Runs the dialog modally on `device`. True for OK, with the list's lines
  // (each carrying its entry) in `lines`; false for Cancel, `lines` untouched.
  bool SetUp(TNetDevice& device, TLoadLines& lines);

  const TLoadingPresenter& Presenter() const { return presenter_; }

 public slots:
  // OK first applies the field being edited; a refused field keeps the dialog open.
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  class Host;

  void BuildControls();
  // Every control from the presenter's view.
  void Refresh();
  // The details part, the window height and the buttons' places.
  void RefreshDetails();
  // A window made larger than its layout gives the room to the list, and
  // the buttons below it move down (and right) with its edge.
  void FitToWindow();
  // Applies the number field that has the focus, as leaving it would; false
  // when its text was refused.
  bool CommitFocusedField();
  bool FieldOf(QObject* object, TLoadingField& field) const;

  std::unique_ptr<Host> host_;
  TLoadingPresenter presenter_;

  QLabel* label18_ = nullptr;
  QComboBox* cbDevType_ = nullptr;
  QComboBox* cbCable_ = nullptr;
  QLineEdit* location_ = nullptr;
  QLabel* label4_ = nullptr;
  QLabel* label5_ = nullptr;
  QLabel* label8_ = nullptr;
  QLabel* label9_ = nullptr;
  QLabel* label16_ = nullptr;
  QLabel* label17_ = nullptr;
  QLabel* lbQuiescentMargin_ = nullptr;
  QLabel* lbAlarmMargin_ = nullptr;
  QLabel* lbLongestCable_ = nullptr;
  QLabel* lbOnBatteryCaption_ = nullptr;
  QLabel* lbOnBattery_ = nullptr;
  QLabel* lbLongestOnBattery_ = nullptr;
  QLabel* lbDoubledCores_ = nullptr;
  QLabel* label1_ = nullptr;
  QLineEdit* edits_[6] = {};  // Edit1 .. Edit6
  QFrame* panel1_ = nullptr;
  QFrame* panel2_ = nullptr;
  QPushButton* detailBtn_ = nullptr;
  QPushButton* button3_ = nullptr;
  QPushButton* button4_ = nullptr;
  QTreeWidget* lbDevices_ = nullptr;
  QPushButton* button1_ = nullptr;
  QPushButton* button2_ = nullptr;
  // The places the layout gives, at the window's own size.
  QSize listSize_;
  int addTop_ = 0;
  int okLeft_ = 0;
  int cancelLeft_ = 0;
  int layoutHeight_ = 0;  // the height the details part last asked for
};

}  // namespace voltaris
