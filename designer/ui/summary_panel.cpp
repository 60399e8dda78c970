#include "designer/ui/summary_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "designer/guidance.h"
#include "ui/qt_text.h"
#include "ui/widget_values.h"

namespace voltaris {

namespace {

void ShowText(QLabel* label, const TSummaryText& text) {
  label->setText(ToQString(text.Text));
  SetTextColour(label, text.Colour);
}

QFrame* Separator(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::VLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

QLabel* Heading(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont font = label->font();
  font.setBold(true);
  label->setFont(font);
  return label;
}

QFormLayout* CompactForm() {
  auto* form = new QFormLayout;
  form->setContentsMargins(0, 0, 0, 0);
  form->setHorizontalSpacing(10);
  form->setVerticalSpacing(3);
  form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  return form;
}

// The meanings of the status lights as a small table, each with its colour.
QString LegendText() {
  QString rows;
  for (const TLightMeaning& light : LightLegend()) {
    rows += QString("<tr><td><span style=\"color:%1\">&#9679;</span> <b>%2</b></td><td>%3</td><td>%4</td></tr>")
                .arg(QString(light.Name).toLower(), light.Name, light.OnDevice, light.OnSupply);
  }
  return "<table cellspacing=\"2\"><tr><th></th><th align=\"left\">Device</th><th align=\"left\">Supply</th></tr>" +
         rows + "</table>";
}

}  // namespace

TSummaryPanel::TSummaryPanel(QWidget* parent) : QFrame(parent) {
  setObjectName("Panel1");
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Raised);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(8, 6, 8, 6);
  layout->setSpacing(10);
  layout->addWidget(CreateNavigation(), 5);
  layout->addWidget(Separator(this));
  layout->addWidget(CreateFigures(), 5);
  layout->addWidget(Separator(this));
  layout->addWidget(CreateChoices(), 6);
  layout->addWidget(Separator(this));
  layout->addWidget(CreateDevices(), 5);
  hide();
}

QWidget* TSummaryPanel::CreateNavigation() {
  auto* block = new QWidget(this);
  auto* column = new QVBoxLayout(block);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(3);
  column->addWidget(Heading("Network Status and Navigation", block));
  auto* grid = new QGridLayout;
  grid->setContentsMargins(4, 0, 0, 0);
  grid->setHorizontalSpacing(24);
  grid->setVerticalSpacing(1);
  for (int i = 0; i < TDesigner::NetworkCountMax; ++i) {
    auto* label = new QLabel(QString("<a href=\"#\">Network %1</a>").arg(i + 1), block);
    label->setObjectName(QString("lbNet%1").arg(i + 1));
    label->setTextInteractionFlags(Qt::NoTextInteraction);
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(QString("Show network %1 on the canvas").arg(i + 1));
    label->installEventFilter(this);
    label->hide();
    netLabels_[static_cast<size_t>(i)] = label;
    grid->addWidget(label, i % 4, i / 4);
  }
  // The legend of the lights, beside the links, where it takes no width of its own.
  legend_ = new QLabel("<a href=\"#\">Lights</a>", block);
  legend_->setObjectName("lbLegend");
  legend_->setTextInteractionFlags(Qt::NoTextInteraction);
  legend_->setCursor(Qt::PointingHandCursor);
  legend_->setToolTip("<p><b>What the status lights mean</b></p>" + LegendText() +
                      "<p>Click for the guide's page on the lights.</p>");
  legend_->installEventFilter(this);
  legend_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  legend_->setAlignment(Qt::AlignRight | Qt::AlignTop);
  grid->addWidget(legend_, 0, 2);
  grid->setColumnStretch(2, 1);
  column->addLayout(grid);
  errors_ = new QListWidget(block);
  errors_->setObjectName("lbErrors");
  errors_->setSelectionMode(QAbstractItemView::NoSelection);
  errors_->setFocusPolicy(Qt::NoFocus);
  errors_->setMinimumHeight(44);
  errors_->setWordWrap(true);
  errors_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  errors_->setCursor(Qt::PointingHandCursor);
  errors_->setToolTip("Click a warning to show the devices or supplies it is about; click again for the next");
  connect(errors_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { emit WarningClicked(errors_->row(item)); });
  column->addWidget(errors_, 1);
  // The checks the light does not show: the voltages on battery and the
  // recharge time. A click points at the tiles concerned.
  checks_ = new QLabel(block);
  checks_->setObjectName("lbChecks");
  checks_->setWordWrap(true);
  checks_->setTextFormat(Qt::RichText);
  checks_->setToolTip("Click to show the devices or supplies concerned; click again for the next");
  checks_->hide();
  connect(checks_, &QLabel::linkActivated, this, [this] { emit ChecksClicked(); });
  column->addWidget(checks_);
  return block;
}

QLabel* TSummaryPanel::AddValue(QFormLayout* form, const char* caption, const char* name) {
  auto* value = new QLabel(form->parentWidget());
  value->setObjectName(name);
  // Wide enough for the longest text a figure shows ("Select Battery").
  value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("Select Battery")) + 4);
  SetTextColour(value, ColourBlue);
  form->addRow(caption, value);
  return value;
}

