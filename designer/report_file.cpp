#include "designer/report_file.h"

#include <filesystem>

#include "catalogue/byte_stream.h"
#include "model/load_data.h"

namespace voltaris {

std::string ReportFileText(std::string_view text) { return JoinLines(SplitLines(std::string(text))); }

std::string ReportFilePath(const std::string& chosen) {
  if (chosen.empty() || std::filesystem::path(chosen).has_extension()) return chosen;
  return chosen + ReportExtension;
}

void SaveReportText(const std::string& path, const std::string& text) {
  const std::string content = ReportFileText(text);
  TStream(TBytes(content.begin(), content.end())).ReplaceFile(path);
}

}  // namespace voltaris
