// The Project Details dialog: the company, engineer, customer, site address
// and notes in their edits. Every rule lives in TProjectDetailsPresenter;
// the edits refuse what the files' code page cannot hold.
#pragma once

#include <QDialog>
#include <array>

#include "designer/dialogs/project_details_presenter.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace voltaris {

class TProjectDetailsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TProjectDetailsDialog(TProjectDetailsPresenter& presenter, QWidget* parent = nullptr);

  // Shows the presenter's texts and runs the dialog modally; on OK every
  // edit goes back into the presenter and the result is true.
  bool Run();

 private:
  void Refresh();
  void WriteBack();

  TProjectDetailsPresenter& presenter_;
  QLineEdit* edCompany_;
  QLineEdit* edEngineer_;
  QLineEdit* edCustomer_;
  QPlainTextEdit* edAddress_;
  QPlainTextEdit* edNotes_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace voltaris
