// Lays a document (document/document.h) out on pages: the same code for
// the printer and for PDF, so that both give the same pages. Sizes are in
// points of the page whatever the device's resolution; the report is in a
// fixed-pitch type; every page ends with the footer and "Page n of m".
#pragma once

#include <QLocale>
#include <QPageLayout>
#include <string>

#include "catalogue/byte_stream.h"
#include "document/document.h"

class QPagedPaintDevice;

namespace voltaris {

// A4 upright, with margins every office printer reaches; the print dialog
// offers Letter and every other paper.
QPageLayout DocumentPageLayout();

// The resolution the document is laid out at on every device, so that the
// printer and the PDF break the pages at the same places.
inline constexpr int DocumentResolution = 96;

// Paints `document` on `device`, whose page layout is already set, from
// its current page on; the number of pages. Throws std::runtime_error when
// the device cannot be painted on.
int PaintDocument(const TDocument& document, QPagedPaintDevice& device);

// How many pages the document takes on `layout`.
int CountDocumentPages(const TDocument& document, const QPageLayout& layout);

// The PDF of the document on `layout`, titled `title`.
TBytes DocumentPdf(const TDocument& document, const QPageLayout& layout, const std::string& title);

// Writes the PDF to `path`: whole beside it first, then renamed over it, so
// that a failure leaves no part of a file and the old one as it was. A
// FileError names the path and the reason.
void SaveDocumentPdf(const TDocument& document, const std::string& path, const QPageLayout& layout,
                     const std::string& title);

}  // namespace voltaris
