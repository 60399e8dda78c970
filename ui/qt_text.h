// Conversions between the model's values and Qt's: 8-bit text in the code
// page of the project files (catalogue/code_page.h), whatever the machine's
// locale, lists of it, and RGB colours.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

#include "catalogue/catalogue.h"
#include "catalogue/code_page.h"
#include "model/colour.h"

namespace voltaris {

inline QString ToQString(const std::string& text) {
  const std::string utf8 = CodePageToUtf8(text);
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A character the code page cannot hold becomes "?"; the edits refuse such
// characters as they are typed (ui/code_page_validator.h), so none is lost here.
inline std::string ToStdString(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return Utf8ToCodePageOr(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), '?');
}

inline QStringList ToQStringList(const TStringList& lines) {
  QStringList result;
  result.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) result << ToQString(line);
  return result;
}

inline QColor ToQColor(const TColour& colour) { return QColor(colour.R, colour.G, colour.B); }

}  // namespace voltaris
