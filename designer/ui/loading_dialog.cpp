#include "designer/ui/loading_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <iterator>
#include <utility>

#include "model/net_device.h"
#include "ui/code_page_validator.h"
#include "ui/key_filter.h"
#include "ui/plain_message.h"
#include "ui/qt_text.h"
#include "ui/widget_values.h"

namespace voltaris {

namespace {

constexpr int DialogWidth = 461;
constexpr int ListRowHeight = 16;
constexpr TColour GridLineColour{192, 192, 192};

// Model text is 8-bit in the user's code page.

struct TListColumn {
  const char* Header;
  int Width;
  bool Centred;
};
constexpr TListColumn ListColumns[] = {
    {"Qty", 30, true}, {"Device Type", 170, false}, {"Grade", 44, true}, {"Quiescent", 80, true}, {"Alarm", 80, true},
};
constexpr int ListColumnCount = static_cast<int>(std::size(ListColumns));

// Rows of a fixed height with a vertical line between the columns.
class GridLineDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(ToQColor(GridLineColour));
    painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
    painter->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), ListRowHeight};
  }
};

void SetText(QLabel* label, const std::string& text) { label->setText(ToQString(text)); }

void ShowFigure(QLabel* label, const TFigureText& figure) {
  SetText(label, figure.Text);
  SetTextColour(label, figure.Colour, QPalette::WindowText);
}

// Rewrites a field only when its text differs, so that the cursor stays put.
void SetFieldText(QLineEdit* edit, const std::string& text) {
  const QString shown = ToQString(text);
  if (edit->text() != shown) edit->setText(shown);
}

// The dialog's controls, one row each, created in the order of the rows: that
// order is the tab order. Places are in the dialog's coordinates, also for a
// control inside a panel.
enum class TControlKind { Label, Field, TypeList, Bevel, Panel, Button, List };
enum class TControlStyle { Plain, Bold, Title };

// Where a control's left edge lies: X from the edge of the dialog or from one
// of the figures' columns, which lie where the widths of their captions put
// them, so that no caption is cut whatever the font.
enum class TControlLeft {
  Dialog,
  Captions,        // the figures' captions; the widest of them places the values
  Values,          // the figures themselves
  Column,          // the right column of captions
  AdviceCaptions,  // the right column of the advice band's captions
  AdviceValues,    // the advice figures beside them
  Fields,          // the right column of fields
  AfterPrevious,   // X past the right edge of the control before
  BeforeFields,    // the control's right edge X short of the fields
};

// Widths that follow from the font rather than from a number of pixels.
constexpr int FitCaption = 0;    // a label as wide as its caption
constexpr int FitFigure = -1;    // a figure as wide as "0000 mA"
constexpr int ToFieldsEnd = -2;  // a panel or a figure from its left edge to the fields' right edge
constexpr int ToColumn = -3;     // a figure from its left edge to the right column

struct TControlRow {
  TControlKind Kind;
  const char* Name;
  const char* Caption;
  TControlLeft Left;
  int X;
  int Y;
  int Width = FitCaption;
  int Height = 0;  // 0: a label as high as its caption
  TControlStyle Style = TControlStyle::Plain;
  const char* Parent = nullptr;  // the panel holding the control; none for the dialog
};

constexpr int FieldHeight = 22;
constexpr int ButtonHeight = 25;
// The figures' rows.
constexpr int FigureTop = 124;
constexpr int FigureRow = 25;
constexpr int FigureLeft = 16;
constexpr int EditWidth = 42;
constexpr int EditLeft = DialogWidth - 16 - EditWidth;
// The right column's widest captions: the impedance beside its field, the
// title of Panel1 across the whole column.
constexpr char ImpedanceCaption[] = "Impedence (Ohms/100M)";
constexpr char Panel1Title[] = "Powered devices current loading";

constexpr int RowTop(int row) { return FigureTop + row * FigureRow; }
// A caption sits lower than the field beside it, so that their texts line up.
constexpr int CaptionTop(int row) { return RowTop(row) + 3; }

