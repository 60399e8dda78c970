#include "catalogue/byte_stream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "catalogue/stream_string.h"
#include "tests/pipe_watchdog.h"

namespace voltaris {
namespace {

namespace fs = std::filesystem;

constexpr TFileLimit TestFileLimit{1024 * 1024, "a test file"};

TBytes Hex(std::initializer_list<int> bytes) { return TBytes(bytes.begin(), bytes.end()); }

TEST(ByteStream, IntegersAndDoublesAreLittleEndian) {
  TStream stream;
  stream.WriteInt32(-2);
  stream.WriteInt32(0x01020304);
  stream.WriteInt16(-300);
  stream.WriteUInt8(0xAB);
  stream.WriteDouble(1.0);
  EXPECT_EQ(stream.Bytes(), Hex({0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01, 0xD4, 0xFE, 0xAB, 0, 0, 0, 0, 0,
                                 0, 0xF0, 0x3F}));
  stream.Seek(0);
  EXPECT_EQ(stream.ReadInt32(), -2);
  EXPECT_EQ(stream.ReadInt32(), 0x01020304);
  EXPECT_EQ(stream.ReadInt16(), -300);
  EXPECT_EQ(stream.ReadUInt8(), 0xAB);
  EXPECT_EQ(stream.ReadDouble(), 1.0);
  EXPECT_EQ(stream.Remaining(), 0u);
}

TEST(ByteStream, ExtendedHasTheExactBytesOfTheBatterySizes) {
  EXPECT_EQ(EncodeExtended(7.2), (TExtended{0x00, 0x68, 0x66, 0x66, 0x66, 0x66, 0x66, 0xE6, 0x01, 0x40}));
  EXPECT_EQ(EncodeExtended(14.4), (TExtended{0x00, 0x68, 0x66, 0x66, 0x66, 0x66, 0x66, 0xE6, 0x02, 0x40}));
  EXPECT_EQ(EncodeExtended(17.0), (TExtended{0, 0, 0, 0, 0, 0, 0, 0x88, 0x03, 0x40}));
  EXPECT_EQ(EncodeExtended(18.0), (TExtended{0, 0, 0, 0, 0, 0, 0, 0x90, 0x03, 0x40}));
  EXPECT_EQ(EncodeExtended(0.0), TExtended{});
}

TEST(ByteStream, ExtendedRoundTripsEveryKindOfDouble) {
  const double values[] = {7.2, 14.4, 17.0, 18.0, 2.1, 0.0, -0.0, 1.0, -1.5, 1e-300, 1e300,
                           std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::min(), 0.1, 1.0 / 3.0};
  for (double value : values) {
    const double back = DecodeExtended(EncodeExtended(value));
    EXPECT_EQ(back, value) << value;
    EXPECT_EQ(std::signbit(back), std::signbit(value)) << value;
  }
  EXPECT_TRUE(std::isinf(DecodeExtended(EncodeExtended(std::numeric_limits<double>::infinity()))));
  EXPECT_TRUE(std::isnan(DecodeExtended(EncodeExtended(std::numeric_limits<double>::quiet_NaN()))));
}

TEST(ByteStream, ExtendedOutsideTheDoubleRangeBecomesInfinityOrZero) {
  // Largest finite extended exponent, and the smallest denormal extended.
  EXPECT_TRUE(std::isinf(DecodeExtended(TExtended{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x7F})));
  EXPECT_EQ(DecodeExtended(TExtended{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}), 0.0);
  // A 64-bit significand rounds to the nearest double: 1 + 2^-63 reads as 1.
  EXPECT_EQ(DecodeExtended(TExtended{1, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}), 1.0);
}

TEST(ByteStream, ReadsPastTheEndThrowWithoutMoving) {
  TStream stream(Hex({1, 2, 3}));
  EXPECT_THROW(stream.ReadInt32(), StreamError);
  EXPECT_EQ(stream.Position(), 0u);
  EXPECT_EQ(stream.ReadUInt8(), 1);
  EXPECT_THROW(stream.ReadDouble(), StreamError);
  EXPECT_THROW(stream.ReadExtended(), StreamError);
  EXPECT_THROW(stream.Seek(4), StreamError);
}

TEST(ByteStream, CountChecksRejectNegativeAndOversizedCounts) {
  TStream stream(TBytes(100));
  EXPECT_NO_THROW(stream.CheckCount(4, 25, "entries"));
  EXPECT_THROW(stream.CheckCount(5, 25, "entries"), StreamError);
  EXPECT_THROW(stream.CheckCount(-1, 1, "entries"), StreamError);
  EXPECT_THROW(stream.CheckCount(int64_t{1} << 40, 1, "entries"), StreamError);
}

TEST(StreamString, HasLengthTextAndAZeroByte) {
  TStream stream;
  WriteStreamString(stream, "abc");
  EXPECT_EQ(stream.Bytes(), Hex({0x03, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63, 0x00}));
  WriteStreamString(stream, "");
  EXPECT_EQ(stream.Size(), 8u + 5u);
  WriteStreamString(stream, std::string("ab\0cd", 5));  // cut at the embedded zero
  stream.Seek(0);
  EXPECT_EQ(ReadStreamString(stream), "abc");
  EXPECT_EQ(ReadStreamString(stream), "");
  EXPECT_EQ(ReadStreamString(stream), "ab");
  EXPECT_EQ(stream.Remaining(), 0u);
}

TEST(StreamString, ReadingKeepsTheTextBeforeAnEmbeddedZero) {
  TStream stream(Hex({5, 0, 0, 0, 'a', 'b', 0, 'c', 'd', 0, 0x7F}));
  EXPECT_EQ(ReadStreamString(stream), "ab");
  EXPECT_EQ(stream.Remaining(), 1u);
}

TEST(StreamString, EveryTruncationAndEveryBadLengthFailsCleanly) {
  TStream whole;
  WriteStreamString(whole, "Hall way");
  for (size_t cut = 0; cut < whole.Size(); ++cut) {
    TStream part(TBytes(whole.Bytes().begin(), whole.Bytes().begin() + cut));
    EXPECT_THROW(ReadStreamString(part), StreamError) << cut;
  }
  for (int32_t length : {-1, -2, 1 << 30, 0x7FFFFFFF}) {
    TStream bad;
    bad.WriteInt32(length);
    bad.WriteUInt8(0);
    bad.Seek(0);
    EXPECT_THROW(ReadStreamString(bad), StreamError) << length;
  }
}

TEST(ByteStream, FilesRoundTripAndErrorsNameTheFile) {
  const auto dir = std::filesystem::temp_directory_path() / "voltaris_stream_test";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "record.bin").string();
  TStream out;
  out.WriteInt32(42);
  WriteStreamString(out, "text");
  out.SaveToFile(path);
  TStream in = TStream::LoadFromFile(path, TestFileLimit);
  EXPECT_EQ(in.Bytes(), out.Bytes());
  std::filesystem::remove_all(dir);
  try {
    TStream::LoadFromFile(path, TestFileLimit);
    FAIL() << "a missing file loaded";
  } catch (const FileError& error) {
    EXPECT_NE(std::string(error.what()).find("record.bin"), std::string::npos);
  }
  EXPECT_THROW(out.SaveToFile((dir / "missing" / "x.bin").string()), FileError);
}

// The index and the report are replaced by writing beside and renaming over
// the old file, which must work where the old file is there (Windows' C
// library will not rename onto an existing file) and keep it when the new
// one cannot be written.
TEST(ByteStream, ReplaceFileRenamesOverTheOldFileAndKeepsItWhenTheNewOneFails) {
  const auto dir = std::filesystem::temp_directory_path() / "voltaris_replace_test";
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "Accounts.db").string();
  TStream(TBytes{'o', 'l', 'd'}).SaveToFile(path);
  TStream(TBytes{'n', 'e', 'w', '!'}).ReplaceFile(path);
  EXPECT_EQ(TStream::LoadFromFile(path, TestFileLimit).Bytes(), (TBytes{'n', 'e', 'w', '!'}));
  EXPECT_FALSE(std::filesystem::exists(path + ".new"));
  TStream(TBytes{'a', 'g', 'a', 'i', 'n'}).ReplaceFile(path);
  EXPECT_EQ(TStream::LoadFromFile(path, TestFileLimit).Bytes(), (TBytes{'a', 'g', 'a', 'i', 'n'}));

