// The PDF of a saved project's document for voltaris-report --pdf: laid
// out by the designer's own document painter on Qt's offscreen platform,
// so that no display is needed.
#pragma once

#include <string>

#include "document/document.h"

namespace voltaris {

// Writes `document` as a PDF to `path` (beside it first, then renamed over
// it) on the paper of the user's locale. Throws FileError when the file
// cannot be written.
void WriteReportPdf(int& argc, char** argv, const TDocument& document, const std::string& path);

}  // namespace voltaris