// The advice band, framed under the figures; what follows it sits lower by
// the band's height.
constexpr int Below = LoadingAddedHeight;
constexpr int FiguresHeight = 180 + LoadingCableRowHeight;
constexpr int AdviceTop = 114 + FiguresHeight + 6;
constexpr int AdviceCaptionTop(int row) { return AdviceTop + 9 + row * FigureRow; }

namespace controls {
using enum TControlKind;
using enum TControlLeft;
using enum TControlStyle;
constexpr TControlRow Rows[] = {
    {Label, "Label18", "", Dialog, 8, 6, DialogWidth - 16, 34, Title},

    // Type and location.
    {Bevel, "Bevel2", "", Dialog, 8, 46, DialogWidth - 16, 62},
    {Label, "Label22", "Device Type", Dialog, 20, 55, FitCaption, 0, Bold},
    {Label, "Label23", "Location", Dialog, 20, 81, FitCaption, 0, Bold},
    {TypeList, "cbDevType", "", Dialog, 120, 51, 320, 24},
    {Field, "Location", "", Dialog, 120, 79, 320, FieldHeight},

    // The figures: what reaches the device on the left, what the user enters
    // on the right.
    {Bevel, "Bevel1", "", Dialog, 8, 114, DialogWidth - 16, FiguresHeight},
    {Label, "Label2", "Quiescent Voltage", Captions, 0, CaptionTop(0)},
    {Label, "Label3", "Alarm Voltage", Captions, 0, CaptionTop(1)},
    {Label, "Label6", "Quiescent device Current ", Captions, 0, CaptionTop(2)},
    {Label, "Label7", "Alarm device Current", Captions, 0, CaptionTop(3)},
    {Label, "Label14", "Total Qiescent current", Captions, 0, CaptionTop(4)},
    {Label, "Label15", "Total Alarm Current", Captions, 0, CaptionTop(5)},
    {Label, "Label24", "Quiescent Margin", Captions, 0, AdviceCaptionTop(0)},
    {Label, "Label25", "Alarm Margin", Captions, 0, AdviceCaptionTop(1)},
    {Label, "Label4", "", Values, 0, CaptionTop(0), FitFigure, 0, Bold},
    {Label, "Label5", "", Values, 0, CaptionTop(1), FitFigure, 0, Bold},
    {Label, "Label8", "", Values, 0, CaptionTop(2), FitFigure, 0, Bold},
    {Label, "Label9", "", Values, 0, CaptionTop(3), FitFigure, 0, Bold},
    {Label, "Label16", "", Values, 0, CaptionTop(4), FitFigure, 0, Bold},
    {Label, "Label17", "", Values, 0, CaptionTop(5), FitFigure, 0, Bold},
    {Label, "lbQuiescentMargin", "", Values, 0, AdviceCaptionTop(0), ToColumn, 0, Bold},
    {Label, "lbAlarmMargin", "", Values, 0, AdviceCaptionTop(1), ToColumn, 0, Bold},

    {Label, "Label1", "Cable Length (M)", Column, 0, CaptionTop(0)},
    {Field, "Edit1", "", Fields, 0, RowTop(0), EditWidth, FieldHeight},
    // Panels carry no frame of their own: Bevel1 frames them all. Panel2 shows
    // in place of Label1 and Edit1.
    {Panel, "Panel2", "", Column, 0, RowTop(0), ToFieldsEnd, 2 * FigureRow},
    {Label, "Label21", "Cable Length (M)", Column, 0, CaptionTop(0), FitCaption, 0, Plain, "Panel2"},
    {Label, "Label19", "Network", Column, 0, CaptionTop(1), FitCaption, 0, Plain, "Panel2"},
    {Field, "Edit6", "", AfterPrevious, 4, RowTop(1), EditWidth, FieldHeight, Plain, "Panel2"},
    {Label, "Label20", "Power", BeforeFields, 4, CaptionTop(1), FitCaption, 0, Plain, "Panel2"},
    {Field, "Edit5", "", Fields, 0, RowTop(1), EditWidth, FieldHeight, Plain, "Panel2"},
    {Label, "Label10", ImpedanceCaption, Column, 0, CaptionTop(2)},
    {Field, "Edit2", "", Fields, 0, RowTop(2), EditWidth, FieldHeight},
    {Panel, "Panel1", "", Column, 0, RowTop(3), ToFieldsEnd, 3 * FigureRow},
    {Label, "Label11", Panel1Title, Column, 0, CaptionTop(3), FitCaption, 0, Plain, "Panel1"},
    {Label, "Label12", "Quiescent Load (mA)", Column, 0, CaptionTop(4), FitCaption, 0, Plain, "Panel1"},
    {Field, "Edit3", "", Fields, 0, RowTop(4), EditWidth, FieldHeight, Plain, "Panel1"},
    {Label, "Label13", "Alarm Load (mA)", Column, 0, CaptionTop(5), FitCaption, 0, Plain, "Panel1"},
    {Field, "Edit4", "", Fields, 0, RowTop(5), EditWidth, FieldHeight, Plain, "Panel1"},
    // The cable by name, which fills in the impedance above.
    {Label, "Label29", "Cable", Column, 0, CaptionTop(6)},
    {TypeList, "cbCable", "", AfterPrevious, 6, RowTop(6), ToFieldsEnd, 24},

    // The design advice: the margins under the voltages, the cable's figures
    // in the right column.
    {Bevel, "Bevel3", "", Dialog, 8, AdviceTop, DialogWidth - 16, LoadingAdviceHeight - 6},
    {Label, "Label26", "Longest cable", AdviceCaptions, 0, AdviceCaptionTop(0)},
    {Label, "lbLongestCable", "", AdviceValues, 0, AdviceCaptionTop(0), ToFieldsEnd, 0, Bold},
    {Label, "Label27", "Doubled cores", AdviceCaptions, 0, AdviceCaptionTop(1)},
    {Label, "lbDoubledCores", "", AdviceValues, 0, AdviceCaptionTop(1), ToFieldsEnd, 0, Bold},
    // On battery: the voltages the checks beyond the light work with.
    {Label, "lbOnBatteryCaption", "On battery (12.00 V)", Captions, 0, AdviceCaptionTop(2)},
    {Label, "lbOnBattery", "", Values, 0, AdviceCaptionTop(2), ToFieldsEnd, 0, Bold},
    {Label, "Label28", "Longest cable on battery", Captions, 0, AdviceCaptionTop(3)},
    {Label, "lbLongestOnBattery", "", Values, 0, AdviceCaptionTop(3), ToFieldsEnd, 0, Bold},

    // Buttons and the details part. RefreshDetails moves OK and Cancel below
    // the list while it shows.
    {Button, "DetailBtn", "Show Details", Dialog, 8, 301 + Below, 110, ButtonHeight},
    {Button, "Button3", "OK", Dialog, DialogWidth - 176, 301 + Below, 80, ButtonHeight},
    {Button, "Button4", "Cancel", Dialog, DialogWidth - 88, 301 + Below, 80, ButtonHeight},
    {List, "lbDevices", "", Dialog, 8, 336 + Below, DialogWidth - 16, 228},
    {Button, "Button1", "Add", Dialog, 8, 572 + Below, 80, ButtonHeight},
    {Button, "Button2", "Delete", Dialog, 96, 572 + Below, 80, ButtonHeight},
};
}  // namespace controls

