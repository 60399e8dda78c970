// Saving the system report as a plain-text file: 8-bit text, every line
// ended by CR LF, written whole beside the target and renamed over it so
// that a failed save never leaves half a report in place of the old one.
#pragma once

#include <string>
#include <string_view>

#include "catalogue/catalogue.h"

namespace voltaris {

// The extension a report file gets when the chosen name has none.
inline constexpr const char* ReportExtension = ".txt";

// `text` with every line ended by CR LF: CR LF, a lone LF and a lone CR each
// end a line, and a last line without a line break gets one. Empty text
// stays empty.
std::string ReportFileText(std::string_view text);

// The path a chosen name is saved under: with ".txt" added when the file
// name itself has no extension ("Shop" becomes "Shop.txt", "Shop.log" and
// "Shop.v2/Report.txt" stay as they are).
std::string ReportFilePath(const std::string& chosen);

class TCanvas;
class TControlPanel;

// The report as the report window shows it: the system report's lines for
// `siteRef` on `date`, then the "Design Advice" block.
TStringList SystemReportLines(TControlPanel& panel, const TCanvas& canvas, const std::string& siteRef,
                              const std::string& date);

// Writes `text` (see ReportFileText) to `path`, replacing an existing file.
// On failure the old file is left as it was and a FileError names `path`.
void SaveReportText(const std::string& path, const std::string& text);

}  // namespace voltaris
