// Conversions between the model's values and Qt's: 8-bit text in the user's
// code page, lists of it, and RGB colours.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <string>

#include "catalogue/catalogue.h"
#include "model/colour.h"

namespace voltaris {

inline QString ToQString(const std::string& text) {
  return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToStdString(const QString& text) { return text.toLocal8Bit().toStdString(); }

inline QStringList ToQStringList(const TStringList& lines) {
  QStringList result;
  result.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) result << ToQString(line);
  return result;
}

inline QColor ToQColor(const TColour& colour) { return QColor(colour.R, colour.G, colour.B); }

}  // namespace voltaris
