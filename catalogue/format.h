// Printf-like formatting with the conventions of the system's texts, and the
// same output in every locale:
//   %d %u  integers ("%.d" prints like "%d", "%.2d" pads with zeros to two digits)
//   %f     fixed point with two decimals; "%.0f" .. "%.3f" round to that many
//   %s %S  strings
//   %x     hexadecimal; %% a percent sign
// Width and the "-" flag work as in printf ("%5d", "%-10s").
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

namespace voltaris {

class FormatArg {
 public:
  enum class Kind { Integer, Real, Text };

  template <typename T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
  FormatArg(T value) : kind_(Kind::Integer), integer_(static_cast<int64_t>(value)) {}
  FormatArg(double value) : kind_(Kind::Real), real_(value) {}
  FormatArg(float value) : kind_(Kind::Real), real_(value) {}
  FormatArg(const char* value) : kind_(Kind::Text), text_(value ? value : "") {}
  FormatArg(std::string_view value) : kind_(Kind::Text), text_(value) {}
  FormatArg(const std::string& value) : kind_(Kind::Text), text_(value) {}

  Kind kind() const { return kind_; }
  int64_t integer() const { return integer_; }
  double real() const { return real_; }
  std::string_view text() const { return text_; }

 private:
  Kind kind_;
  int64_t integer_ = 0;
  double real_ = 0;
  std::string_view text_;
};

// Raised for a format that does not fit its arguments: a programming error.
class FormatError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

std::string FormatList(std::string_view format, std::span<const FormatArg> args);

template <typename... Args>
std::string Format(std::string_view format, const Args&... args) {
  const std::array<FormatArg, sizeof...(Args)> list{FormatArg(args)...};
  return FormatList(format, list);
}

// Fixed-point text with `decimals` places, "." as separator in every locale.
std::string FormatFixed(double value, int decimals);

// The text without the spaces at either end.
std::string_view TrimSpaces(std::string_view text);

// A number in its general form with up to 15 significant digits and no
// trailing zeros: 10 gives "10", 12.5 gives "12.5", 100 - 100 * 0.9 gives "10".
std::string FloatToStr(double value);

}  // namespace voltaris
