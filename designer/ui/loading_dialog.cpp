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
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <iterator>
#include <utility>

#include "model/net_device.h"
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

// Rewrites a field only when its text differs, so that the cursor stays put.
void SetFieldText(QLineEdit* edit, const std::string& text) {
  const QString shown = ToQString(text);
  if (edit->text() != shown) edit->setText(shown);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, int x, int y, int width = -1) {
  auto* label = new QLabel(QString::fromLatin1(caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->adjustSize();
  label->move(x, y);
  if (width > 0) label->resize(width, label->height());
  return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int x, int y, int width) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QString::fromLatin1(name));
  edit->setGeometry(x, y, width, 22);
  return edit;
}

QFrame* MakeBevel(QWidget* parent, const char* name, const QRect& rect) {
  auto* bevel = new QFrame(parent);
  bevel->setObjectName(QString::fromLatin1(name));
  bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
  bevel->setGeometry(rect);
  bevel->lower();
  return bevel;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, const QRect& rect) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(rect);
  // Enter in a field applies the field; it never presses a button.
  button->setAutoDefault(false);
  // A click leaves the focus in the field being edited: the button applies
  // that field itself before it acts, outside any focus change.
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

}  // namespace

// The presenter's way out: the designer's control panel, the device picker
// and error message boxes.
class TLoadingDialog::Host : public ILoadingHost {
 public:
  Host(TLoadingDialog& dialog, TAddDevice addDevice, std::function<int32_t()> panelType,
       std::function<int32_t()> panelGrade)
      : dialog_(dialog),
        addDevice_(std::move(addDevice)),
        panelType_(std::move(panelType)),
        panelGrade_(std::move(panelGrade)) {}

  int32_t PanelType() const override { return panelType_ ? panelType_() : -1; }
  int32_t PanelGrade() const override { return panelGrade_ ? panelGrade_() : -1; }
  bool AddDevice(int32_t panelType, TDeviceData& entry) override {
    return addDevice_ && addDevice_(panelType, entry);
  }
  void ShowError(const std::string& text) override {
    QMessageBox::critical(&dialog_, QStringLiteral("Error"), ToQString(text));
  }

 private:
  TLoadingDialog& dialog_;
  TAddDevice addDevice_;
  std::function<int32_t()> panelType_;
  std::function<int32_t()> panelGrade_;
};

