// The System Files dialog: the projects of the index, one row each, to
// open, delete or leave for a new project. Every rule lives in
// TSystemFilesPresenter; this window shows its rows and forwards the user's
// selection and buttons to it.
#pragma once

#include <QDialog>

#include "designer/dialogs/system_files_presenter.h"

class QPushButton;
class QTreeWidget;

namespace voltaris {

class TProjectNameDialog;

class TSystemFilesDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TSystemFilesDialog(TSystemFilesPresenter& presenter, QWidget* parent = nullptr);

  // Shows the dialog modally until the presenter has a result. The caller
  // has called presenter.Show() and calls this only when it returned true.
  void Run();

  // Escape and closing the window act as the Cancel button.
  void reject() override;

 private:
  void Refresh();
  void SelectionChanged();
  void RowDoubleClicked();
  void OkClicked();
  void DeleteClicked();
  void NewClicked();
  void DuplicateClicked();
  void RenameClicked();
  void CancelClicked();

  TSystemFilesPresenter& presenter_;
  QTreeWidget* lvFiles_;
  QPushButton* btnDelete_;
  QPushButton* btnNew_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
  QPushButton* btnDuplicate_;
  QPushButton* btnRename_;
  TProjectNameDialog* nameDialog_;
};

}  // namespace voltaris
