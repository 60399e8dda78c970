#include "catalogue/code_page.h"

#include <algorithm>
#include <array>

namespace voltaris {

namespace {

// Bytes 0x80 to 0x9F; the unassigned ones stand for the control character of their own number.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// One character of UTF-8 from `at`, which moves past it; none for a byte
// that does not start a sound sequence (overlong, a surrogate, beyond
// U+10FFFF, cut), of which one byte is passed.
std::optional<char32_t> NextUtf8(std::string_view text, size_t& at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  size_t length = 0;
  char32_t c = 0;
  if (lead < 0x80) {
    ++at;
    return lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07;
  } else {
    ++at;
    return std::nullopt;
  }
  if (text.size() - at < length) {
    ++at;
    return std::nullopt;
  }
  for (size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0) != 0x80) {
      ++at;
      return std::nullopt;
    }
    c = (c << 6) | (next & 0x3F);
  }
  constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    ++at;
    return std::nullopt;
  }
  at += length;
  return c;
}

}  // namespace

char32_t CodePageToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte <= 0x9F ? HighControls[byte - 0x80] : byte;
}

std::optional<unsigned char> UnicodeToCodePage(char32_t character) {
  if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) return static_cast<unsigned char>(character);
  for (size_t i = 0; i < HighControls.size(); ++i)
    if (HighControls[i] == character) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

std::string CodePageToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char byte : text) AppendUtf8(out, CodePageToUnicode(static_cast<unsigned char>(byte)));
  return out;
}

std::optional<std::string> Utf8ToCodePage(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    const std::optional<char32_t> c = NextUtf8(utf8, at);
    const std::optional<unsigned char> byte = c ? UnicodeToCodePage(*c) : std::nullopt;
    if (!byte) return std::nullopt;
    out.push_back(static_cast<char>(*byte));
  }
  return out;
}

std::string Utf8ToCodePageOr(std::string_view utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    const std::optional<char32_t> c = NextUtf8(utf8, at);
    const std::optional<unsigned char> byte = c ? UnicodeToCodePage(*c) : std::nullopt;
    out.push_back(byte ? static_cast<char>(*byte) : replacement);
  }
  return out;
}

std::optional<std::string> FirstCharacterOutsideCodePage(std::string_view utf8) {
  for (size_t at = 0; at < utf8.size();) {
    const std::optional<char32_t> c = NextUtf8(utf8, at);
    if (c && UnicodeToCodePage(*c)) continue;
    std::string character;
    AppendUtf8(character, c ? *c : 0xFFFD);
    return character;
  }
  return std::nullopt;
}

unsigned char FoldCase(unsigned char byte) {
  if (byte >= 'A' && byte <= 'Z') return static_cast<unsigned char>(byte - 'A' + 'a');
  if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return static_cast<unsigned char>(byte + 0x20);
  if (byte == 0x8A || byte == 0x8C || byte == 0x8E) return static_cast<unsigned char>(byte + 0x10);
  if (byte == 0x9F) return 0xFF;
  return byte;
}

namespace {

bool FoldedLess(char x, char y) {
  return FoldCase(static_cast<unsigned char>(x)) < FoldCase(static_cast<unsigned char>(y));
}

}  // namespace

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldCase(static_cast<unsigned char>(x)) == FoldCase(static_cast<unsigned char>(y));
         });
}

bool NameBefore(std::string_view a, std::string_view b) {
  if (std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), FoldedLess)) return true;
  if (std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), FoldedLess)) return false;
  return a < b;
}

}  // namespace voltaris