TLoadingDialog::TLoadingDialog(TAddDevice addDevice, std::function<int32_t()> panelType,
                               std::function<int32_t()> panelGrade, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      host_(std::make_unique<Host>(*this, std::move(addDevice), std::move(panelType), std::move(panelGrade))),
      presenter_(*host_) {
  setObjectName(QStringLiteral("LoadingFrm"));
  setWindowTitle(QStringLiteral("LoadingFrm"));
  setModal(true);
  BuildControls();
  Refresh();
}

TLoadingDialog::~TLoadingDialog() = default;

void TLoadingDialog::BuildControls() {
  label18_ = new QLabel(this);
  label18_->setObjectName(QStringLiteral("Label18"));
  QFont big = label18_->font();
  big.setPixelSize(24);
  big.setBold(true);
  label18_->setFont(big);
  label18_->setAlignment(Qt::AlignCenter);
  label18_->setGeometry(8, 6, DialogWidth - 16, 34);

  // Type and location.
  MakeBevel(this, "Bevel2", QRect(8, 46, DialogWidth - 16, 62));
  QLabel* label22 = MakeLabel(this, "Label22", "Device Type", 20, 55);
  QLabel* label23 = MakeLabel(this, "Label23", "Location", 20, 81);
  for (QLabel* label : {label22, label23}) {
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->adjustSize();
  }
  cbDevType_ = new QComboBox(this);
  cbDevType_->setObjectName(QStringLiteral("cbDevType"));
  cbDevType_->setGeometry(120, 51, 320, 24);
  cbDevType_->installEventFilter(this);
  location_ = MakeEdit(this, "Location", 120, 79, 320);
  location_->installEventFilter(this);

  // The figures: what reaches the device on the left, what the user enters
  // on the right. The columns are placed from the widths of their captions,
  // so that no caption is cut whatever the font.
  MakeBevel(this, "Bevel1", QRect(8, 114, DialogWidth - 16, 180));
  constexpr int Row = 25;
  constexpr int Top = 124;
  constexpr int LabelLeft = 16;
  constexpr int EditWidth = 42;
  constexpr int EditLeft = DialogWidth - 16 - EditWidth;
  const char* const figureCaptions[][2] = {
      {"Label2", "Quiescent Voltage"},         {"Label3", "Alarm Voltage"},
      {"Label6", "Quiescent device Current "}, {"Label7", "Alarm device Current"},
      {"Label14", "Total Qiescent current"},   {"Label15", "Total Alarm Current"},
  };
  int captionWidth = 0;
  for (int row = 0; row < 6; ++row) {
    QLabel* caption = MakeLabel(this, figureCaptions[row][0], figureCaptions[row][1], LabelLeft, Top + row * Row + 3);
    captionWidth = std::max(captionWidth, caption->fontMetrics().horizontalAdvance(caption->text()));
  }
  QFont valueFont = font();
  valueFont.setBold(true);
  const int valueLeft = LabelLeft + captionWidth + 4;
  const int valueWidth = QFontMetrics(valueFont).horizontalAdvance(QStringLiteral("0000 mA"));
  QLabel** values[] = {&label4_, &label5_, &label8_, &label9_, &label16_, &label17_};
  const char* const valueNames[] = {"Label4", "Label5", "Label8", "Label9", "Label16", "Label17"};
  for (int row = 0; row < 6; ++row) {
    *values[row] = MakeLabel(this, valueNames[row], "", valueLeft, Top + row * Row + 3, valueWidth);
    (*values[row])->setFont(valueFont);
  }

  // The right column sits as far right as its captions allow, leaving the
  // widest gap after the values: the impedance caption beside its field, the
  // title of Panel1 across the whole column.
  const QFontMetrics metrics(font());
  const int rightCaptionWidth =
      std::max(metrics.horizontalAdvance(QStringLiteral("Impedence (Ohms/100M)")),
               metrics.horizontalAdvance(QStringLiteral("Powered devices current loading")) - EditWidth - 4);
  const int columnLeft = std::max(valueLeft + valueWidth + 4, EditLeft - 6 - rightCaptionWidth);
  label1_ = MakeLabel(this, "Label1", "Cable Length (M)", columnLeft, Top + 3);
  edits_[0] = MakeEdit(this, "Edit1", EditLeft, Top, EditWidth);

  // Panels carry no frame of their own: Bevel1 frames them all.
  panel2_ = new QFrame(this);
  panel2_->setObjectName(QStringLiteral("Panel2"));
  panel2_->setGeometry(columnLeft, Top, EditLeft + EditWidth - columnLeft, 2 * Row);
  MakeLabel(panel2_, "Label21", "Cable Length (M)", 0, 3);
  QLabel* label19 = MakeLabel(panel2_, "Label19", "Network", 0, Row + 3);
  edits_[5] = MakeEdit(panel2_, "Edit6", label19->width() + 4, Row, EditWidth);
  QLabel* label20 = MakeLabel(panel2_, "Label20", "Power", 0, Row + 3);
  edits_[4] = MakeEdit(panel2_, "Edit5", EditLeft - columnLeft, Row, EditWidth);
  label20->move(edits_[4]->x() - label20->width() - 4, label20->y());

  MakeLabel(this, "Label10", "Impedence (Ohms/100M)", columnLeft, Top + 2 * Row + 3);
  edits_[1] = MakeEdit(this, "Edit2", EditLeft, Top + 2 * Row, EditWidth);

  panel1_ = new QFrame(this);
  panel1_->setObjectName(QStringLiteral("Panel1"));
  panel1_->setGeometry(columnLeft, Top + 3 * Row, EditLeft + EditWidth - columnLeft, 3 * Row);
  QLabel* label11 = MakeLabel(panel1_, "Label11", "Powered devices current loading", 0, 3);
  label11->setFixedWidth(std::min(label11->width(), panel1_->width()));
  MakeLabel(panel1_, "Label12", "Quiescent Load (mA)", 0, Row + 3);
  edits_[2] = MakeEdit(panel1_, "Edit3", EditLeft - columnLeft, Row, EditWidth);
  MakeLabel(panel1_, "Label13", "Alarm Load (mA)", 0, 2 * Row + 3);
  edits_[3] = MakeEdit(panel1_, "Edit4", EditLeft - columnLeft, 2 * Row, EditWidth);

  for (QLineEdit* edit : edits_) edit->installEventFilter(this);

  // Buttons and the details part.
  detailBtn_ = MakeButton(this, "DetailBtn", "Show Details", QRect(8, 301, 110, 25));
  button3_ = MakeButton(this, "Button3", "OK", QRect(DialogWidth - 176, 301, 80, 25));
  button4_ = MakeButton(this, "Button4", "Cancel", QRect(DialogWidth - 88, 301, 80, 25));

  lbDevices_ = new QTreeWidget(this);
  lbDevices_->setObjectName(QStringLiteral("lbDevices"));
  lbDevices_->setGeometry(8, 336, DialogWidth - 16, 228);
  lbDevices_->setColumnCount(ListColumnCount);
  lbDevices_->setRootIsDecorated(false);
  lbDevices_->setUniformRowHeights(true);
  lbDevices_->setItemsExpandable(false);
  lbDevices_->setSelectionMode(QAbstractItemView::SingleSelection);
  lbDevices_->setAllColumnsShowFocus(true);
  lbDevices_->setTextElideMode(Qt::ElideRight);
  lbDevices_->setAlternatingRowColors(true);
  lbDevices_->setItemDelegate(new GridLineDelegate(lbDevices_));
  QPalette listPalette = lbDevices_->palette();
  listPalette.setColor(QPalette::AlternateBase, ToQColor(ColourListTint));
  lbDevices_->setPalette(listPalette);
  QTreeWidgetItem* header = lbDevices_->headerItem();
  for (int column = 0; column < ListColumnCount; ++column) {
    header->setText(column, QString::fromLatin1(ListColumns[column].Header));
    header->setTextAlignment(column, ListColumns[column].Centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    lbDevices_->setColumnWidth(column, ListColumns[column].Width);
  }
  lbDevices_->header()->setStretchLastSection(false);
  lbDevices_->header()->setSectionsMovable(false);

  button1_ = MakeButton(this, "Button1", "Add", QRect(8, 572, 80, 25));
  button2_ = MakeButton(this, "Button2", "Delete", QRect(96, 572, 80, 25));

  // The user's actions.
  connect(cbDevType_, qOverload<int>(&QComboBox::activated), this, [this](int position) {
    presenter_.ChooseDeviceType(position);
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

bool TLoadingDialog::SetUp(TNetDevice& device, TLoadLines& lines) {
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

void TLoadingDialog::done(int result) {
  if (result == QDialog::Accepted && !CommitFocusedField()) return;
  QDialog::done(result);
}

void TLoadingDialog::Refresh() {
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

  const std::string* texts[] = {&view.Edit1, &view.Edit2, &view.Edit3, &view.Edit4, &view.Edit5, &view.Edit6};
  for (int k = 0; k < 6; ++k) {
    const QSignalBlocker blockEdit(edits_[k]);
    SetFieldText(edits_[k], *texts[k]);
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

void TLoadingDialog::RefreshDetails() {
  const TLoadingView& view = presenter_.View();
  lbDevices_->setVisible(view.DetailsVisible);
  button1_->setVisible(view.DetailsVisible);
  button2_->setVisible(view.DetailsVisible);
  detailBtn_->setText(ToQString(view.DetailBtnCaption));
  button3_->move(button3_->x(), view.ButtonsTop);
  button4_->move(button4_->x(), view.ButtonsTop);
  setFixedSize(DialogWidth, view.Height);
}

bool TLoadingDialog::FieldOf(QObject* object, TLoadingField& field) const {
  for (int k = 0; k < 6; ++k) {
    if (object == edits_[k]) {
      field = static_cast<TLoadingField>(k);
      return true;
    }
  }
  return false;
}

bool TLoadingDialog::CommitFocusedField() {
  TLoadingField field = TLoadingField::Edit1;
  QWidget* focused = QApplication::focusWidget();
  if (!focused || !FieldOf(focused, field)) return true;
  const bool applied = presenter_.ApplyField(field, ToStdString(static_cast<QLineEdit*>(focused)->text()));
  Refresh();
  return applied;
}

bool TLoadingDialog::eventFilter(QObject* watched, QEvent* event) {
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
