#include "catalogue/csv.h"

#include "catalogue/code_page.h"

namespace voltaris {

std::string CsvCell(std::string_view utf8) {
  const bool quoted = utf8.find_first_of(",;\"\r\n") != std::string_view::npos ||
                      (!utf8.empty() && (utf8.front() == ' ' || utf8.back() == ' '));
  if (!quoted) return std::string(utf8);
  std::string cell = "\"";
  for (char c : utf8) {
    if (c == '"') cell += '"';
    cell += c;
  }
  return cell + "\"";
}

std::string CsvLine(const std::vector<std::string>& cells) {
  std::string line;
  for (size_t c = 0; c < cells.size(); ++c) {
    if (c > 0) line += ',';
    line += CsvCell(CodePageToUtf8(cells[c]));
  }
  return line + "\r\n";
}

}  // namespace voltaris
