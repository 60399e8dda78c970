// The dialog that asks a project's new file name and site reference (Save
// As, Duplicate, Rename). Every rule lives in TProjectNamePresenter; this
// window shows its two boxes and forwards keys, edits and buttons to it.
#pragma once

#include <QDialog>

#include "designer/dialogs/project_name_presenter.h"

class QLineEdit;
class QPushButton;

namespace voltaris {

class TProjectNameDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TProjectNameDialog(TProjectNamePresenter& presenter, QWidget* parent = nullptr);

  // Shows the dialog modally until the presenter has a result; the caller
  // has started the showing with presenter.Show().
  void Run();
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Refresh();
  void OkClicked();

  TProjectNamePresenter& presenter_;
  QLineEdit* edSiteRef_;
  QLineEdit* edFileName_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace voltaris
