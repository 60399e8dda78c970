// The code page of the text in the project files, the index and the report
// files: Windows-1252, whatever the machine's own locale. The model keeps
// text in it, one byte a character; the Qt layer and the report tool turn it
// into UTF-8 and back with these.
//
// Bytes 0x00-0x7F are ASCII and 0xA0-0xFF are U+00A0-U+00FF; 0x80-0x9F hold
// the code page's own characters ("€" is 0x80). Its five unassigned bytes,
// 0x81, 0x8D, 0x8F, 0x90 and 0x9D, decode to the control characters of the
// same number (U+0081 ...) and encode back to themselves, so that every byte
// sequence survives a decode and an encode unchanged.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace voltaris {

// The Unicode character of one code-page byte.
char32_t CodePageToUnicode(unsigned char byte);
// The code-page byte of a Unicode character, or none when it has no place in it.
std::optional<unsigned char> UnicodeToCodePage(char32_t character);

// Code-page text as UTF-8. Never fails.
std::string CodePageToUtf8(std::string_view text);
// UTF-8 as code-page text; none when it is not sound UTF-8 or holds a
// character the code page cannot hold.
std::optional<std::string> Utf8ToCodePage(std::string_view utf8);
// The same, with every character the code page cannot hold (and every byte
// that is not sound UTF-8) written as `replacement`.
std::string Utf8ToCodePageOr(std::string_view utf8, char replacement);

// The first character of the UTF-8 text the code page cannot hold, as UTF-8
// (a byte that is not sound UTF-8 is given as "\uFFFD"); none when it holds all.
std::optional<std::string> FirstCharacterOutsideCodePage(std::string_view utf8);

// A code-page letter in small type: the ASCII letters, the accented ones of
// 0xC0-0xDE (not the multiplication sign) and the four of 0x80-0x9F that
// have a small letter (Š, Œ, Ž, Ÿ); any other byte as it is.
unsigned char FoldCase(unsigned char byte);
// Whether two code-page texts are the same, capitals aside.
bool SameIgnoringCase(std::string_view a, std::string_view b);
// Names in the order a reader looks them up: capitals ignored, then by their
// bytes, so that the order never depends on where the names came from.
bool NameBefore(std::string_view a, std::string_view b);

}  // namespace voltaris
