#include "designer/ui/options_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/code_page_validator.h"
#include "ui/figure_box.h"
#include "ui/plain_message.h"
#include "ui/qt_text.h"

namespace voltaris {

namespace {

QSpinBox* NewSpinBox(const char* name, int minimum, int maximum, QWidget* parent) {
  auto* spin = new TWholeFigureBox(minimum, maximum, parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setAlignment(Qt::AlignRight);
  spin->setMinimumWidth(80);
  return spin;
}

QLabel* NewLabel(const QString& text, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

TOptionsDialog::TOptionsDialog(TOptionsPresenter& presenter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint),
      presenter_(presenter),
      rgStandard_(new QGroupBox(tr("System Standard"), this)),
      standards_(new QButtonGroup(this)),
      seAlmTime_(NewSpinBox("seAlmTime", TOptionsPresenter::MinAlarmPeriod, TOptionsPresenter::MaxAlarmPeriod, this)),
      cbShowLength_(new QCheckBox(tr("Show Cabel Lengths"), this)),
      seCableRun_(NewSpinBox("seCableRun", TOptionsPresenter::MinCableRun, TOptionsPresenter::MaxCableRun, this)),
      seImpedence_(NewSpinBox("seImpedence", TOptionsPresenter::MinImpedance, TOptionsPresenter::MaxImpedance, this)),
      seBatteryVolts_(new TFigureBox(MinBatteryVolts, MaxBatteryVolts, this)),
      cbCable_(new QComboBox(this)),
      cbBattDegrade_(new QComboBox(this)),
      cbDefaults_(new QCheckBox(tr("Set as Defaults"), this)),
      btnOK_(new QPushButton(tr("OK"), this)),
      btnCancel_(new QPushButton(tr("Cancel"), this)) {
  setWindowTitle(QStringLiteral("Options"));
  setObjectName(QStringLiteral("OptionsDialog"));
  rgStandard_->setObjectName(QStringLiteral("rgStandard"));
  cbShowLength_->setObjectName(QStringLiteral("cbShowLength"));
  cbBattDegrade_->setObjectName(QStringLiteral("cbBattDegrade"));
  cbDefaults_->setObjectName(QStringLiteral("cbDefaults"));
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));

  // The radio positions are the standards: 0 EN50131-1, 1 PD6662.
  auto* en50131 = new QRadioButton(QStringLiteral("EN50131-1"), rgStandard_);
  auto* pd6662 = new QRadioButton(QStringLiteral("PD6662"), rgStandard_);
  en50131->setObjectName(QStringLiteral("rbEN50131"));
  pd6662->setObjectName(QStringLiteral("rbPD6662"));
  standards_->addButton(en50131, 0);
  standards_->addButton(pd6662, 1);
  auto* standardLayout = new QVBoxLayout(rgStandard_);
  standardLayout->addWidget(en50131);
  standardLayout->addWidget(pd6662);
  standardLayout->addStretch();

  auto* alarmGroup = new QGroupBox(tr("Alarm Period (Bell Duration)"), this);
  alarmGroup->setObjectName(QStringLiteral("gbAlarmPeriod"));
  auto* alarmLayout = new QHBoxLayout(alarmGroup);
  alarmLayout->addWidget(NewLabel(tr("Time:"), seAlmTime_, alarmGroup));
  alarmLayout->addWidget(seAlmTime_);
  alarmLayout->addWidget(new QLabel(tr("minutes"), alarmGroup));
  alarmLayout->addStretch();

  cbBattDegrade_->setEditable(true);
  RefuseCharactersOutsideCodePage(cbBattDegrade_);
  cbBattDegrade_->setInsertPolicy(QComboBox::NoInsert);
  for (const char* item : TOptionsPresenter::DegradeItems) cbBattDegrade_->addItem(QString::fromLatin1(item));
  cbBattDegrade_->setMinimumWidth(80);

  auto* parameters = new QGroupBox(tr("Parameters"), this);
  parameters->setObjectName(QStringLiteral("gbParameters"));
  auto* grid = new QGridLayout(parameters);
  grid->setColumnStretch(3, 1);
  grid->addWidget(cbShowLength_, 0, 0, 1, 3);
  grid->addWidget(NewLabel(tr("Default Cable Run"), seCableRun_, parameters), 1, 0);
  grid->addWidget(seCableRun_, 1, 1);
  grid->addWidget(new QLabel(tr("Meters"), parameters), 1, 2);
  grid->addWidget(NewLabel(tr("Cable Impedence"), seImpedence_, parameters), 2, 0);
  grid->addWidget(seImpedence_, 2, 1);
  grid->addWidget(new QLabel(tr("Ohms/100 M"), parameters), 2, 2);
  // The common cables by name: each fills in its loop resistance.
  cbCable_->setObjectName(QStringLiteral("cbCable"));
  for (const std::string& item : TOptionsPresenter::CableItems()) cbCable_->addItem(ToQString(item));
  cbCable_->setToolTip(tr("The resistance of the whole loop, out and back, per 100 m of the cable"));
  grid->addWidget(cbCable_, 2, 3);
  connect(cbCable_, &QComboBox::activated, this, [this](int index) {
    presenter_.SetImpedance(seImpedence_->value());
    presenter_.ChooseCable(index);
    const QSignalBlocker blocker(seImpedence_);
    seImpedence_->setValue(presenter_.Impedance());
  });
  connect(seImpedence_, &QSpinBox::valueChanged, this, [this](int value) {
    presenter_.SetImpedance(value);
    const QSignalBlocker blocker(cbCable_);
    cbCable_->setCurrentIndex(presenter_.CableIndex());
  });
  grid->addWidget(NewLabel(tr("Battery Degredation %"), cbBattDegrade_, parameters), 3, 0);
  grid->addWidget(cbBattDegrade_, 3, 1);
  // The checks on battery work every device's voltage from this.
  seBatteryVolts_->setObjectName(QStringLiteral("seBatteryVolts"));
  seBatteryVolts_->setDecimals(2);
  seBatteryVolts_->setSingleStep(0.1);
  seBatteryVolts_->setAlignment(Qt::AlignRight);
  seBatteryVolts_->setMinimumWidth(80);
  grid->addWidget(NewLabel(tr("Battery volts on mains failure"), seBatteryVolts_, parameters), 4, 0);
  grid->addWidget(seBatteryVolts_, 4, 1);
  grid->addWidget(new QLabel(tr("V"), parameters), 4, 2);

  auto* top = new QHBoxLayout;
  top->addWidget(rgStandard_, 1);
  top->addWidget(alarmGroup, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(cbDefaults_);
  buttons->addStretch();
  buttons->addWidget(btnOK_);
  buttons->addWidget(btnCancel_);
  btnOK_->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(parameters);
  layout->addSpacing(4);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  connect(btnOK_, &QPushButton::clicked, this, &TOptionsDialog::Confirm);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool TOptionsDialog::Run() {
  Refresh();
  CentreOnParent();
  return exec() == QDialog::Accepted;
}

void TOptionsDialog::Confirm() {
  WriteBack();
  // A figure out of its range is refused, with the range, and its box
  // takes the focus; the dialog stays open.
  if (const auto refusal = presenter_.Refusal()) {
    PlainMessage(QMessageBox::Warning, this, windowTitle(), ToQString(refusal->Text));
    QAbstractSpinBox* box = seBatteryVolts_;
    if (refusal->Box == TOptionsPresenter::TBox::AlarmPeriod) box = seAlmTime_;
    if (refusal->Box == TOptionsPresenter::TBox::CableRun) box = seCableRun_;
    if (refusal->Box == TOptionsPresenter::TBox::Impedance) box = seImpedence_;
    box->setFocus();
    box->selectAll();
    return;
  }
  accept();
}

void TOptionsDialog::Refresh() {
  {
    // With no standard (a setting that is neither) no button is pressed.
    const QSignalBlocker blocker(standards_);
    standards_->setExclusive(false);
    for (QAbstractButton* button : standards_->buttons()) {
      button->setChecked(standards_->id(button) == presenter_.StandardIndex());
    }
    standards_->setExclusive(true);
  }
  const QSignalBlocker almTime(seAlmTime_);
  seAlmTime_->setValue(presenter_.AlarmPeriod());
  const QSignalBlocker showLength(cbShowLength_);
  cbShowLength_->setChecked(presenter_.ShowLength());
  const QSignalBlocker cableRun(seCableRun_);
  seCableRun_->setValue(presenter_.CableRun());
  const QSignalBlocker impedance(seImpedence_);
  seImpedence_->setValue(presenter_.Impedance());
  const QSignalBlocker cable(cbCable_);
  cbCable_->setCurrentIndex(presenter_.CableIndex());
  const QSignalBlocker batteryVolts(seBatteryVolts_);
  seBatteryVolts_->setValue(presenter_.BatteryVolts());
  const QSignalBlocker degrade(cbBattDegrade_);
  cbBattDegrade_->setCurrentIndex(presenter_.DegradeIndex());
  cbBattDegrade_->setEditText(ToQString(presenter_.DegradeText()));
  const QSignalBlocker defaults(cbDefaults_);
  cbDefaults_->setChecked(presenter_.SetAsDefaults());
}

void TOptionsDialog::WriteBack() {
  // A number typed but not yet confirmed counts, as the user sees it.
  for (QAbstractSpinBox* spin :
       std::initializer_list<QAbstractSpinBox*>{seAlmTime_, seCableRun_, seImpedence_, seBatteryVolts_})
    spin->interpretText();
  presenter_.SetStandardIndex(standards_->checkedId());
  presenter_.SetAlarmPeriod(seAlmTime_->value());
  presenter_.SetShowLength(cbShowLength_->isChecked());
  presenter_.SetCableRun(seCableRun_->value());
  presenter_.SetImpedance(seImpedence_->value());
  presenter_.SetBatteryVolts(seBatteryVolts_->value());
  presenter_.SetDegradeText(ToStdString(cbBattDegrade_->currentText()));
  presenter_.SetSetAsDefaults(cbDefaults_->isChecked());
}

void TOptionsDialog::CentreOnParent() {
  adjustSize();
  const QWidget* over = parentWidget() ? parentWidget()->window() : nullptr;
  if (over == nullptr || !over->isVisible()) return;  // Qt centres it on the screen
  QRect frame = frameGeometry();
  frame.moveCenter(over->frameGeometry().center());
  move(frame.topLeft());
}

}  // namespace voltaris
