#include "catalogue/code_page.h"

#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <cerrno>

namespace voltaris {
namespace {

// The C library's own CP1252 table, to check ours against: the UTF-8 of one
// byte, or none for a byte it leaves unassigned. On Windows the system's
// table, which gives the five unassigned bytes their control characters.
std::optional<std::string> LibraryDecode(unsigned char byte) {
#ifdef _WIN32
  const char in[1] = {static_cast<char>(byte)};
  wchar_t wide[2] = {};
  const int length = MultiByteToWideChar(1252, MB_ERR_INVALID_CHARS, in, 1, wide, 2);
  if (length <= 0)
    return GetLastError() == ERROR_INVALID_PARAMETER ? std::optional<std::string>("no-iconv") : std::nullopt;
  char out[8] = {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, length, out, sizeof out, nullptr, nullptr);
  if (size <= 0) return std::nullopt;
  return std::string(out, static_cast<size_t>(size));
#else
  iconv_t convert = iconv_open("UTF-8", "CP1252");
  if (convert == reinterpret_cast<iconv_t>(-1)) return "no-iconv";
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* from = in;
  char* to = out;
  size_t inLeft = 1, outLeft = sizeof out;
  const size_t done = iconv(convert, &from, &inLeft, &to, &outLeft);
  iconv_close(convert);
  if (done == static_cast<size_t>(-1)) return std::nullopt;
  return std::string(out, to);
#endif
}

TEST(CodePage, EveryByteDecodesAsTheCodePageSaysAndEncodesBackToItself) {
  if (LibraryDecode('A') == "no-iconv") GTEST_SKIP() << "no CP1252 in the C library";
  std::string all;
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    all.push_back(static_cast<char>(byte));
    const std::string utf8 = CodePageToUtf8(std::string(1, static_cast<char>(byte)));
    const std::optional<std::string> library = LibraryDecode(byte);
    if (library) {
      EXPECT_EQ(utf8, *library) << std::hex << b;
    } else {
      // The five unassigned bytes: the control character of the same number.
      EXPECT_TRUE(b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) << std::hex << b;
      EXPECT_EQ(CodePageToUnicode(byte), static_cast<char32_t>(b));
    }
    EXPECT_EQ(UnicodeToCodePage(CodePageToUnicode(byte)), byte) << std::hex << b;
  }
  EXPECT_EQ(Utf8ToCodePage(CodePageToUtf8(all)), all);
}

TEST(CodePage, TheCharactersOfTheFilesHaveTheirBytes) {
  const std::string euro = "\xE2\x82\xAC", pound = "\xC2\xA3", eAcute = "\xC3\xA9", uUmlaut = "\xC3\xBC";
  EXPECT_EQ(Utf8ToCodePage("Caf" + eAcute), "Caf\xE9");
  EXPECT_EQ(Utf8ToCodePage(euro + "5"), std::string("\x80") + "5");
  EXPECT_EQ(Utf8ToCodePage(pound + uUmlaut), "\xA3\xFC");
  EXPECT_EQ(CodePageToUtf8(std::string("M\xFC") + "nchen \x80\xA3"), "M" + uUmlaut + "nchen " + euro + pound);
  EXPECT_EQ(Utf8ToCodePage("plain"), "plain");
  EXPECT_EQ(Utf8ToCodePage(""), "");
}

TEST(CodePage, WhatItCannotHoldIsRefusedAndNamed) {
  // A check mark, a Greek letter, a character beyond the first plane.
  for (const char* text : {"ok \xE2\x9C\x93", "\xCE\xA9", "\xF0\x9F\x94\x8B"}) {
    EXPECT_EQ(Utf8ToCodePage(text), std::nullopt) << text;
  }
  EXPECT_EQ(FirstCharacterOutsideCodePage("Caf\xC3\xA9 \xE2\x9C\x93 \xCE\xA9"), "\xE2\x9C\x93");
  EXPECT_EQ(FirstCharacterOutsideCodePage("Caf\xC3\xA9 \xE2\x82\xAC"), std::nullopt);
  EXPECT_EQ(Utf8ToCodePageOr(std::string("a\xE2\x9C\x93") + "b", '?'), "a?b");
  // Not sound UTF-8: a lone continuation, an overlong "/", a surrogate, a cut sequence, beyond U+10FFFF.
  for (const char* text : {"\x80", "\xC0\xAF", "\xED\xA0\x80", "\xC3", "\xF4\x90\x80\x80", "\xE2\x82"}) {
    EXPECT_EQ(Utf8ToCodePage(text), std::nullopt) << text;
    EXPECT_EQ(FirstCharacterOutsideCodePage(text), "\xEF\xBF\xBD");
  }
  EXPECT_EQ(Utf8ToCodePageOr(std::string("\xC3") + "A", '?'), "?A");  // one byte passed, the rest read on
}

}  // namespace
}  // namespace voltaris
