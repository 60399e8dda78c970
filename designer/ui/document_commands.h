// Print, Print Preview and Export PDF of the design's document: Qt's print
// dialog, its preview and a file-save dialog around the one document
// painter, so that paper, preview and PDF show the same pages. And Export
// Parts List, the parts list as a CSV file for a spreadsheet.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "document/document.h"
#include "document/parts_list.h"

class QPrinter;
class QWidget;

namespace voltaris {

class TDocumentCommands {
 public:
  // `document` makes the document of the design as it now stands.
  TDocumentCommands(QWidget* parent, std::function<TDocument()> document);

  // Qt's print dialog, then the pages on the chosen printer.
  void Print();
  // The pages in Qt's print preview; the preview can print them too.
  void Preview();
  // Asks for a file (".pdf" added to a name without an extension),
  // starting in `directory` with "<project> <yyyy-mm-dd>.pdf" (today's
  // date), and writes the PDF there. A failure is a FileError naming the file.
  void ExportPdf(const std::string& directory, const std::string& project);
  // Asks for a file (".csv" added to a name without an extension), starting
  // in `directory` with "<project> parts.csv", and writes the parts list
  // there as CSV. A failure is a FileError naming the file; an old file
  // stays as it was.
  void ExportPartsList(const std::string& directory, const std::string& project, const TPartsList& parts);

  // Where to save the PDF: the chosen path, or empty when the user
  // cancelled. By default the file-save dialog; tests replace it.
  std::function<std::string(const std::string& directory, const std::string& fileName)> ChoosePdfFile;
  // The same for the parts list's CSV file.
  std::function<std::string(const std::string& directory, const std::string& fileName)> ChooseCsvFile;
  // Opened and about to run (tests close it here).
  std::function<void(QWidget* preview)> PreviewOpened;

  // The printer the commands lay the pages out for: the locale's paper and
  // the document's resolution.
  static void SetUpPrinter(QPrinter& printer);

 private:
  QWidget* parent_;
  std::function<TDocument()> document_;

  // The file-save dialog: the chosen path, or empty when the user cancelled.
  std::string AskSaveFile(const QString& title, const char* name, const QString& filter, const QString& suffix,
                          const std::string& directory, const std::string& fileName);
};

}  // namespace voltaris
