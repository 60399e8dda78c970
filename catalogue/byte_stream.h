// Byte streams for the project records: little-endian integers, doubles, the
// 10-byte extended float and length-prefixed strings, with every read checked
// against the end of the data.
#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/plain_file.h"

namespace voltaris {

// Raised when a read runs past the end of the data or finds a value that
// cannot be right (a negative length, a count larger than the data).
class StreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised when a file cannot be opened, read or written; the text names the file.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using TBytes = std::vector<uint8_t>;
using TExtended = std::array<uint8_t, 10>;

// The 80-bit x87 extended layout (64-bit significand with its integer bit,
// 15-bit exponent biased by 16383, sign), converted without relying on the
// compiler's long double. Every double converts exactly; reading rounds a
// wider significand to the nearest double and an out-of-range exponent to
// zero or infinity.
TExtended EncodeExtended(double value);
double DecodeExtended(const TExtended& bytes);

// A growable block of bytes with a read/write position, like a file in memory.
class TStream {
 public:
  TStream() = default;
  explicit TStream(TBytes bytes) : data_(std::move(bytes)) {}

  const TBytes& Bytes() const { return data_; }
  TBytes TakeBytes() { position_ = 0; return std::move(data_); }
  size_t Size() const { return data_.size(); }
  // Room for `size` bytes in all, so that writing up to them moves nothing.
  void Reserve(size_t size) { data_.reserve(size); }
  size_t Position() const { return position_; }
  void Seek(size_t position);
  size_t Remaining() const { return data_.size() - position_; }

  void WriteBytes(const void* data, size_t size);
  void WriteInt32(int32_t value);
  void WriteInt16(int16_t value);
  void WriteInt8(int8_t value);
  void WriteUInt8(uint8_t value);
  void WriteBool(bool value) { WriteUInt8(value ? 1 : 0); }
  void WriteDouble(double value);
  void WriteExtended(double value);

  // Every read throws StreamError when the data ends before the value does.
  void ReadBytes(void* data, size_t size);
  int32_t ReadInt32();
  int16_t ReadInt16();
  int8_t ReadInt8();
  uint8_t ReadUInt8();
  bool ReadBool() { return ReadUInt8() != 0; }
  double ReadDouble();
  double ReadExtended();

  // Throws StreamError unless `count` items of at least `itemSize` bytes each
  // can still follow: a corrupt count must never drive a huge allocation.
  void CheckCount(int64_t count, size_t itemSize, const char* what) const;

  // The whole content of a plain file of at most `limit.Bytes` bytes; a
  // folder, a pipe or a device (which may never end, or never answer) is
  // refused unread, as is a larger file, with a FileError naming the file
  // and saying which (ReadPlainFile).
  static TStream LoadFromFile(const std::string& path, const TFileLimit& limit);
  // Writes the content to a new file at `path`, on the disk before it
  // returns when `toDisk` is set; whatever stood at the name (a link too)
  // is replaced, never written through (WriteNewFile). FileError naming the
  // file on failure.
  void SaveToFile(const std::string& path, bool toDisk = false) const;
  // The same, written beside the file first and renamed over it only when
  // complete: a failure leaves the old file as it was (and no stray copy).
  // A link, a pipe, a device or a folder at `path` is refused and left as it
  // is.
  void ReplaceFile(const std::string& path) const;

 private:
  TBytes data_;
  size_t position_ = 0;
};

}  // namespace voltaris
