// The one way the program opens a file on disk. A read takes only a plain
// file, opened without waiting (a named pipe with no writer would stop the
// program for good) and read to a limit that fits what the file holds (a
// device such as /dev/zero never ends). A write makes a new file under a
// temporary name, never writing through a link or into a pipe or a device
// that stands at a name, and puts it in place only over a plain file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace voltaris {

// What a kind of file may hold at most, and what the kind is called when a
// larger one is refused: "... is larger than 64 MB, the most a project file
// can be".
struct TFileLimit {
  size_t Bytes;
  const char* What;
};

// NotAPlainFile's words for a name where nothing is.
inline constexpr const char* NotTherePlainFile = "is not there";

// Why a file read at `path` would be refused for what it is: "is a folder,
// not a file", "is a named pipe (FIFO), not a file", "is a device, not a
// file", or "is not there"; empty for a plain file. Links are followed, as
// a read follows them.
std::string NotAPlainFile(const std::string& path);

// The whole content of the plain file at `path`, at most `limit.Bytes`
// bytes. Anything else throws FileError naming the file: one that cannot be
// opened (with the system's reason, "No such file or directory" when it is
// not there), one that is not a plain file (NotAPlainFile's words), one
// larger than the limit.
std::vector<uint8_t> ReadPlainFile(const std::string& path, const TFileLimit& limit);

// Makes a new file at `path` holding `size` bytes, on the disk before it
// returns when `toDisk` is set. Whatever stood at the name (a file a killed
// write left, a link) is removed first, not written through; the file is
// then made exclusively, so nothing that appears there meanwhile is written
// through either. FileError naming the file on failure; what was written of
// the file stays, for the caller to remove (RemovePlainFile).
void WriteNewFile(const std::string& path, const void* data, size_t size, bool toDisk);

// Removes the file or link at `path`, never a folder; no error when there
// is none.
void RemovePlainFile(const std::string& path);

// Throws FileError naming `path` unless nothing is there or it is a plain
// file (not a link to one): the file about to be replaced by a rename, so
// that a link, a pipe, a device or a folder standing at that name is left
// alone ("... is a link, not a file: it is left alone").
void CheckReplaceable(const std::string& path);

// Opens `path` to append to it and look at what it holds, creating it when
// missing, never through a link and only when it is a plain file; FileError
// naming it otherwise. The caller closes the stream.
std::FILE* OpenForAppending(const std::string& path);

// The text to show for an exception caught around reading or writing a
// file: its own text, except for the library's own exceptions that say
// nothing to a user ("std::bad_alloc"), which become `noMemory`.
std::string ReasonOf(const std::exception& error,
                     const std::string& noMemory = "there is not enough memory to read it");

}  // namespace voltaris
