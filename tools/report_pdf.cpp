#include "tools/report_pdf.h"

#include <QGuiApplication>
#include <QLocale>

#include "document/ui/document_painter.h"
#include "drawing/tile_painter.h"

namespace voltaris {

void WriteReportPdf(int& argc, char** argv, const TDocument& document, const std::string& path) {
  // Fonts need a GUI application. Elsewhere than on Windows it runs on the
  // offscreen platform, which needs no display and finds the system's fonts
  // through fontconfig; Windows always has its desktop, and its own
  // platform is the one that finds the fonts of C:\Windows\Fonts. A
  // platform the caller chose is kept.
#ifndef _WIN32
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  QGuiApplication application(argc, argv);
  InitPictureResources();
  SaveDocumentPdf(document, path, DocumentPageLayout(), document.FooterText);
}

}  // namespace voltaris
