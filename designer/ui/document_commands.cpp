#include "designer/ui/document_commands.h"

#include <QDate>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <filesystem>

#include "document/ui/document_painter.h"
#include "ui/qt_text.h"

namespace voltaris {

TDocumentCommands::TDocumentCommands(QWidget* parent, std::function<TDocument()> document)
    : parent_(parent), document_(std::move(document)) {}

void TDocumentCommands::SetUpPrinter(QPrinter& printer) {
  printer.setResolution(DocumentResolution);
  printer.setPageLayout(DocumentPageLayout());
}

void TDocumentCommands::Print() {
  QPrinter printer;
  SetUpPrinter(printer);
  QPrintDialog dialog(&printer, parent_);
  dialog.setObjectName("PrintDialog");
  if (dialog.exec() != QDialog::Accepted) return;
  PaintDocument(document_(), printer);
}

void TDocumentCommands::Preview() {
  QPrinter printer;
  SetUpPrinter(printer);
  // Made once: every repaint of the preview lays out the same pages.
  const TDocument document = document_();
  QPrintPreviewDialog preview(&printer, parent_);
  preview.setObjectName("PrintPreview");
  preview.setWindowTitle("Print Preview");
  QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                   [&document](QPrinter* target) { PaintDocument(document, *target); });
  if (PreviewOpened) PreviewOpened(&preview);
  preview.exec();
}

void TDocumentCommands::ExportPdf(const std::string& directory, const std::string& project) {
  // Dated, so that the PDFs of one project over the years sort by date.
  const std::string fileName = project + " " + ToStdString(QDate::currentDate().toString(Qt::ISODate)) + ".pdf";
  std::string path = ChoosePdfFile ? ChoosePdfFile(directory, fileName)
                                   : AskSaveFile("Export PDF", "PdfFileDialog", "PDF Document (*.pdf)",
                                                 QStringLiteral("pdf"), directory, fileName);
  if (path.empty()) return;
  if (!std::filesystem::path(path).has_extension()) path += ".pdf";
  const TDocument document = document_();
  SaveDocumentPdf(document, path, DocumentPageLayout(), document.FooterText);
}

void TDocumentCommands::ExportPartsList(const std::string& directory, const std::string& project,
                                        const TPartsList& parts) {
  const std::string fileName = project + " parts.csv";
  std::string path = ChooseCsvFile ? ChooseCsvFile(directory, fileName)
                                   : AskSaveFile("Export Parts List", "CsvFileDialog", "CSV File (*.csv)",
                                                 QStringLiteral("csv"), directory, fileName);
  if (path.empty()) return;
  if (!std::filesystem::path(path).has_extension()) path += ".csv";
  SavePartsListCsv(parts, path);
}

std::string TDocumentCommands::AskSaveFile(const QString& title, const char* name, const QString& filter,
                                           const QString& suffix, const std::string& directory,
                                           const std::string& fileName) {
  QFileDialog dialog(parent_, title);
  dialog.setObjectName(name);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(filter);
  dialog.setDefaultSuffix(suffix);
  dialog.setDirectory(ToQString(directory));
  dialog.selectFile(ToQString(fileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return ToStdString(dialog.selectedFiles().front());
}

}  // namespace voltaris