QWidget* TSummaryPanel::CreateFigures() {
  auto* block = new QWidget(this);
  auto* column = new QVBoxLayout(block);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  auto* heading = new QLabel("Panel Type", block);
  QFont headingFont = heading->font();
  headingFont.setPointSizeF(headingFont.pointSizeF() * 1.5);
  headingFont.setBold(true);
  headingFont.setUnderline(true);
  heading->setFont(headingFont);
  column->addWidget(heading);
  panel_ = new QLabel(block);
  panel_->setObjectName("lbPanel");
  QFont panelFont = panel_->font();
  panelFont.setBold(true);
  panelFont.setPointSizeF(panelFont.pointSizeF() * 1.15);
  panel_->setFont(panelFont);
  column->addWidget(panel_);
  column->addSpacing(4);
  auto* form = CompactForm();
  column->addLayout(form);
  standBy_ = AddValue(form, "Required Standby time", "lbStandBy");
  psu_ = AddValue(form, "Total PSU output", "lbPSU");
  battCurrent_ = AddValue(form, "Battery Charging Current", "lbBattCurrent");
  peakCurrent_ = AddValue(form, "Peak Available Current", "lbPeakCurrent");
  ratedOP_ = AddValue(form, "Continuous Rated Output", "lbRatedOP");
  column->addStretch(1);
  return block;
}

QComboBox* TSummaryPanel::CreateList(const char* name) {
  auto* box = new QComboBox(this);
  box->setObjectName(name);
  box->setEditable(false);
  box->setFocusPolicy(Qt::StrongFocus);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(9);
  box->installEventFilter(this);
  return box;
}

QWidget* TSummaryPanel::CreateChoices() {
  auto* block = new QWidget(this);
  auto* form = CompactForm();
  block->setLayout(form);

  grade_ = CreateList("cbGrade");
  connect(grade_, &QComboBox::currentIndexChanged, this, &TSummaryPanel::GradeChosen);
  form->addRow("Grade", grade_);

  battery_ = CreateList("cbBatteryType");
  battery_->setPlaceholderText("Select Battery");
  connect(battery_, &QComboBox::currentIndexChanged, this, &TSummaryPanel::BatteryChosen);
  form->addRow("StanbyBattery", battery_);

  acFail_ = new QCheckBox("AC Fail Signalled to ARC", block);
  acFail_->setObjectName("cbACFailSig");
  acFail_->setEnabled(false);
  connect(acFail_, &QCheckBox::clicked, this, &TSummaryPanel::ACFailClicked);
  form->addRow(acFail_);

  qLoad_ = AddValue(form, "Total Quiescent Load", "lbQLoad");
  almLoad_ = AddValue(form, "Total Alarm Load", "lbAlmLoad");
  actStandby_ = AddValue(form, "Actual Standby Time", "lbActStandby");

  degrade_ = CreateList("ComboBox1");
  degrade_->addItems({"0", "10", "20", "30"});
  degrade_->setCurrentIndex(0);
  connect(degrade_, &QComboBox::currentIndexChanged, this, &TSummaryPanel::DegradationChosen);
  form->addRow("Battery Degredation %", degrade_);
  return block;
}

