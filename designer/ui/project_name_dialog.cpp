#include "designer/ui/project_name_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "designer/dialogs/new_file_presenter.h"
#include "ui/code_page_validator.h"
#include "ui/key_filter.h"
#include "ui/qt_text.h"

namespace voltaris {

TProjectNameDialog::TProjectNameDialog(TProjectNamePresenter& presenter, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      presenter_(presenter),
      edSiteRef_(new QLineEdit(this)),
      edFileName_(new QLineEdit(this)),
      btnOK_(new QPushButton(tr("OK"), this)),
      btnCancel_(new QPushButton(tr("Cancel"), this)) {
  setObjectName(QStringLiteral("ProjectNameDialog"));
  edSiteRef_->setObjectName(QStringLiteral("edSiteRef"));
  edFileName_->setObjectName(QStringLiteral("edFileName"));
  btnOK_->setObjectName(QStringLiteral("btnOK"));
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  edSiteRef_->setMinimumWidth(260);

  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->addRow(tr("Site Reference"), edSiteRef_);
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
  setTabOrder(edSiteRef_, edFileName_);
  setTabOrder(edFileName_, btnOK_);
  setTabOrder(btnOK_, btnCancel_);

  RefuseCharactersOutsideCodePage(edSiteRef_);
  RefuseCharactersOutsideCodePage(edFileName_);
  edSiteRef_->installEventFilter(this);
  edFileName_->installEventFilter(this);
  connect(edSiteRef_, &QLineEdit::textEdited, this, [this](const QString& text) {
    presenter_.SetSiteRef(ToStdString(text));
    ShowFilteredText(edSiteRef_, presenter_.SiteRef(), &TNewFilePresenter::AcceptsSiteRefKey);
  });
  connect(edFileName_, &QLineEdit::textEdited, this, [this](const QString& text) {
    presenter_.SetFileName(ToStdString(text));
    ShowFilteredText(edFileName_, presenter_.FileName(), &TNewFilePresenter::AcceptsFileNameKey);
  });
  connect(btnOK_, &QPushButton::clicked, this, &TProjectNameDialog::OkClicked);
  connect(btnCancel_, &QPushButton::clicked, this, &TProjectNameDialog::reject);
}

void TProjectNameDialog::Run() {
  setWindowTitle(ToQString(presenter_.Caption()));
  Refresh();
  edFileName_->setFocus();
  exec();
  if (presenter_.Result() == TModalResult::None) presenter_.Cancel();
}

void TProjectNameDialog::reject() {
  presenter_.Cancel();
  done(QDialog::Rejected);
}

bool TProjectNameDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  const auto& key = *static_cast<QKeyEvent*>(event);
  if (watched == edSiteRef_)
    return RefusesKey(key, &TNewFilePresenter::AcceptsSiteRefKey, edSiteRef_, TNewFilePresenter::SiteRefKeyHint);
  if (watched == edFileName_)
    return RefusesKey(key, &TNewFilePresenter::AcceptsFileNameKey, edFileName_, TNewFilePresenter::FileNameKeyHint);
  return false;
}

void TProjectNameDialog::Refresh() {
  ShowFilteredText(edSiteRef_, presenter_.SiteRef(), &TNewFilePresenter::AcceptsSiteRefKey);
  ShowFilteredText(edFileName_, presenter_.FileName(), &TNewFilePresenter::AcceptsFileNameKey);
}

void TProjectNameDialog::OkClicked() {
  if (presenter_.Ok()) {
    done(QDialog::Accepted);
    return;
  }
  Refresh();
  edFileName_->setFocus();
}

}  // namespace voltaris
