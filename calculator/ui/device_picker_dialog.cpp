#include "calculator/ui/device_picker_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "calculator/ui/column_list.h"
#include "calculator/ui/my_devices_dialog.h"
#include "ui/code_page_validator.h"
#include "ui/figure_box.h"
#include "ui/key_filter.h"
#include "ui/plain_message.h"
#include "ui/qt_text.h"

namespace voltaris {

namespace {

QLabel* MakeLabel(const char* name, const char* text, QWidget* parent) {
  auto* label = new QLabel(QString::fromLatin1(text), parent);
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

// A number field for milliamps per device, typed rather than stepped.
QDoubleSpinBox* MakeCurrentField(const char* name, int decimals, QWidget* parent) {
  auto* field = new TFigureBox(TDevicePicker::MinCustomMilliamps, TDevicePicker::MaxCustomMilliamps, parent);
  field->setObjectName(QString::fromLatin1(name));
  field->setDecimals(decimals);
  field->setButtonSymbols(QAbstractSpinBox::NoButtons);
  field->setAlignment(Qt::AlignRight);
  field->setMinimumWidth(90);
  return field;
}

// Shows `milliamps` unless the field shows it already: rewriting the field
// while the user types in it would move the cursor and reformat the digits.
void ShowNumber(QDoubleSpinBox* field, double milliamps) {
  const double step = std::pow(10.0, -field->decimals());
  if (std::abs(field->value() - milliamps) < step / 2) return;
  const QSignalBlocker blocker(field);
  field->setValue(milliamps);
}

// The description as far as it fits the picker's limit in 8-bit text, so
// that the limit never cuts a character in half.
QString FitDescription(QString text) {
  while (ToStdString(text).size() > TDevicePicker::MaxDescriptionLength) {
    text.chop(1);
    if (!text.isEmpty() && text.back().isHighSurrogate()) text.chop(1);
  }
  return text;
}

}  // namespace

TfrmDevices::TfrmDevices(TDevicePicker& picker, QWidget* parent) : QDialog(parent), picker_(picker) {
  setObjectName(QStringLiteral("frmDevices"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  lbDevice_ = new TColumnList(
      {{"Device Type", 170, false}, {"Grade", 44, true}, {"Quiescent", 80, true}, {"Alarm", 80, true}}, this);
  lbDevice_->setObjectName(QStringLiteral("lbDevice"));
  lbDevice_->setMinimumWidth(lbDevice_->FullWidth());

  gbCustom_ = new QGroupBox(QStringLiteral("Custom Device Data"), this);
  gbCustom_->setObjectName(QStringLiteral("gbCustom"));
  edDesc_ = new QLineEdit(gbCustom_);
  edDesc_->setObjectName(QStringLiteral("edDesc"));
  edDesc_->setMaxLength(static_cast<int>(TDevicePicker::MaxDescriptionLength));
  SayWhenFull(edDesc_);
  RefuseCharactersOutsideCodePage(edDesc_);
  ceNorm_ = MakeCurrentField("ceNorm", 0, gbCustom_);
  ceAlarm_ = MakeCurrentField("ceAlarm", 3, gbCustom_);

  auto* custom = new QGridLayout(gbCustom_);
  custom->setHorizontalSpacing(8);
  custom->addWidget(MakeLabel("lbDesc", "Description:", gbCustom_), 0, 0);
  custom->addWidget(edDesc_, 0, 1, 1, 3);
  custom->addWidget(MakeLabel("lbNorm", "Quiescent:", gbCustom_), 1, 0);
  custom->addWidget(ceNorm_, 1, 1);
  custom->addWidget(MakeLabel("lbAmps1", "mA", gbCustom_), 1, 2);
  custom->addWidget(MakeLabel("lbAlarm", "In Alarm:", gbCustom_), 2, 0);
  custom->addWidget(ceAlarm_, 2, 1);
  // The field takes milliamps like the quiescent one (its fraction is
  // dropped), so its unit reads mA too.
  custom->addWidget(MakeLabel("lbAmps2", "mA", gbCustom_), 2, 2);
  cbAddToMine_ = new QCheckBox(QStringLiteral("Add to my devices"), gbCustom_);
  cbAddToMine_->setObjectName(QStringLiteral("cbAddToMine"));
  cbAddToMine_->setToolTip(
      QStringLiteral("Keep this device among your own, offered in every project after the catalogue's"));
  custom->addWidget(cbAddToMine_, 3, 1, 1, 3);
  custom->setColumnStretch(3, 1);
  // Without a place to keep them there is nothing to add to.
  cbAddToMine_->setVisible(picker_.MyDevices != nullptr);

  lbMyDevicesProblem_ = new QLabel(this);
  lbMyDevicesProblem_->setObjectName(QStringLiteral("lbMyDevicesProblem"));
  lbMyDevicesProblem_->setWordWrap(true);
  lbMyDevicesProblem_->setStyleSheet(QStringLiteral("color: #a00000"));

  seQty_ = new TWholeFigureBox(TDevicePicker::MinQuantity, TDevicePicker::MaxQuantity, this);
  seQty_->setObjectName(QStringLiteral("seQty"));
  seQty_->setAlignment(Qt::AlignRight);
  seQty_->setMinimumWidth(70);
  auto* qtyLabel = new QLabel(QStringLiteral("No of Devices:"), this);
  qtyLabel->setBuddy(seQty_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("BitBtn1"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BitBtn2"));

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(qtyLabel);
  bottom->addWidget(seQty_);
  bottom->addStretch(1);
  if (picker_.MyDevices) {
    auto* manage = new QPushButton(QStringLiteral("My Devices..."), this);
    manage->setObjectName(QStringLiteral("btnMyDevices"));
    manage->setAutoDefault(false);
    bottom->addWidget(manage);
    connect(manage, &QPushButton::clicked, this, &TfrmDevices::ManageMyDevices);
  }
  bottom->addWidget(buttons);

  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(12, 12, 12, 12);
  root->setSpacing(10);
  root->addWidget(lbDevice_, 1);
  root->addWidget(lbMyDevicesProblem_);
  root->addWidget(gbCustom_);
  root->addLayout(bottom);

  connect(lbDevice_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { LineClicked(lbDevice_->indexOfTopLevelItem(item)); });
  // Moving the selection with the keyboard chooses a line just as a click does.
  connect(lbDevice_, &QTreeWidget::itemSelectionChanged, this, [this] {
    const int line = lbDevice_->SelectedLine();
    if (line >= 0) LineClicked(line);
  });
  connect(edDesc_, &QLineEdit::textEdited, this, [this](const QString& text) {
    picker_.SetDescription(ToStdString(FitDescription(text)));
    Refresh();
  });
  connect(ceNorm_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    picker_.SetCustomQuiescent(value);
    Refresh();
  });
  connect(ceAlarm_, &QDoubleSpinBox::valueChanged, this, [this](double value) {
    picker_.SetCustomAlarm(value);
    Refresh();
  });
  connect(cbAddToMine_, &QCheckBox::toggled, this, [this](bool ticked) {
    picker_.SetAddToMyDevices(ticked);
    Refresh();
  });
  connect(seQty_, &QSpinBox::valueChanged, this, [this](int value) {
    picker_.SetQuantity(value);
    Refresh();
  });
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    // A figure out of its range is refused, with the range; the dialog stays.
    for (QAbstractSpinBox* box : std::initializer_list<QAbstractSpinBox*>{seQty_, ceNorm_, ceAlarm_})
      box->interpretText();
    const std::string refusal = picker_.Refusal();
    if (refusal.empty()) {
      // The device may still be refused as one of my devices, or be taken
      // while my devices could not be written: either is said.
      const TDevicePicker::TOkResult ok = picker_.PressOk();
      if (!ok.Message.empty()) PlainMessage(QMessageBox::Warning, this, windowTitle(), ToQString(ok.Message));
      if (ok.Close) {
        accept();
      } else {
        edDesc_->setFocus();
        edDesc_->selectAll();
      }
      return;
    }
    PlainMessage(QMessageBox::Warning, this, windowTitle(), ToQString(refusal));
    QAbstractSpinBox* box = seQty_;
    if (TDevicePicker::QuantityRange.Holds(picker_.Quantity()))
      box = TDevicePicker::CurrentRange.Holds(picker_.CustomQuiescent()) ? ceAlarm_ : ceNorm_;
    box->setFocus();
    box->selectAll();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  resize(428, 447);
  Refresh();
  lbDevice_->setFocus();
}

void TfrmDevices::ManageMyDevices() {
  if (!picker_.MyDevices) return;
  if (RunMyDevicesDialog(*picker_.MyDevices, this)) {
    picker_.ReloadMyDevices();
    Refresh();
  }
}

void TfrmDevices::LineClicked(int index) {
  picker_.ClickLine(index);
  Refresh();
}

void TfrmDevices::Refresh() {
  setWindowTitle(ToQString(picker_.Caption()));
  {
    const QSignalBlocker blocker(lbDevice_);
    lbDevice_->SetLines(picker_.Lines());
    if (lbDevice_->SelectedLine() != picker_.Selected()) lbDevice_->SelectLine(picker_.Selected());
    lbDevice_->MarkLines(picker_.FirstMyDeviceLine(), picker_.MyDeviceCount(), QStringLiteral("My device"));
  }
  const QString problem = ToQString(picker_.MyDevicesProblem());
  lbMyDevicesProblem_->setText(problem.isEmpty() ? QString()
                                                 : QStringLiteral("My devices are not all offered: ") + problem);
  lbMyDevicesProblem_->setVisible(!problem.isEmpty());
  if (cbAddToMine_->isChecked() != picker_.AddToMyDevices()) {
    const QSignalBlocker blocker(cbAddToMine_);
    cbAddToMine_->setChecked(picker_.AddToMyDevices());
  }
  gbCustom_->setEnabled(picker_.CustomEnabled());
  const QString description = ToQString(picker_.Description());
  if (edDesc_->text() != description) {
    const QSignalBlocker blocker(edDesc_);
    const int cursor = edDesc_->cursorPosition();
    edDesc_->setText(description);
    edDesc_->setCursorPosition(std::min(cursor, static_cast<int>(description.size())));
  }
  ShowNumber(ceNorm_, picker_.CustomQuiescent());
  ShowNumber(ceAlarm_, picker_.CustomAlarm());
  if (seQty_->value() != picker_.Quantity()) {
    const QSignalBlocker blocker(seQty_);
    seQty_->setValue(picker_.Quantity());
  }
}

bool RunDevicePicker(TDevicePicker& picker, QWidget* parent) {
  TfrmDevices dialog(picker, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace voltaris
