// The report window: the system report and the design advice after it in
// an editable text box, with "Save Report" to write what the box shows
// (edits included) to a text file and "Done".
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace voltaris {

class TReportWindow : public QDialog {
  Q_OBJECT

 public:
  // The width and height of the text box, in pixels.
  static constexpr int MemoWidth = 513;
  static constexpr int MemoHeight = 577;

  explicit TReportWindow(QWidget* parent = nullptr);

  // Shows `text` under `caption` modally until "Done". "Save Report" starts
  // in `directory` proposing `fileName`. Edits last only for this showing.
  void ShowReport(const std::string& caption, const std::string& text, const std::string& directory,
                  const std::string& fileName);

  // Asks where to save the report, starting in `directory` with the name
  // `fileName`: the chosen path, or empty when the user cancelled. By
  // default the file-save dialog; tests replace it.
  std::function<std::string(const std::string& directory, const std::string& fileName)> ChooseFile;

  // "Print..." and "Export PDF..." beside "Save Report": the document of the
  // design, as File > Print and Export PDF make it. Each button shows only
  // when its command is given.
  void SetDocumentCommands(std::function<void()> print, std::function<void()> exportPdf);

 private:
  void SaveClicked();
  std::string AskFileName(const std::string& directory, const std::string& fileName);

  QPlainTextEdit* Memo1_;
  QPushButton* btnSaveReport_;
  QPushButton* btnPrint_;
  QPushButton* btnExportPdf_;
  std::function<void()> print_;
  std::function<void()> exportPdf_;
  QPushButton* btnDone_;
  std::string directory_;
  std::string fileName_;
};

}  // namespace voltaris
