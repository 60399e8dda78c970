// The string layout inside project streams: an int32 length N, N bytes of
// 8-bit text, one zero byte.
#pragma once

#include <string>

#include "catalogue/byte_stream.h"

namespace voltaris {

// Writes the text up to its first zero character.
void WriteStreamString(TStream& stream, const std::string& text);
// Reads the layout back, keeping the text before the first zero byte. A
// negative length or one longer than the rest of the data is a StreamError.
std::string ReadStreamString(TStream& stream);

}  // namespace voltaris
