#include "calculator/ui/load_calculator_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <utility>

#include "calculator/ui/column_list.h"
#include "calculator/ui/device_picker_dialog.h"
#include "ui/code_page_validator.h"
#include "ui/plain_message.h"
#include "ui/qt_text.h"
#include "ui/widget_values.h"

namespace voltaris {

namespace {

// Widths of the load list's columns; the totals line up under the last two.
constexpr int QtyWidth = 35;
constexpr int NameWidth = 160;
constexpr int GradeWidth = 44;
constexpr int CurrentWidth = 80;
constexpr int LineHeight = 16;

QLabel* MakeCaption(const char* text, QWidget* parent) { return new QLabel(QString::fromLatin1(text), parent); }

QPushButton* MakeButton(const char* name, const char* text, QWidget* parent) {
  auto* button = new QPushButton(QString::fromLatin1(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

// A drop-down list: the user chooses among its items and cannot type.
QComboBox* MakeDropDown(const char* name, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setEditable(false);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(11);
  return box;
}

void ShowValue(QLabel* label, const TValueLabel& value) {
  label->setText(ToQString(value.Text));
  SetTextColour(label, value.Colour);
}

QGroupBox* MakeGroup(const char* title, QWidget* parent) {
  return new QGroupBox(QString::fromLatin1(title), parent);
}

}  // namespace

TfrmCalculator::TfrmCalculator(std::function<int32_t()> designerGrade, std::function<void()> markModified,
                               QWidget* parent)
    : QDialog(parent), designerGrade_(std::move(designerGrade)), markModified_(std::move(markModified)) {
  setObjectName(QStringLiteral("frmCalculator"));
  // A system menu and a minimise button; the close box closes like Cancel.
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);

  auto* left = new QVBoxLayout;
  left->setSpacing(8);
  left->addWidget(MakeTitle());
  left->addWidget(MakeGradeGroup());
  left->addWidget(MakePanelGroup());
  left->addStretch(1);

  Button1_ = MakeButton("Button1", "Done", this);
  Button2_ = MakeButton("Button2", "Cancel", this);
  Button1_->setDefault(true);
  auto* closeButtons = new QHBoxLayout;
  closeButtons->addStretch(1);
  closeButtons->addWidget(Button1_);
  closeButtons->addWidget(Button2_);

  auto* right = new QVBoxLayout;
  right->setSpacing(8);
  right->addWidget(MakeDevicesGroup(), 1);
  right->addWidget(MakeReportGroup());
  right->addLayout(closeButtons);

  auto* root = new QHBoxLayout(this);
  root->setContentsMargins(10, 10, 10, 10);
  root->setSpacing(10);
  root->addLayout(left, 0);
  root->addLayout(right, 1);

  ConnectControls();
  resize(800, 459);
  Refresh();
}

QWidget* TfrmCalculator::MakeTitle() {
  auto* frame = new QFrame(this);
  frame->setFrameShape(QFrame::StyledPanel);
  frame->setFrameShadow(QFrame::Sunken);
  Label14_ = new QLabel(QStringLiteral("  Control Panel"), frame);
  Label14_->setObjectName(QStringLiteral("Label14"));
  QFont font = Label14_->font();
  font.setPixelSize(31);
  font.setBold(true);
  Label14_->setFont(font);
  auto* layout = new QHBoxLayout(frame);
  layout->setContentsMargins(8, 4, 8, 4);
  layout->addWidget(Label14_);
  return frame;
}

QWidget* TfrmCalculator::MakeGradeGroup() {
  QGroupBox* group = MakeGroup("1 - System Grade", this);
  cbGrade_ = MakeDropDown("cbGrade", group);
  auto* layout = new QHBoxLayout(group);
  auto* caption = MakeCaption("Grade:", group);
  caption->setBuddy(cbGrade_);
  layout->addWidget(caption);
  layout->addWidget(cbGrade_);
  layout->addStretch(1);
  return group;
}

QLabel* TfrmCalculator::MakeValue(const char* name, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

QWidget* TfrmCalculator::MakePanelGroup() {
  QGroupBox* group = MakeGroup("2 - Panel/PSU Data", this);
  cbPanelType_ = MakeDropDown("cbPanelType", group);
  cbPanelType_->setEnabled(false);  // display only
  cbBatteryType_ = MakeDropDown("cbBatteryType", group);
  edLabel_ = new QLineEdit(group);
  edLabel_->setObjectName(QStringLiteral("edLabel"));
  edLabel_->setMaxLength(static_cast<int>(MaxSupplyLabel));
  edLabel_->setPlaceholderText(QStringLiteral("where it is, e.g. Plant room"));
  edLabel_->setToolTip(QStringLiteral("The supply's name on its tile, in the warnings and in the documents"));
  RefuseCharactersOutsideCodePage(edLabel_);
  cbSigACFail_ = new QCheckBox(QStringLiteral("AC Fail Signalled to ARC"), group);
  cbSigACFail_->setObjectName(QStringLiteral("cbSigACFail"));
  lbPeriod_ = MakeValue("lbPeriod", group);
  lbPSU_ = MakeValue("lbPSU", group);
  lbBattCurrent_ = MakeValue("lbBattCurrent", group);
  lbPeakCurrent_ = MakeValue("lbPeakCurrent", group);
  lbRatedOP_ = MakeValue("lbRatedOP", group);
  lbCapacityNeeded_ = MakeValue("lbCapacityNeeded", group);
  lbRecommendedBattery_ = MakeValue("lbRecommendedBattery", group);
  lbRecharge_ = MakeValue("lbRecharge", group);

  auto* layout = new QGridLayout(group);
  layout->setHorizontalSpacing(8);
  layout->setVerticalSpacing(7);
  int row = 0;
  const auto addRow = [&](const char* caption, QWidget* value) {
    auto* label = MakeCaption(caption, group);
    label->setBuddy(value);
    layout->addWidget(label, row, 0);
    layout->addWidget(value, row, 1);
    ++row;
  };
  addRow("Label:", edLabel_);
  labelCaption_ = static_cast<QLabel*>(layout->itemAtPosition(row - 1, 0)->widget());
  addRow("Model/Type:", cbPanelType_);
  addRow("Battery Size:", cbBatteryType_);
  addRow("Recharge to 80%:", lbRecharge_);
  layout->addWidget(cbSigACFail_, row++, 0, 1, 2);
  addRow("Required Standby Time:", lbPeriod_);
  addRow("Total PSU Output:", lbPSU_);
  addRow("Battery Charging Current: ", lbBattCurrent_);
  addRow("Peak Available Current:", lbPeakCurrent_);
  addRow("Continuous Rated Output:", lbRatedOP_);
  addRow("Capacity Needed:", lbCapacityNeeded_);
  addRow("Recommended Battery:", lbRecommendedBattery_);
  layout->setColumnStretch(1, 1);
  return group;
}

QWidget* TfrmCalculator::MakeDevicesGroup() {
  QGroupBox* group = MakeGroup("3 - Attached Devices", this);
  lbDevices_ = new TColumnList({{"Qty", QtyWidth, true},
                                {"Device Type", NameWidth, false},
                                {"Grade", GradeWidth, true},
                                {"Quiescent", CurrentWidth, true},
                                {"Alarm", CurrentWidth, true}},
                               group);
  lbDevices_->setObjectName(QStringLiteral("lbDevices"));
  lbDevices_->SetLineHeight(LineHeight);
  lbDevices_->setFixedWidth(lbDevices_->FullWidth());

  btnAdd_ = MakeButton("btnAdd", "Add", group);
  btnEdit_ = MakeButton("btnEdit", "Edit", group);
  btnDelete_ = MakeButton("btnDelete", "Delete", group);
  lbCPNomI_ = MakeValue("lbCPNomI", group);
  lbCPAlarmI_ = MakeValue("lbCPAlarmI", group);
  TotNomI_ = MakeValue("TotNomI", group);
  TotAlarmI_ = MakeValue("TotAlarmI", group);

  // The totals sit under the list's current columns, centred like them.
  auto* totals = new QGridLayout;
  totals->setHorizontalSpacing(0);
  totals->setVerticalSpacing(2);
  const int captionWidth = lbDevices_->frameWidth() + QtyWidth + NameWidth + GradeWidth;
  totals->setColumnMinimumWidth(0, captionWidth);
  totals->setColumnMinimumWidth(1, CurrentWidth);
  totals->setColumnMinimumWidth(2, CurrentWidth);
  totals->setColumnStretch(3, 1);
  const auto addTotals = [&](int row, const char* caption, QLabel* quiescent, QLabel* alarm) {
    auto* label = MakeCaption(caption, group);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setContentsMargins(0, 0, 6, 0);
    quiescent->setAlignment(Qt::AlignCenter);
    alarm->setAlignment(Qt::AlignCenter);
    quiescent->setFixedWidth(CurrentWidth);
    alarm->setFixedWidth(CurrentWidth);
    totals->addWidget(label, row, 0);
    totals->addWidget(quiescent, row, 1);
    totals->addWidget(alarm, row, 2);
  };
  addTotals(0, "Control Panel:", lbCPNomI_, lbCPAlarmI_);
  addTotals(1, "Totals:", TotNomI_, TotAlarmI_);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnAdd_);
  buttons->addWidget(btnEdit_);
  buttons->addWidget(btnDelete_);
  buttons->addStretch(1);

  auto* layout = new QVBoxLayout(group);
  layout->setSpacing(6);
  layout->addWidget(lbDevices_, 1);
  layout->addLayout(totals);
  layout->addLayout(buttons);
  return group;
}

QWidget* TfrmCalculator::MakeReportGroup() {
  QGroupBox* group = MakeGroup("4 - System Report", this);
  lbReqStandby_ = MakeValue("lbReqStandby", group);
  lbActStandby_ = MakeValue("lbActStandby", group);
  lbReqPeakCur_ = MakeValue("lbReqPeakCur", group);
  lbActPeak_ = MakeValue("lbActPeak", group);
  // Nothing writes the comments; they keep their design text.
  auto* lbSbNotes = MakeCaption("None", group);
  lbSbNotes->setObjectName(QStringLiteral("lbSbNotes"));
  auto* lbPeakNotes = MakeCaption("None", group);
  lbPeakNotes->setObjectName(QStringLiteral("lbPeakNotes"));

  auto* layout = new QGridLayout(group);
  layout->setHorizontalSpacing(14);
  layout->setVerticalSpacing(5);
  int column = 0;
  for (const char* heading : {"Requirement", "Actual", "Comments"}) {
    auto* label = MakeCaption(heading, group);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    layout->addWidget(label, 0, column++);
  }
  layout->addWidget(lbReqStandby_, 1, 0);
  layout->addWidget(lbActStandby_, 1, 1);
  layout->addWidget(lbSbNotes, 1, 2);
  layout->addWidget(lbReqPeakCur_, 2, 0);
  layout->addWidget(lbActPeak_, 2, 1);
  layout->addWidget(lbPeakNotes, 2, 2);
  layout->setColumnMinimumWidth(0, 200);
  layout->setColumnMinimumWidth(1, 100);
  layout->setColumnStretch(2, 1);
  return group;
}

void TfrmCalculator::ConnectControls() {
  connect(cbGrade_, &QComboBox::currentIndexChanged, this,
          [this](int position) { Forward([&] { calculator_.cbGradeChange(position); }); });
  connect(cbBatteryType_, &QComboBox::currentIndexChanged, this,
          [this](int position) { Forward([&] { calculator_.cbBatteryTypeChange(position); }); });
  // Refreshed without rewriting the field, so that the cursor stays put.
  connect(edLabel_, &QLineEdit::textEdited, this,
          [this](const QString& text) { calculator_.EditLabel(ToStdString(text)); });
  connect(cbSigACFail_, &QCheckBox::clicked, this,
          [this](bool ticked) { Forward([&] { calculator_.cbSigACFailClick(ticked); }); });
  connect(lbDevices_, &QTreeWidget::itemSelectionChanged, this,
          [this] { Forward([&] { calculator_.SelectLine(lbDevices_->SelectedLine()); }); });
  connect(btnAdd_, &QPushButton::clicked, this, [this] { Forward([&] { calculator_.btnAddClick(); }); });
  connect(btnEdit_, &QPushButton::clicked, this, [this] { Forward([&] { calculator_.btnEditClick(); }); });
  connect(btnDelete_, &QPushButton::clicked, this, [this] { Forward([&] { calculator_.btnDeleteClick(); }); });
  connect(Button1_, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2_, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmCalculator::Forward(const std::function<void()>& action) {
  action();
  Refresh();
}

void TfrmCalculator::Refresh() {
  const TCalculatorView& view = calculator_.View();
  setWindowTitle(ToQString(view.Caption));
  Label14_->setText(ToQString(view.Title));
  ShowItems(cbPanelType_, {view.PanelTypeText}, 0);
  ShowItems(cbGrade_, view.GradeItems, view.GradeIndex);
  cbGrade_->setEnabled(view.GradeEnabled);
  ShowItems(cbBatteryType_, view.BatteryItems, view.BatteryIndex);
  edLabel_->setVisible(view.LabelShown);
  labelCaption_->setVisible(view.LabelShown);
  if (edLabel_->text() != ToQString(view.Label)) edLabel_->setText(ToQString(view.Label));
  {
    const QSignalBlocker blocker(cbSigACFail_);
    cbSigACFail_->setChecked(view.ACFailChecked);
    cbSigACFail_->setEnabled(view.ACFailEnabled);
  }

  ShowValue(lbPeriod_, view.lbPeriod);
  ShowValue(lbPSU_, view.lbPSU);
  ShowValue(lbBattCurrent_, view.lbBattCurrent);
  ShowValue(lbPeakCurrent_, view.lbPeakCurrent);
  ShowValue(lbRatedOP_, view.lbRatedOP);
  ShowValue(lbCPNomI_, view.lbCPNomI);
  ShowValue(lbCPAlarmI_, view.lbCPAlarmI);
  ShowValue(TotNomI_, view.TotNomI);
  ShowValue(TotAlarmI_, view.TotAlarmI);
  ShowValue(lbReqStandby_, view.lbReqStandby);
  ShowValue(lbActStandby_, view.lbActStandby);
  ShowValue(lbReqPeakCur_, view.lbReqPeakCur);
  ShowValue(lbActPeak_, view.lbActPeak);
  ShowValue(lbCapacityNeeded_, view.lbCapacityNeeded);
  ShowValue(lbRecommendedBattery_, view.lbRecommendedBattery);
  ShowValue(lbRecharge_, view.lbRecharge);

  {
    const QSignalBlocker blocker(lbDevices_);
    TStringList lines;
    for (const TLoadLine& line : calculator_.Lines()) lines.push_back(line.Text);
    lbDevices_->SetLines(lines);
    if (lbDevices_->SelectedLine() != view.SelectedLine) lbDevices_->SelectLine(view.SelectedLine);
    lbDevices_->setEnabled(view.DevicesEnabled);
  }
  btnAdd_->setEnabled(view.AddEnabled);
  btnEdit_->setEnabled(view.EditEnabled);
  btnDelete_->setEnabled(view.DeleteEnabled);
}

bool TfrmCalculator::Edit(TPowerModule& module, TLoadLines& lines, TCatalogueFilter& filter) {
  // The calculator lets go of the module and the lines however the dialog ends.
  struct CloseOnExit {
    TLoadCalculator& calculator;
    ~CloseOnExit() { calculator.Close(); }
  } closeOnExit{calculator_};
  calculator_.Open(module, lines, filter);
  Refresh();
  CentreOnScreen();
  Button1_->setFocus();
  return exec() == QDialog::Accepted;
}

void TfrmCalculator::CentreOnScreen() {
  QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect frame(QPoint(), size());
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

int32_t TfrmCalculator::DesignerGrade() const { return designerGrade_ ? designerGrade_() : -1; }

void TfrmCalculator::MarkModified() {
  if (markModified_) markModified_();
}

bool TfrmCalculator::RunDevicePicker(TDevicePicker& picker) { return voltaris::RunDevicePicker(picker, this); }

bool TfrmCalculator::AskYesNo(const std::string& question, TQuestionKind kind) {
  QString text = ToQString(question);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  const bool error = kind == TQuestionKind::Error;
  QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Question,
                  error ? QStringLiteral("Error") : QStringLiteral("Confirm"), text,
                  QMessageBox::Yes | QMessageBox::No, this);
  MakePlain(box);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace voltaris
