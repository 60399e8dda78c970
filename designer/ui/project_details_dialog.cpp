#include "designer/ui/project_details_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "ui/code_page_validator.h"
#include "ui/key_filter.h"
#include "ui/qt_text.h"

namespace voltaris {

namespace {

using Field = TProjectDetailsPresenter;

QLineEdit* NewLineEdit(const char* name, Field::TField field, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  // The code page holds one UTF-16 unit a character, so the count is the same.
  edit->setMaxLength(static_cast<int>(Field::MaxLength(field)));
  SayWhenFull(edit);
  RefuseCharactersOutsideCodePage(edit);
  return edit;
}

QPlainTextEdit* NewTextArea(const char* name, Field::TField field, int lines, QWidget* parent) {
  auto* area = new QPlainTextEdit(parent);
  area->setObjectName(name);
  area->setTabChangesFocus(true);
  area->setMinimumWidth(360);
  area->setFixedHeight(area->fontMetrics().lineSpacing() * lines + 12);
  RefuseCharactersOutsideCodePage(area);
  // A text area has no length limit of its own: a change that would make
  // the text longer than the field holds is refused as it is typed (the
  // text goes back to what it was), so that nothing the user sees is cut
  // off on OK.
  const auto most = static_cast<qsizetype>(Field::MaxLength(field));
  auto accepted = std::make_shared<QString>();
  QObject::connect(area, &QPlainTextEdit::textChanged, area, [area, most, accepted] {
    const QString text = area->toPlainText();
    if (text.size() <= most) {
      *accepted = text;
      return;
    }
    const int at = std::min(area->textCursor().position(), static_cast<int>(accepted->size()));
    ShowKeyHint(area, FullFieldHint(static_cast<int>(most)));
    const QSignalBlocker blocker(area);
    area->setPlainText(*accepted);
    QTextCursor cursor = area->textCursor();
    cursor.setPosition(at);
    area->setTextCursor(cursor);
  });
  return area;
}

}  // namespace

TProjectDetailsDialog::TProjectDetailsDialog(TProjectDetailsPresenter& presenter, QWidget* parent)
    : QDialog(parent),
      presenter_(presenter),
      edCompany_(NewLineEdit("edCompany", Field::Company, this)),
      edEngineer_(NewLineEdit("edEngineer", Field::Engineer, this)),
      edCustomer_(NewLineEdit("edCustomer", Field::Customer, this)),
      edAddress_(NewTextArea("edSiteAddress", Field::SiteAddress, 4, this)),
      edNotes_(NewTextArea("edNotes", Field::Notes, 6, this)),
      btnOK_(new QPushButton("OK", this)),
      btnCancel_(new QPushButton("Cancel", this)) {
  setObjectName("frmProjectDetails");
  setWindowTitle("Project Details");
  btnOK_->setObjectName("btnOK");
  btnCancel_->setObjectName("btnCancel");
  auto* form = new QFormLayout;
  form->addRow("Installer company", edCompany_);
  form->addRow("Engineer", edEngineer_);
  form->addRow("Customer", edCustomer_);
  form->addRow("Site address", edAddress_);
  form->addRow("Notes", edNotes_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btnOK_);
  buttons->addWidget(btnCancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  btnOK_->setDefault(true);
  connect(btnOK_, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool TProjectDetailsDialog::Run() {
  Refresh();
  if (exec() != QDialog::Accepted) return false;
  WriteBack();
  return true;
}

void TProjectDetailsDialog::Refresh() {
  edCompany_->setText(ToQString(presenter_.Text(Field::Company)));
  edEngineer_->setText(ToQString(presenter_.Text(Field::Engineer)));
  edCustomer_->setText(ToQString(presenter_.Text(Field::Customer)));
  edAddress_->setPlainText(ToQString(presenter_.Text(Field::SiteAddress)));
  edNotes_->setPlainText(ToQString(presenter_.Text(Field::Notes)));
  edCompany_->setFocus();
}

void TProjectDetailsDialog::WriteBack() {
  presenter_.SetText(Field::Company, ToStdString(edCompany_->text()));
  presenter_.SetText(Field::Engineer, ToStdString(edEngineer_->text()));
  presenter_.SetText(Field::Customer, ToStdString(edCustomer_->text()));
  presenter_.SetText(Field::SiteAddress, ToStdString(edAddress_->toPlainText()));
  presenter_.SetText(Field::Notes, ToStdString(edNotes_->toPlainText()));
}

}  // namespace voltaris
