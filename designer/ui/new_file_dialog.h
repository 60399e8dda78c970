// The New File dialog ("Open New File"): site reference, panel type, system
// grade and file name of a new project. Every rule lives in
// TNewFilePresenter; this window shows its state and forwards the user's
// keys, choices and buttons to it.
#pragma once

#include <QDialog>

#include "designer/dialogs/new_file_presenter.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace voltaris {

class TNewFileDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TNewFileDialog(TNewFilePresenter& presenter, QWidget* parent = nullptr);

  // Shows the dialog modally until the presenter has a result (OK, or the
  // Cancel button's result). The caller has already called presenter.Show().
  void Run();

  // Escape and closing the window act as the Cancel button.
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Refresh();
  void FocusControl(TNewFilePresenter::TControl control);
  void SiteRefEdited(const QString& text);
  void FileNameEdited(const QString& text);
  void PanelTypeChosen(int index);
  void GradeChosen(int index);
  void OkClicked();
  void CancelClicked();

  TNewFilePresenter& presenter_;
  QLineEdit* edSiteRef_;
  QComboBox* cbPanelType_;
  QComboBox* cbGrade_;
  QLineEdit* edFileName_;
  QPushButton* btnOK_;
  QPushButton* btnCancel_;
};

}  // namespace voltaris