// Where the figures' columns lie in `font`: the values' left edge and width,
// the right column's left edge.
struct TFigureColumns {
  int Values = 0;
  int ValueWidth = 0;
  int Column = 0;
  int AdviceValues = 0;  // the advice band's right figures
};

TFigureColumns PlaceFigureColumns(const QFont& font) {
  const QFontMetrics metrics(font);
  int captionWidth = 0;
  for (const TControlRow& row : controls::Rows) {
    if (row.Left == TControlLeft::Captions)
      captionWidth = std::max(captionWidth, metrics.horizontalAdvance(QString::fromLatin1(row.Caption)));
  }
  QFont valueFont = font;
  valueFont.setBold(true);
  TFigureColumns columns;
  columns.Values = FigureLeft + captionWidth + 4;
  columns.ValueWidth = QFontMetrics(valueFont).horizontalAdvance(QStringLiteral("0000 mA"));
  // The right column sits as far right as its captions allow, leaving the
  // widest gap after the values.
  const int rightCaptionWidth = std::max(metrics.horizontalAdvance(QString::fromLatin1(ImpedanceCaption)),
                                         metrics.horizontalAdvance(QString::fromLatin1(Panel1Title)) - EditWidth - 4);
  columns.Column = std::max(columns.Values + columns.ValueWidth + 4, EditLeft - 6 - rightCaptionWidth);
  int adviceCaptionWidth = 0;
  for (const TControlRow& row : controls::Rows) {
    if (row.Left == TControlLeft::AdviceCaptions)
      adviceCaptionWidth = std::max(adviceCaptionWidth, metrics.horizontalAdvance(QString::fromLatin1(row.Caption)));
  }
  columns.AdviceValues = columns.Column + adviceCaptionWidth + 6;
  return columns;
}