  // The new file cannot be made beside it (a folder has its name): the old one stays.
  std::filesystem::create_directory(path + ".new");
  try {
    TStream(TBytes{'x'}).ReplaceFile(path);
    ADD_FAILURE() << "the replacement was written";
  } catch (const FileError& error) {
    EXPECT_EQ(std::string(error.what()).rfind(path + ": cannot write the file", 0), 0u) << error.what();
  }
  EXPECT_EQ(TStream::LoadFromFile(path, TestFileLimit).Bytes(), (TBytes{'a', 'g', 'a', 'i', 'n'}));
  std::filesystem::remove_all(dir);
}

// A fresh folder for one test, named for it.
fs::path Scratch() {
  const fs::path dir = fs::temp_directory_path() /
                       ("voltaris-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string Text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whatever is no plain file is refused unread and at once, saying what it
// is; a missing file still says it is not there; a file over the limit of its
// kind names the limit.
TEST(PlainFile, AReadRefusesWhatIsNoPlainFileAndWhatIsTooLarge) {
#ifdef _WIN32
  GTEST_SKIP() << "named pipes, /dev/zero and symbolic links are made the POSIX way";
#else
  const fs::path dir = Scratch();
  const testing::PipeWatchdog pipe((dir / "pipe").string());
  ASSERT_TRUE(pipe.Made());
  fs::create_symlink("/dev/zero", dir / "endless");
  fs::create_directory(dir / "folder");
  std::ofstream(dir / "large") << std::string(TestFileLimit.Bytes + 1, 'x');
  std::ofstream(dir / "whole") << std::string(TestFileLimit.Bytes, 'x');
  const std::pair<const char*, std::string> cases[] = {
      {"pipe", "is a named pipe (FIFO), not a file"},
      {"endless", "is a device, not a file"},
      {"folder", "is a folder, not a file"},
      {"large", "the file is larger than 1 MB, the most a test file can be"},
      {"missing", "cannot open the file (No such file or directory)"},
  };
  for (const auto& [name, error] : cases) {
    const std::string path = (dir / name).string();
    const auto start = std::chrono::steady_clock::now();
    try {
      TStream::LoadFromFile(path, TestFileLimit);
      ADD_FAILURE() << name << " was read";
    } catch (const FileError& failure) {
      EXPECT_EQ(failure.what(), path + ": " + error);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, testing::PipeWaitLimit) << name;
  }
  EXPECT_EQ(TStream::LoadFromFile((dir / "whole").string(), TestFileLimit).Size(), TestFileLimit.Bytes);
  EXPECT_FALSE(pipe.Fired());
  fs::remove_all(dir);
#endif
}

// A link left where the new file is written first is replaced, never
// written through; a file to be replaced that is a link is refused by name
// and left as it is, with nothing left beside it.
TEST(PlainFile, AReplacementNeverFollowsALink) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need rights on Windows";
#else
  const fs::path dir = Scratch();
  std::ofstream(dir / "outside") << "not the program's";
  fs::create_symlink(dir / "outside", dir / "Accounts.db.new");
  TStream(TBytes{'n', 'e', 'w'}).ReplaceFile((dir / "Accounts.db").string());
  EXPECT_EQ(Text(dir / "Accounts.db"), "new");
  EXPECT_FALSE(fs::is_symlink(dir / "Accounts.db"));

  const std::string linked = (dir / "Linked.pdf").string();
  fs::create_symlink(dir / "outside", linked);
  try {
    TStream(TBytes{'p', 'd', 'f'}).ReplaceFile(linked);
    ADD_FAILURE() << "the link was replaced";
  } catch (const FileError& error) {
    EXPECT_EQ(error.what(), linked + ": is a link, not a file: it is left alone");
  }
  EXPECT_TRUE(fs::is_symlink(linked));
  EXPECT_FALSE(fs::exists(linked + ".new"));
  EXPECT_EQ(Text(dir / "outside"), "not the program's");
  fs::remove_all(dir);
#endif
}

// A reason shown to a user is never the library's word for running out of
// memory.
TEST(PlainFile, ReasonsSayWhatTheUserCanTell) {
  EXPECT_EQ(ReasonOf(std::bad_alloc()), "there is not enough memory to read it");
  EXPECT_EQ(ReasonOf(std::length_error("vector::_M_default_append"), "no room"), "no room");
  EXPECT_EQ(ReasonOf(FileError("Shop.dat: cannot open the file")), "Shop.dat: cannot open the file");
}

}  // namespace
}  // namespace voltaris
