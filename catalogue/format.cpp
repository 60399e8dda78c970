#include "catalogue/format.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace voltaris {

namespace {

struct Conversion {
  bool leftAlign = false;
  int width = 0;
  int precision = -1;  // -1: none given
  char type = 0;
};

// Reads the conversion after a '%' starting at `pos`; leaves `pos` after its type.
Conversion ParseConversion(std::string_view format, size_t& pos) {
  Conversion conversion;
  auto digits = [&](int& out) {
    while (pos < format.size() && format[pos] >= '0' && format[pos] <= '9') {
      out = out * 10 + (format[pos] - '0');
      if (out > 10000) throw FormatError("format width or precision too large");
      ++pos;
    }
  };
  if (pos < format.size() && format[pos] == '-') {
    conversion.leftAlign = true;
    ++pos;
  }
  digits(conversion.width);
  if (pos < format.size() && format[pos] == '.') {
    ++pos;
    conversion.precision = 0;
    digits(conversion.precision);
  }
  if (pos >= format.size()) throw FormatError("format ends inside a conversion");
  conversion.type = format[pos++];
  return conversion;
}

std::string Pad(std::string text, const Conversion& conversion) {
  if (static_cast<int>(text.size()) >= conversion.width) return text;
  const std::string fill(conversion.width - text.size(), ' ');
  return conversion.leftAlign ? text + fill : fill + text;
}

std::string IntegerText(int64_t value, int precision) {
  const bool negative = value < 0;
  // Work in unsigned so that the most negative value prints correctly.
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  if (precision > static_cast<int>(digits.size())) digits.insert(0, precision - digits.size(), '0');
  return negative ? "-" + digits : digits;
}

const FormatArg& Next(std::span<const FormatArg> args, size_t& index) {
  if (index >= args.size()) throw FormatError("format has more conversions than arguments");
  return args[index++];
}

}  // namespace

std::string FormatFixed(double value, int decimals) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  char buffer[400];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) throw FormatError("number too long to format");
  std::string text(buffer, result.ptr);
  // A value that rounds to zero prints without a minus sign ("-0.00" reads as a fault).
  if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
  return text;
}

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text(buffer, result.ptr);
  // Exponent written as "E15" / "E-5" rather than "e+15" / "e-05".
  const size_t e = text.find('e');
  if (e != std::string::npos) {
    std::string mantissa = text.substr(0, e);
    int exponent = std::atoi(text.c_str() + e + 1);
    text = mantissa + "E" + std::to_string(exponent);
  }
  if (text == "-0") text = "0";
  return text;
}

std::string FormatList(std::string_view format, std::span<const FormatArg> args) {
  std::string out;
  out.reserve(format.size() + 16);
  size_t index = 0;
  size_t pos = 0;
  while (pos < format.size()) {
    const char c = format[pos++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (pos < format.size() && format[pos] == '%') {
      out += '%';
      ++pos;
      continue;
    }
    const Conversion conversion = ParseConversion(format, pos);
    const FormatArg& arg = Next(args, index);
    switch (conversion.type) {
      case 'd':
      case 'u':
        if (arg.kind() != FormatArg::Kind::Integer) throw FormatError("%d needs an integer");
        out += Pad(IntegerText(arg.integer(), conversion.precision), conversion);
        break;
      case 'x':
      case 'X': {
        if (arg.kind() != FormatArg::Kind::Integer) throw FormatError("%x needs an integer");
        char buffer[32];
        auto result = std::to_chars(buffer, buffer + sizeof buffer,
                                    static_cast<uint64_t>(static_cast<uint32_t>(arg.integer())), 16);
        std::string text(buffer, result.ptr);
        if (conversion.type == 'X')
          for (char& ch : text) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        if (conversion.precision > static_cast<int>(text.size())) text.insert(0, conversion.precision - text.size(), '0');
        out += Pad(text, conversion);
        break;
      }
      case 'f': {
        double value;
        if (arg.kind() == FormatArg::Kind::Real) value = arg.real();
        else if (arg.kind() == FormatArg::Kind::Integer) value = static_cast<double>(arg.integer());
        else throw FormatError("%f needs a number");
        out += Pad(FormatFixed(value, conversion.precision < 0 ? 2 : conversion.precision), conversion);
        break;
      }
      case 's':
      case 'S': {
        if (arg.kind() != FormatArg::Kind::Text) throw FormatError("%s needs a string");
        std::string text(arg.text());
        if (conversion.precision >= 0 && static_cast<int>(text.size()) > conversion.precision) text.resize(conversion.precision);
        out += Pad(text, conversion);
        break;
      }
      default:
        throw FormatError(std::string("unknown conversion %") + conversion.type);
    }
  }
  return out;
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

}  // namespace voltaris