QWidget* TSummaryPanel::CreateDevices() {
  auto* block = new QWidget(this);
  auto* column = new QVBoxLayout(block);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(4);
  devices_ = new QTreeWidget(block);
  devices_->setObjectName("lmdDevices");
  devices_->setColumnCount(2);
  devices_->setHeaderLabels({"Qty", "Devices Attached to Panel"});
  devices_->setRootIsDecorated(false);
  devices_->setSelectionMode(QAbstractItemView::NoSelection);
  devices_->setFocusPolicy(Qt::NoFocus);
  devices_->header()->setStretchLastSection(true);
  devices_->setColumnWidth(0, 40);
  column->addWidget(devices_, 1);
  updatePanel_ = new QPushButton("Update Panel and Panel Devices", block);
  updatePanel_->setObjectName("btnUpdatePanel");
  connect(updatePanel_, &QPushButton::clicked, this, &TSummaryPanel::UpdatePanelClicked);
  column->addWidget(updatePanel_);
  return block;
}

void TSummaryPanel::ShowSummary(const TSummaryView& summary) {
  panel_->setText(ToQString(summary.Panel));
  ShowText(standBy_, summary.StandBy);
  ShowText(psu_, summary.PSU);
  ShowText(battCurrent_, summary.BattCurrent);
  ShowText(peakCurrent_, summary.PeakCurrent);
  ShowText(ratedOP_, summary.RatedOP);
  ShowText(qLoad_, summary.QLoad);
  ShowText(almLoad_, summary.AlmLoad);
  ShowText(actStandby_, summary.ActStandby);
  {
    const QSignalBlocker blocker(grade_);
    SetItems(grade_, summary.GradeItems);
    grade_->setCurrentIndex(summary.GradeIndex);
  }
  {
    const QSignalBlocker blocker(battery_);
    SetItems(battery_, summary.BatteryItems);
    battery_->setPlaceholderText(ToQString(summary.BatteryText));
    battery_->setCurrentIndex(summary.BatteryIndex);
  }
  {
    const QSignalBlocker blocker(acFail_);
    acFail_->setChecked(summary.ACFailChecked);
    acFail_->setEnabled(summary.ACFailEnabled);
  }
  {
    const QSignalBlocker blocker(degrade_);
    degrade_->setPlaceholderText(ToQString(summary.DegradeText));
    degrade_->setCurrentIndex(summary.DegradeIndex);
  }
}

void TSummaryPanel::ShowChecks(const std::string& line) {
  checks_->setVisible(!line.empty());
  checks_->setText(
      line.empty()
          ? QString()
          : QStringLiteral("<a href=\"checks\" style=\"color:#c00000\">%1</a>").arg(ToQString(line).toHtmlEscaped()));
}

void TSummaryPanel::ShowErrors(const TStringList& lines) {
  errors_->clear();
  errors_->addItems(ToQStringList(lines));
}

void TSummaryPanel::ShowDevices(const std::vector<TAttachedDevice>& devices) {
  devices_->clear();
  for (const TAttachedDevice& device : devices) {
    auto* item = new QTreeWidgetItem(devices_, {ToQString(device.Qty), ToQString(device.Name)});
    item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
  }
}

void TSummaryPanel::ShowNetworkLabels(const std::array<bool, TDesigner::NetworkCountMax>& visible) {
  for (size_t i = 0; i < netLabels_.size(); ++i) netLabels_[i]->setVisible(visible[i]);
}

bool TSummaryPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grade_ || watched == battery_ || watched == degrade_) {
    switch (event->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Wheel:
        return true;
      default:
        return false;
    }
  }
  if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == legend_) {
      emit LegendClicked();
      return true;
    }
    for (size_t i = 0; i < netLabels_.size(); ++i) {
      if (watched == netLabels_[i]) {
        emit NetworkClicked(static_cast<int>(i));
        return true;
      }
    }
  }
  return QFrame::eventFilter(watched, event);
}

}  // namespace voltaris