// The details part's list of devices: one line per load entry, in columns.
QTreeWidget* MakeDeviceList(QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setColumnCount(ListColumnCount);
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setItemsExpandable(false);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setAllColumnsShowFocus(true);
  list->setTextElideMode(Qt::ElideRight);
  list->setAlternatingRowColors(true);
  list->setItemDelegate(new GridLineDelegate(list));
  QPalette listPalette = list->palette();
  listPalette.setColor(QPalette::AlternateBase, ToQColor(ColourListTint));
  list->setPalette(listPalette);
  QTreeWidgetItem* header = list->headerItem();
  for (int column = 0; column < ListColumnCount; ++column) {
    header->setText(column, QString::fromLatin1(ListColumns[column].Header));
    header->setTextAlignment(column, ListColumns[column].Centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    list->setColumnWidth(column, ListColumns[column].Width);
  }
  list->header()->setStretchLastSection(false);
  list->header()->setSectionsMovable(false);
  return list;
}

QWidget* CreateControl(const TControlRow& row, QWidget* parent) {
  using enum TControlKind;
  const QString caption = QString::fromLatin1(row.Caption);
  switch (row.Kind) {
    case Label:
      return new QLabel(caption, parent);
    case Field:
      return new QLineEdit(parent);
    case TypeList:
      return new QComboBox(parent);
    case Bevel: {
      auto* bevel = new QFrame(parent);
      bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
      return bevel;
    }
    case Panel:
      return new QFrame(parent);
    case Button: {
      auto* button = new QPushButton(caption, parent);
      // Enter in a field applies the field; it never presses a button.
      button->setAutoDefault(false);
      // A click leaves the focus in the field being edited: the button applies
      // that field itself before it acts, outside any focus change.
      button->setFocusPolicy(Qt::TabFocus);
      return button;
    }
    case List:
      return MakeDeviceList(parent);
  }
  Q_UNREACHABLE();
}

// Creates and places the controls of the table on `dialog`. The fields and
// the type list pass their keys through `keyFilter`.
void BuildControlTable(QDialog& dialog, QObject& keyFilter) {
  using enum TControlKind;
  using enum TControlLeft;
  const TFigureColumns columns = PlaceFigureColumns(dialog.font());
  constexpr int FieldsEnd = EditLeft + EditWidth;
  QWidget* previous = nullptr;
  for (const TControlRow& row : controls::Rows) {
    QWidget* parent = &dialog;
    if (row.Parent) parent = dialog.findChild<QWidget*>(QString::fromLatin1(row.Parent), Qt::FindDirectChildrenOnly);
    Q_ASSERT_X(parent, "BuildControlTable", row.Name);
    QWidget* control = CreateControl(row, parent);
    control->setObjectName(QString::fromLatin1(row.Name));
    if (row.Style != TControlStyle::Plain) {
      QFont font = control->font();
      font.setBold(true);
      if (row.Style == TControlStyle::Title) font.setPixelSize(24);
      control->setFont(font);
    }
    if (row.Style == TControlStyle::Title) static_cast<QLabel*>(control)->setAlignment(Qt::AlignCenter);
    if (row.Kind == Field || row.Kind == TypeList) control->installEventFilter(&keyFilter);

    QSize size(row.Width, row.Height);
    if (row.Kind == Label && (row.Width <= 0 || row.Height <= 0)) {
      control->adjustSize();
      if (row.Width <= 0) size.setWidth(control->width());
      if (row.Height <= 0) size.setHeight(control->height());
    }
    if (row.Width == FitFigure) size.setWidth(columns.ValueWidth);
    int left = row.X;
    switch (row.Left) {
      case Dialog:
        break;
      case Captions:
        left += FigureLeft;
        break;
      case Values:
        left += columns.Values;
        break;
      case Column:
      case AdviceCaptions:
        left += columns.Column;
        break;
      case AdviceValues:
        left += columns.AdviceValues;
        break;
      case Fields:
        left += EditLeft;
        break;
      case AfterPrevious:
        Q_ASSERT_X(previous, "BuildControlTable", row.Name);
        left += previous->mapTo(&dialog, QPoint(previous->width(), 0)).x();
        break;
      case BeforeFields:
        left = EditLeft - row.X - size.width();
        break;
    }
    if (row.Width == ToFieldsEnd) size.setWidth(FieldsEnd - left);
    if (row.Width == ToColumn) size.setWidth(columns.Column - 4 - left);
    const QPoint origin = parent == &dialog ? QPoint() : parent->mapTo(&dialog, QPoint());
    const QPoint place = QPoint(left, row.Y) - origin;
    // A caption in a panel ends with the panel.
    if (row.Width == FitCaption && parent != &dialog)
      size.setWidth(std::min(size.width(), parent->width() - place.x()));
    control->setGeometry(QRect(place, size));
    if (row.Kind == Bevel) control->lower();
    previous = control;
  }
}

template <typename T>
T* Control(QWidget& dialog, const char* name) {
  T* control = dialog.findChild<T*>(QString::fromLatin1(name));
  Q_ASSERT_X(control, "TLoadingFrm", name);
  return control;
}

}  // namespace

