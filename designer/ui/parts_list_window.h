// The parts list window: the design's parts list (document/parts_list.h) as
// a table to read off or copy into a quote. Ctrl+C copies the selected rows
// and "Copy" the whole table, each as tab-separated lines a spreadsheet
// takes as cells; "Export CSV..." saves it as File > Export Parts List does.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>

#include "document/parts_list.h"

class QPushButton;
class QTableWidget;

namespace voltaris {

class TPartsListWindow : public QDialog {
  Q_OBJECT

 public:
  explicit TPartsListWindow(QWidget* parent = nullptr);

  // Shows `parts` under `caption` modally until "Done".
  void ShowPartsList(const std::string& caption, const TPartsList& parts);

  // "Export CSV..." runs `exportCsv`; the button shows only when one is given.
  void SetExportCommand(std::function<void()> exportCsv);

  // The rows with a selected cell, or every row after the header line when
  // `all`: cells separated by tabs, each line ended by a line break.
  QString CopiedText(bool all) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SetPartsList(const TPartsList& parts);

  QTableWidget* tblParts_;
  QPushButton* btnCopy_;
  QPushButton* btnExportCsv_;
  QPushButton* btnDone_;
  std::function<void()> exportCsv_;
};

}  // namespace voltaris
