#include "catalogue/byte_stream.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#ifdef _WIN32
#include "catalogue/windows_api.h"

#include <system_error>
#endif

namespace voltaris {

static_assert(std::numeric_limits<double>::is_iec559, "doubles must be IEEE 754");

TExtended EncodeExtended(double value) {
  TExtended bytes{};
  uint16_t signExponent = std::signbit(value) ? 0x8000 : 0;
  uint64_t significand = 0;
  if (std::isnan(value)) {
    signExponent |= 0x7FFF;
    significand = 0xC000000000000000ull;
  } else if (std::isinf(value)) {
    signExponent |= 0x7FFF;
    significand = 0x8000000000000000ull;
  } else if (value != 0) {
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);  // in [0.5, 1)
    // 53 significant bits scaled to 64: exact, and the integer bit comes out set.
    significand = static_cast<uint64_t>(std::ldexp(fraction, 64));
    signExponent |= static_cast<uint16_t>(exponent - 1 + 16383);
  }
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(significand >> (8 * i));
  bytes[8] = static_cast<uint8_t>(signExponent);
  bytes[9] = static_cast<uint8_t>(signExponent >> 8);
  return bytes;
}

double DecodeExtended(const TExtended& bytes) {
  uint64_t significand = 0;
  for (int i = 0; i < 8; ++i) significand |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  const uint16_t signExponent = static_cast<uint16_t>(bytes[8] | (bytes[9] << 8));
  const bool negative = (signExponent & 0x8000) != 0;
  const int exponent = signExponent & 0x7FFF;
  double magnitude;
  if (exponent == 0x7FFF) {
    magnitude = (significand << 1) == 0 ? std::numeric_limits<double>::infinity()
                                        : std::numeric_limits<double>::quiet_NaN();
  } else if (significand == 0) {
    magnitude = 0;
  } else {
    // Denormal extended values have a zero exponent field but the scale of exponent 1.
    const int scale = (exponent == 0 ? 1 : exponent) - 16383 - 63;
    magnitude = std::ldexp(static_cast<double>(significand), scale);
  }
  return negative ? -magnitude : magnitude;
}

void TStream::Seek(size_t position) {
  if (position > data_.size()) throw StreamError("seek beyond the end of the data");
  position_ = position;
}

void TStream::WriteBytes(const void* data, size_t size) {
  if (size == 0) return;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (position_ == data_.size()) {
    // Most writes are a few bytes at the end: byte by byte is cheaper there
    // than a general insertion (a project's file image is written on every command).
    if (size <= 16) {
      for (size_t i = 0; i < size; ++i) data_.push_back(bytes[i]);
    } else {
      data_.insert(data_.end(), bytes, bytes + size);
    }
  } else {
    if (position_ + size > data_.size()) data_.resize(position_ + size);
    std::memcpy(data_.data() + position_, bytes, size);
  }
  position_ += size;
}

namespace {
template <typename T>
void PutLittleEndian(TStream& stream, T value) {
  using U = std::make_unsigned_t<T>;
  const U bits = static_cast<U>(value);
  uint8_t bytes[sizeof(T)];
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
  stream.WriteBytes(bytes, sizeof(T));
}

template <typename T>
T GetLittleEndian(TStream& stream) {
  using U = std::make_unsigned_t<T>;
  uint8_t bytes[sizeof(T)];
  stream.ReadBytes(bytes, sizeof(T));
  U bits = 0;
  for (size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<U>(static_cast<U>(bytes[i]) << (8 * i));
  return static_cast<T>(bits);
}
}  // namespace

void TStream::WriteInt32(int32_t value) { PutLittleEndian(*this, value); }
void TStream::WriteInt16(int16_t value) { PutLittleEndian(*this, value); }
void TStream::WriteInt8(int8_t value) { PutLittleEndian(*this, value); }
void TStream::WriteUInt8(uint8_t value) { WriteBytes(&value, 1); }
void TStream::WriteDouble(double value) { PutLittleEndian(*this, std::bit_cast<uint64_t>(value)); }
void TStream::WriteExtended(double value) {
  const TExtended bytes = EncodeExtended(value);
  WriteBytes(bytes.data(), bytes.size());
}

void TStream::ReadBytes(void* data, size_t size) {
  if (size > Remaining()) {
    throw StreamError("the data ends " + std::to_string(Remaining()) + " bytes into a field of " +
                      std::to_string(size) + " bytes at offset " + std::to_string(position_));
  }
  if (size > 0) std::memcpy(data, data_.data() + position_, size);
  position_ += size;
}

int32_t TStream::ReadInt32() { return GetLittleEndian<int32_t>(*this); }
int16_t TStream::ReadInt16() { return GetLittleEndian<int16_t>(*this); }
int8_t TStream::ReadInt8() { return GetLittleEndian<int8_t>(*this); }
uint8_t TStream::ReadUInt8() { return GetLittleEndian<uint8_t>(*this); }
double TStream::ReadDouble() { return std::bit_cast<double>(GetLittleEndian<uint64_t>(*this)); }
double TStream::ReadExtended() {
  TExtended bytes;
  ReadBytes(bytes.data(), bytes.size());
  return DecodeExtended(bytes);
}

void TStream::CheckCount(int64_t count, size_t itemSize, const char* what) const {
  if (count < 0) {
    throw StreamError(std::string("negative ") + what + " (" + std::to_string(count) + ") at offset " +
                      std::to_string(position_));
  }
  if (itemSize > 0 && static_cast<uint64_t>(count) > Remaining() / itemSize) {
    throw StreamError(std::string(what) + " of " + std::to_string(count) + " at offset " +
                      std::to_string(position_) + " is larger than the " + std::to_string(Remaining()) +
                      " bytes that follow");
  }
}

namespace {
// The reason of a file error about `path`, without the path it begins with.
std::string Describe(const FileError& error, const std::string& path) {
  std::string text = error.what();
  if (text.rfind(path + ": ", 0) == 0) text.erase(0, path.size() + 2);
  return text;
}
}  // namespace

TStream TStream::LoadFromFile(const std::string& path, const TFileLimit& limit) {
  return TStream(ReadPlainFile(path, limit));
}

void TStream::SaveToFile(const std::string& path, bool toDisk) const {
  WriteNewFile(path, data_.data(), data_.size(), toDisk);
}

void TStream::ReplaceFile(const std::string& path) const {
  const std::string temporary = path + ".new";
  // The rename would put the file in the place of a link (or a pipe, a
  // device) that stands at the name: such a thing is not this program's.
  CheckReplaceable(path);
  try {
    SaveToFile(temporary);
  } catch (const FileError& error) {
    RemovePlainFile(temporary);  // what was written of it is of no use
    throw FileError(path + ": cannot write the file (" + Describe(error, temporary) + ")");
  }
  try {
    CheckReplaceable(path);  // once more: it may have come meanwhile
  } catch (const FileError&) {
    RemovePlainFile(temporary);
    throw;
  }
#ifdef _WIN32
  // Windows' rename refuses a name that exists; the file system's own move
  // replaces it in one step. Names are in the system's code page, as fopen
  // takes them.
  if (MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    const std::string reason = std::system_category().message(static_cast<int>(GetLastError()));
    RemovePlainFile(temporary);
    throw FileError(path + ": cannot replace the file (" + reason + ")");
  }
#else
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    RemovePlainFile(temporary);
    throw FileError(path + ": cannot replace the file (" + reason + ")");
  }
#endif
}

}  // namespace voltaris
