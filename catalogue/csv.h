// What the CSV files the program writes for spreadsheets share: UTF-8 with a
// byte-order mark (so that a spreadsheet does not take it for the machine's
// code page), cells quoted where a reader would split or trim them, lines
// ended by CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace voltaris {

// A character array, so that it stays read-only data in every build.
inline constexpr char Utf8ByteOrderMark[] = "\xEF\xBB\xBF";
inline constexpr size_t Utf8ByteOrderMarkSize = sizeof Utf8ByteOrderMark - 1;

// One cell of UTF-8 text, in quotes (quotes in it doubled) when it holds a
// comma, a semicolon, a quote or a line break, or starts or ends with a space.
std::string CsvCell(std::string_view utf8);

// The cells of one line, given in the files' code page, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& cells);

}  // namespace voltaris
