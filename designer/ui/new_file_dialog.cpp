#include "designer/ui/new_file_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/code_page_validator.h"
#include "ui/key_filter.h"
#include "ui/qt_text.h"
#include "ui/widget_values.h"

namespace voltaris {

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
  const auto& key = *static_cast<QKeyEvent*>(event);
  // The panel list is chosen from, never typed into; Space still opens it.
  if (watched == cbPanelType_) return TypedText(key) && key.key() != Qt::Key_Space;
  if (watched == edSiteRef_)
    return RefusesKey(key, &TNewFilePresenter::AcceptsSiteRefKey, edSiteRef_, TNewFilePresenter::SiteRefKeyHint);
  if (watched == edFileName_)
    return RefusesKey(key, &TNewFilePresenter::AcceptsFileNameKey, edFileName_, TNewFilePresenter::FileNameKeyHint);
  return false;
}

void TNewFileDialog::Refresh() {
  ShowFilteredText(edSiteRef_, presenter_.SiteRef(), &TNewFilePresenter::AcceptsSiteRefKey);
  ShowItems(cbPanelType_, presenter_.PanelTypes(), presenter_.PanelTypeIndex());
  ShowItems(cbGrade_, presenter_.Grades(), presenter_.GradeIndex());
  ShowFilteredText(edFileName_, presenter_.FileName(), &TNewFilePresenter::AcceptsFileNameKey);
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
  ShowFilteredText(edSiteRef_, presenter_.SiteRef(), &TNewFilePresenter::AcceptsSiteRefKey);
}

void TNewFileDialog::FileNameEdited(const QString& text) {
  presenter_.SetFileName(ToStdString(text));
  ShowFilteredText(edFileName_, presenter_.FileName(), &TNewFilePresenter::AcceptsFileNameKey);
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
