#include "catalogue/stream_string.h"

#include <cstring>

namespace voltaris {

void WriteStreamString(TStream& stream, const std::string& text) {
  const size_t length = std::strlen(text.c_str());  // cut at an embedded zero
  stream.WriteInt32(static_cast<int32_t>(length));
  stream.WriteBytes(text.data(), length);
  stream.WriteUInt8(0);
}

std::string ReadStreamString(TStream& stream) {
  const int32_t length = stream.ReadInt32();
  stream.CheckCount(length, 1, "text length");
  // The text and its closing zero byte must both still be there.
  stream.CheckCount(static_cast<int64_t>(length) + 1, 1, "text length");
  std::string text(static_cast<size_t>(length) + 1, '\0');
  stream.ReadBytes(text.data(), text.size());
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace voltaris
