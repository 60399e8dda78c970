#include "tools/report_pdf.h"

#include <QGuiApplication>
#include <QLocale>

#include "designer/ui/tile_painter.h"
#include "document/ui/document_painter.h"

namespace voltaris {

void WriteReportPdf(int& argc, char** argv, const TDocument& document, const std::string& path) {
  // Fonts need a GUI application, which needs no display on the offscreen
  // platform; a platform the caller chose is kept.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  InitPictureResources();
  SaveDocumentPdf(document, path, DocumentPageLayout(QLocale()), document.FooterText);
}

}  // namespace voltaris
