#include "designer/ui/new_file_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "ui/code_page_validator.h"
#include "ui/qt_text.h"
#include "ui/widget_values.h"

namespace voltaris {

namespace {

// The 8-bit text a key press types, for the presenter's key filters. Keys
// that type nothing, or that move the focus, confirm or cancel (Tab, Return,
// Escape, Delete), type no text; nor do shortcuts: Ctrl+V pastes, and the
// pasted text is filtered as an edit. Backspace types the character 8.
std::optional<std::string> TypedText(const QKeyEvent& key) {
  if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
  if (key.key() == Qt::Key_Backspace) return std::string(1, '\b');
  const QString text = key.text();
  if (text.isEmpty()) return std::nullopt;
  for (const QChar c : text) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) return std::nullopt;
  }
  return ToStdString(text);
}

bool AllAccepted(const std::string& text, bool (*accepts)(char)) {
  return std::all_of(text.begin(), text.end(), accepts);
}

// `text` with the characters `accepts` refuses left out.
QString Filtered(const QString& text, bool (*accepts)(char)) {
  std::string kept = ToStdString(text);
  kept.erase(std::remove_if(kept.begin(), kept.end(), [accepts](char c) { return !accepts(c); }), kept.end());
  return ToQString(kept);
}

// Shows the presenter's text in a box, keeping the cursor after the same
// accepted characters as before.
void ShowText(QLineEdit* edit, const std::string& value, bool (*accepts)(char)) {
  const QString shown = ToQString(value);
  if (edit->text() == shown) return;
  const qsizetype cursor = Filtered(edit->text().left(edit->cursorPosition()), accepts).size();
  const QSignalBlocker blocker(edit);
  edit->setText(shown);
  edit->setCursorPosition(static_cast<int>(std::min(cursor, shown.size())));
}

}  // namespace

TNewFileDialog::TNewFileDialog(TNewFilePresenter& presenter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      presenter_(presenter),
      edSiteRef_(new QLineEdit(this)),
      cbPanelType_(new QComboBox(this)),
      cbGrade_(new QComboBox(this)),
      edFileName_(new QLineEdit(this)),
      btnOK_(new QPushButton(tr("OK"), this)),
      btnCancel_(new QPushButton(tr("Cancel"), this)) {
  setWindowTitle(QStringLiteral("Open New File"));
  setObjectName(QStringLiteral("NewFileDialog"));
  edSiteRef_->setObjectName(QStringLiteral("edSiteRef"));
  cbPanelType_->setObjectName(QStringLiteral("cbPanelType"));
  cbGrade_->setObjectName(QStringLiteral("cbGrade"));
  edFileName_->setObjectName(QStringLiteral("edFileName"));
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));

  // Long panel names must fit without widening the dialog as the list changes.
  cbPanelType_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbPanelType_->setMinimumContentsLength(20);
  cbGrade_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbGrade_->setMinimumContentsLength(20);
  edSiteRef_->setMinimumWidth(260);

  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  form->addRow(tr("Site Reference"), edSiteRef_);
  form->addRow(tr("Panel Type"), cbPanelType_);
  form->addRow(tr("System Grade"), cbGrade_);
  form->addRow(tr("File Name"), edFileName_);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOK_);
  buttons->addWidget(btnCancel_);
  btnOK_->setDefault(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addSpacing(6);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  setTabOrder(edSiteRef_, cbPanelType_);
  setTabOrder(cbPanelType_, cbGrade_);
  setTabOrder(cbGrade_, edFileName_);
  setTabOrder(edFileName_, btnOK_);
  setTabOrder(btnOK_, btnCancel_);

  RefuseCharactersOutsideCodePage(edSiteRef_);
  RefuseCharactersOutsideCodePage(edFileName_);
  edSiteRef_->installEventFilter(this);
  cbPanelType_->installEventFilter(this);
  edFileName_->installEventFilter(this);

  connect(edSiteRef_, &QLineEdit::textEdited, this, &TNewFileDialog::SiteRefEdited);
  connect(edFileName_, &QLineEdit::textEdited, this, &TNewFileDialog::FileNameEdited);
  connect(cbPanelType_, &QComboBox::activated, this, &TNewFileDialog::PanelTypeChosen);
  connect(cbGrade_, &QComboBox::activated, this, &TNewFileDialog::GradeChosen);
  connect(btnOK_, &QPushButton::clicked, this, &TNewFileDialog::OkClicked);
  connect(btnCancel_, &QPushButton::clicked, this, &TNewFileDialog::CancelClicked);
}

void TNewFileDialog::Run() {
  Refresh();
  FocusControl(presenter_.Focus());
  exec();
  // Every way out goes through OK or Cancel; should the window be closed
  // some other way, the caller still gets the Cancel button's result.
  if (presenter_.Result() == TModalResult::None) presenter_.Cancel();
}

void TNewFileDialog::reject() { CancelClicked(); }

bool TNewFileDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const std::optional<std::string> typed = TypedText(*static_cast<QKeyEvent*>(event));
  if (!typed) return false;
  // The panel list is chosen from, never typed into; Space still opens it.
  if (watched == cbPanelType_) return static_cast<QKeyEvent*>(event)->key() != Qt::Key_Space;
  if (watched == edSiteRef_) return !AllAccepted(*typed, &TNewFilePresenter::AcceptsSiteRefKey);
  if (watched == edFileName_) return !AllAccepted(*typed, &TNewFilePresenter::AcceptsFileNameKey);
  return false;
}

void TNewFileDialog::Refresh() {
  ShowText(edSiteRef_, presenter_.SiteRef(), &TNewFilePresenter::AcceptsSiteRefKey);
  ShowItems(cbPanelType_, presenter_.PanelTypes(), presenter_.PanelTypeIndex());
  ShowItems(cbGrade_, presenter_.Grades(), presenter_.GradeIndex());
  ShowText(edFileName_, presenter_.FileName(), &TNewFilePresenter::AcceptsFileNameKey);
}

void TNewFileDialog::FocusControl(TNewFilePresenter::TControl control) {
  switch (control) {
    case TNewFilePresenter::TControl::SiteRef:
      edSiteRef_->setFocus();
      break;
    case TNewFilePresenter::TControl::PanelType:
      cbPanelType_->setFocus();
      break;
    case TNewFilePresenter::TControl::Grade:
      cbGrade_->setFocus();
      break;
    case TNewFilePresenter::TControl::FileName:
      edFileName_->setFocus();
      break;
  }
}

void TNewFileDialog::SiteRefEdited(const QString& text) {
  presenter_.SetSiteRef(ToStdString(text));
  ShowText(edSiteRef_, presenter_.SiteRef(), &TNewFilePresenter::AcceptsSiteRefKey);
}

void TNewFileDialog::FileNameEdited(const QString& text) {
  presenter_.SetFileName(ToStdString(text));
  ShowText(edFileName_, presenter_.FileName(), &TNewFilePresenter::AcceptsFileNameKey);
}

void TNewFileDialog::PanelTypeChosen(int index) {
  presenter_.ChoosePanelType(index);
  Refresh();
}

void TNewFileDialog::GradeChosen(int index) {
  presenter_.ChooseGrade(index);
  Refresh();
}

void TNewFileDialog::OkClicked() {
  if (presenter_.Ok()) {
    done(QDialog::Accepted);
    return;
  }
  Refresh();
  if (presenter_.Focus() == TNewFilePresenter::TControl::FileName) edFileName_->setFocus();
}

void TNewFileDialog::CancelClicked() {
  presenter_.Cancel();
  done(QDialog::Rejected);
}

}  // namespace voltaris
