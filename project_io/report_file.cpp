#include "project_io/report_file.h"

#include <filesystem>

#include "catalogue/byte_stream.h"
#include "model/advice.h"
#include "model/control_panel.h"
#include "model/load_data.h"

namespace voltaris {

std::string ReportFileText(std::string_view text) { return JoinLines(SplitLines(std::string(text))); }

std::string ReportFilePath(const std::string& chosen) {
  if (chosen.empty() || std::filesystem::path(chosen).has_extension()) return chosen;
  return chosen + ReportExtension;
}

TStringList SystemReportLines(TControlPanel& panel, const TCanvas& canvas, const std::string& siteRef,
                              const std::string& date) {
  TStringList lines;
  panel.WriteSystemReport(lines, siteRef, date);
  // The system report stays as it is; the advice follows it.
  WriteDesignAdvice(lines, panel, canvas, WorkOutAdvice(panel, canvas));
  return lines;
}

void SaveReportText(const std::string& path, const std::string& text) {
  const std::string content = ReportFileText(text);
  TStream(TBytes(content.begin(), content.end())).ReplaceFile(path);
}

}  // namespace voltaris