// The presenter's way out: the designer's control panel, the device picker
// and error message boxes.
class TLoadingFrm::Host : public ILoadingHost {
 public:
  Host(TLoadingFrm& dialog, TAddDevice addDevice, std::function<int32_t()> panelType,
       std::function<int32_t()> panelGrade)
      : dialog_(dialog),
        addDevice_(std::move(addDevice)),
        panelType_(std::move(panelType)),
        panelGrade_(std::move(panelGrade)) {}

  int32_t PanelType() const override { return panelType_ ? panelType_() : -1; }
  int32_t PanelGrade() const override { return panelGrade_ ? panelGrade_() : -1; }
  bool AddDevice(int32_t panelType, int32_t grade, TDeviceData& entry) override {
    return addDevice_ && addDevice_(panelType, grade, entry);
  }
  void ShowError(const std::string& text) override {
    PlainMessage(QMessageBox::Critical, &dialog_, QStringLiteral("Error"), ToQString(text));
  }

 private:
  TLoadingFrm& dialog_;
  TAddDevice addDevice_;
  std::function<int32_t()> panelType_;
  std::function<int32_t()> panelGrade_;
};

TLoadingFrm::TLoadingFrm(TAddDevice addDevice, std::function<int32_t()> panelType, std::function<int32_t()> panelGrade,
                         QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      host_(std::make_unique<Host>(*this, std::move(addDevice), std::move(panelType), std::move(panelGrade))),
      presenter_(*host_) {
  setObjectName(QStringLiteral("LoadingFrm"));
  setWindowTitle(QStringLiteral("LoadingFrm"));
  setModal(true);
  BuildControls();
  Refresh();
}

TLoadingFrm::~TLoadingFrm() = default;

void TLoadingFrm::BuildControls() {
  BuildControlTable(*this, *this);
  // The controls that Refresh shows the presenter's view in and that the
  // user's actions come from.
  label18_ = Control<QLabel>(*this, "Label18");
  cbDevType_ = Control<QComboBox>(*this, "cbDevType");
  cbCable_ = Control<QComboBox>(*this, "cbCable");
  for (const std::string& item : TLoadingPresenter::CableItems()) cbCable_->addItem(ToQString(item));
  // The names are longer than the box: the list opens as wide as they are.
  cbCable_->view()->setMinimumWidth(cbCable_->view()->sizeHintForColumn(0) + 8);
  location_ = Control<QLineEdit>(*this, "Location");
  label4_ = Control<QLabel>(*this, "Label4");
  label5_ = Control<QLabel>(*this, "Label5");
  label8_ = Control<QLabel>(*this, "Label8");
  label9_ = Control<QLabel>(*this, "Label9");
  label16_ = Control<QLabel>(*this, "Label16");
  label17_ = Control<QLabel>(*this, "Label17");
  lbQuiescentMargin_ = Control<QLabel>(*this, "lbQuiescentMargin");
  lbAlarmMargin_ = Control<QLabel>(*this, "lbAlarmMargin");
  lbLongestCable_ = Control<QLabel>(*this, "lbLongestCable");
  lbDoubledCores_ = Control<QLabel>(*this, "lbDoubledCores");
  lbOnBatteryCaption_ = Control<QLabel>(*this, "lbOnBatteryCaption");
  lbOnBattery_ = Control<QLabel>(*this, "lbOnBattery");
  lbLongestOnBattery_ = Control<QLabel>(*this, "lbLongestOnBattery");
  label1_ = Control<QLabel>(*this, "Label1");
  const char* const editNames[] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"};
  for (int k = 0; k < 6; ++k) edits_[k] = Control<QLineEdit>(*this, editNames[k]);
  for (QLineEdit* edit : {location_, edits_[0], edits_[1], edits_[2], edits_[3], edits_[4], edits_[5]})
    RefuseCharactersOutsideCodePage(edit);
  panel1_ = Control<QFrame>(*this, "Panel1");
  panel2_ = Control<QFrame>(*this, "Panel2");
  detailBtn_ = Control<QPushButton>(*this, "DetailBtn");
  button3_ = Control<QPushButton>(*this, "Button3");
  button4_ = Control<QPushButton>(*this, "Button4");
  lbDevices_ = Control<QTreeWidget>(*this, "lbDevices");
  button1_ = Control<QPushButton>(*this, "Button1");
  button2_ = Control<QPushButton>(*this, "Button2");
  listSize_ = lbDevices_->size();
  addTop_ = button1_->y();
  okLeft_ = button3_->x();
  cancelLeft_ = button4_->x();

  // The user's actions.
  connect(cbDevType_, qOverload<int>(&QComboBox::activated), this, [this](int position) {
    presenter_.ChooseDeviceType(position);
    Refresh();
  });
  connect(cbCable_, qOverload<int>(&QComboBox::activated), this, [this](int position) {
    presenter_.ChooseCable(position);
    Refresh();
  });
  connect(location_, &QLineEdit::textEdited, this, [this](const QString& text) {
    presenter_.EditLocation(ToStdString(text));
    SetTextColour(location_, presenter_.View().LocationColour, QPalette::Text);
  });
  connect(detailBtn_, &QPushButton::clicked, this, [this] {
    if (!CommitFocusedField()) return;
    presenter_.DetailBtnClick();
    RefreshDetails();
  });
  connect(button1_, &QPushButton::clicked, this, [this] {
    if (!CommitFocusedField()) return;
    presenter_.AddClick();
    Refresh();
  });
  connect(button2_, &QPushButton::clicked, this, [this] {
    if (!CommitFocusedField()) return;
    presenter_.DeleteClick();
    Refresh();
  });
  connect(lbDevices_, &QTreeWidget::itemSelectionChanged, this, [this] {
    const QList<QTreeWidgetItem*> selected = lbDevices_->selectedItems();
    presenter_.SelectLine(selected.isEmpty() ? -1 : lbDevices_->indexOfTopLevelItem(selected.front()));
  });
  connect(button3_, &QPushButton::clicked, this, &QDialog::accept);
  connect(button4_, &QPushButton::clicked, this, &QDialog::reject);
}

bool TLoadingFrm::SetUp(TNetDevice& device, TLoadLines& lines) {
  presenter_.Open(device);
  Refresh();
  // Each opening starts at the top, whatever the last device left focused.
  (cbDevType_->isEnabled() ? static_cast<QWidget*>(cbDevType_) : edits_[1])->setFocus(Qt::OtherFocusReason);
  const bool ok = exec() == QDialog::Accepted;
  if (ok)
    presenter_.Ok(lines);
  else
    presenter_.Cancel();
  return ok;
}

void TLoadingFrm::done(int result) {
  if (result == QDialog::Accepted && !CommitFocusedField()) return;
  QDialog::done(result);
}

void TLoadingFrm::Refresh() {
  const TLoadingView& view = presenter_.View();
  const QSignalBlocker blockType(cbDevType_);
  const QSignalBlocker blockLocation(location_);
  const QSignalBlocker blockList(lbDevices_);

  SetText(label18_, view.Label18);
  SetText(label4_, view.Label4.Text);
  SetTextColour(label4_, view.Label4.Colour, QPalette::WindowText);
  SetText(label5_, view.Label5.Text);
  SetTextColour(label5_, view.Label5.Colour, QPalette::WindowText);
  SetText(label8_, view.Label8);
  SetText(label9_, view.Label9);
  SetText(label16_, view.Label16);
  SetText(label17_, view.Label17);
  ShowFigure(lbQuiescentMargin_, view.lbQuiescentMargin);
  ShowFigure(lbAlarmMargin_, view.lbAlarmMargin);
  ShowFigure(lbLongestCable_, view.lbLongestCable);
  ShowFigure(lbDoubledCores_, view.lbDoubledCores);
  lbOnBatteryCaption_->setText(ToQString(view.OnBatteryCaption));
  ShowFigure(lbOnBattery_, view.lbOnBattery);
  ShowFigure(lbLongestOnBattery_, view.lbLongestOnBattery);

  const std::string* texts[] = {&view.Edit1, &view.Edit2, &view.Edit3, &view.Edit4, &view.Edit5, &view.Edit6};
  for (int k = 0; k < 6; ++k) {
    const QSignalBlocker blockEdit(edits_[k]);
    SetFieldText(edits_[k], *texts[k]);
  }
  {
    const QSignalBlocker blockCable(cbCable_);
    cbCable_->setCurrentIndex(view.CableIndex);
    cbCable_->setToolTip(ToQString(view.CableHint));
  }
  panel1_->setEnabled(view.Panel1Enabled);
  panel2_->setVisible(view.Panel2Visible);
  label1_->setVisible(!view.Panel2Visible);
  edits_[0]->setVisible(!view.Panel2Visible);

  ShowItems(cbDevType_, view.DevTypeItems, view.DevTypeIndex);
  cbDevType_->setEnabled(view.DevTypeEnabled);
  SetFieldText(location_, view.Location);
  SetTextColour(location_, view.LocationColour, QPalette::Text);
  location_->setEnabled(view.LocationEnabled);

  const TLoadLines& lines = presenter_.Lines();
  bool same = lbDevices_->topLevelItemCount() == static_cast<int>(lines.size());
  for (int row = 0; same && row < lbDevices_->topLevelItemCount(); ++row)
    same = lbDevices_->topLevelItem(row)->data(0, Qt::UserRole).toString() == ToQString(lines[static_cast<size_t>(row)].Text);
  if (!same) {
    lbDevices_->clear();
    for (const TLoadLine& line : lines) {
      const QString text = ToQString(line.Text);
      QStringList cells = text.split(QLatin1Char('\t'));
      // Text beyond the last column stays in it.
      while (cells.size() > ListColumnCount) cells[ListColumnCount - 1] += QLatin1Char(' ') + cells.takeAt(ListColumnCount);
      auto* item = new QTreeWidgetItem(cells);
      item->setData(0, Qt::UserRole, text);
      for (int column = 0; column < ListColumnCount; ++column)
        item->setTextAlignment(column, ListColumns[column].Centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
      lbDevices_->addTopLevelItem(item);
    }
  }
  lbDevices_->clearSelection();
  if (view.SelectedLine >= 0 && view.SelectedLine < lbDevices_->topLevelItemCount())
    lbDevices_->topLevelItem(view.SelectedLine)->setSelected(true);

  RefreshDetails();
}

void TLoadingFrm::RefreshDetails() {
  const TLoadingView& view = presenter_.View();
  lbDevices_->setVisible(view.DetailsVisible);
  button1_->setVisible(view.DetailsVisible);
  button2_->setVisible(view.DetailsVisible);
  detailBtn_->setText(ToQString(view.DetailBtnCaption));
  // A sizeable window, never smaller than its layout. Showing or hiding the
  // details sets the height the layout needs; only with the list shown is
  // there anything to give more height to.
  setMinimumSize(DialogWidth, view.Height);
  setMaximumHeight(view.DetailsVisible ? QWIDGETSIZE_MAX : view.Height);
  if (layoutHeight_ != view.Height) {
    // The first time at the layout's own width; later at the user's.
    resize(layoutHeight_ == 0 ? DialogWidth : width(), view.Height);
    layoutHeight_ = view.Height;
  }
  FitToWindow();
}

void TLoadingFrm::FitToWindow() {
  const TLoadingView& view = presenter_.View();
  const int wider = std::max(0, width() - DialogWidth);
  const int taller = view.DetailsVisible ? std::max(0, height() - view.Height) : 0;
  lbDevices_->resize(listSize_.width() + wider, listSize_.height() + taller);
  button1_->move(button1_->x(), addTop_ + taller);
  button2_->move(button2_->x(), addTop_ + taller);
  button3_->move(okLeft_ + wider, view.ButtonsTop + taller);
  button4_->move(cancelLeft_ + wider, view.ButtonsTop + taller);
}

void TLoadingFrm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  FitToWindow();
}

bool TLoadingFrm::FieldOf(QObject* object, TLoadingField& field) const {
  for (int k = 0; k < 6; ++k) {
    if (object == edits_[k]) {
      field = static_cast<TLoadingField>(k);
      return true;
    }
  }
  return false;
}

bool TLoadingFrm::CommitFocusedField() {
  TLoadingField field = TLoadingField::Edit1;
  QWidget* focused = QApplication::focusWidget();
  if (!focused || !FieldOf(focused, field)) return true;
  const bool applied = presenter_.ApplyField(field, ToStdString(static_cast<QLineEdit*>(focused)->text()));
  Refresh();
  return applied;
}

bool TLoadingFrm::eventFilter(QObject* watched, QEvent* event) {
  TLoadingField field = TLoadingField::Edit1;
  if (event->type() == QEvent::KeyPress && (watched == cbDevType_ || FieldOf(watched, field))) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // Shortcuts (paste, select all, undo) and keys that type nothing pass.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    char typed;
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      typed = TLoadingPresenter::KeyEnter;
    } else if (key->key() == Qt::Key_Backspace) {
      typed = TLoadingPresenter::KeyBackspace;
    } else {
      const QString text = key->text();
      if (text.size() != 1 || !text.front().isPrint()) return false;
      const char16_t unicode = text.front().unicode();
      // A letter beyond ASCII is neither a digit nor a point.
      typed = unicode < 0x80 ? static_cast<char>(unicode) : '?';
    }
    // The type is chosen from the list only: typed letters do not search it.
    // Space still opens the list.
    if (watched == cbDevType_) return typed != TLoadingPresenter::KeyEnter && typed != ' ';
    auto* edit = static_cast<QLineEdit*>(watched);
    const bool accepted = presenter_.KeyPress(field, ToStdString(edit->text()), typed);
    // A key the field does not take is said so beside it, not dropped unseen.
    if (!accepted) ShowKeyHint(edit, presenter_.View().KeyHint);
    if (typed == TLoadingPresenter::KeyEnter) {
      Refresh();
      edit->selectAll();
    } else {
      RefreshDetails();
    }
    return !accepted;
  }
  if (event->type() == QEvent::FocusOut && FieldOf(watched, field)) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // Another window coming to the front (a message box, another program) or
    // a popup menu does not mean the user left the field.
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      presenter_.ApplyField(field, ToStdString(static_cast<QLineEdit*>(watched)->text()));
      Refresh();
    }
    return false;
  }
  if (event->type() == QEvent::FocusIn && watched == location_ && location_->text() == ToQString(TLoadingPresenter::NotDefined)) {
    // Typing replaces the placeholder rather than adding to it.
    QTimer::singleShot(0, location_, [this] { location_->selectAll(); });
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace voltaris
