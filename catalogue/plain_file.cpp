#include "catalogue/plain_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>
#include <system_error>

#include "catalogue/byte_stream.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "catalogue/windows_api.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace voltaris {

namespace {

// "64 MB", "64 KB" or "100 bytes": the limit as a user reads it.
std::string LimitText(size_t bytes) {
  constexpr size_t KB = 1024, MB = 1024 * 1024;
  if (bytes >= MB && bytes % MB == 0) return std::to_string(bytes / MB) + " MB";
  if (bytes >= KB && bytes % KB == 0) return std::to_string(bytes / KB) + " KB";
  return std::to_string(bytes) + " bytes";
}

[[noreturn]] void TooLarge(const std::string& path, const TFileLimit& limit) {
  throw FileError(path + ": the file is larger than " + LimitText(limit.Bytes) + ", the most " + limit.What +
                  " can be");
}

constexpr const char* Folder = "is a folder, not a file";
constexpr const char* Pipe = "is a named pipe (FIFO), not a file";
constexpr const char* Device = "is a device, not a file";
constexpr const char* Link = "is a link, not a file";
constexpr const char* LeftAlone = ": it is left alone";

#ifdef _WIN32

std::string Reason() { return std::system_category().message(static_cast<int>(GetLastError())); }

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

struct HandleCloser {
  HANDLE handle;
  ~HandleCloser() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

// What the open handle is when it is no plain file, or nullptr. Folders
// open only with backup semantics, which is how they are opened here, so
// that they can be named.
const char* KindOf(HANDLE file) {
  const DWORD type = GetFileType(file);
  if (type == FILE_TYPE_PIPE) return Pipe;
  if (type != FILE_TYPE_DISK) return Device;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(file, &info) == 0) return nullptr;  // the read says why
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return Link;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return Folder;
  return nullptr;
}

// Opened only to be looked at; `follow` follows a link to what it names.
HANDLE OpenToLookAt(const std::string& path, bool follow) {
  return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT), nullptr);
}

#else

std::string Reason() { return std::strerror(errno); }

struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) ::close(fd);
  }
};

const char* KindOf(mode_t mode) {
  if (S_ISREG(mode)) return nullptr;
  if (S_ISDIR(mode)) return Folder;
  if (S_ISFIFO(mode)) return Pipe;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return Device;
  if (S_ISLNK(mode)) return Link;
  return "is not a file";  // a socket
}

// Back to reads that wait for their bytes, which a plain file always has.
bool Blocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

#endif

}  // namespace

std::string NotAPlainFile(const std::string& path) {
#ifdef _WIN32
  const HandleCloser file{OpenToLookAt(path, true)};
  if (file.handle == INVALID_HANDLE_VALUE) return Missing(GetLastError()) ? NotTherePlainFile : "";
  const char* kind = KindOf(file.handle);
  return kind ? kind : "";
#else
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return errno == ENOENT || errno == ENOTDIR ? NotTherePlainFile : "";
  const char* kind = KindOf(status.st_mode);
  return kind ? kind : "";
#endif
}

std::vector<uint8_t> ReadPlainFile(const std::string& path, const TFileLimit& limit) {
  std::vector<uint8_t> bytes;
  uint8_t buffer[65536];
#ifdef _WIN32
  const HandleCloser file{CreateFileA(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) throw FileError(path + ": cannot open the file (" + Reason() + ")");
  if (const char* kind = KindOf(file.handle)) throw FileError(path + ": " + kind);
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.handle, &size) == 0) throw FileError(path + ": cannot read the file (" + Reason() + ")");
  if (static_cast<uint64_t>(size.QuadPart) > limit.Bytes) TooLarge(path, limit);
  bytes.reserve(static_cast<size_t>(size.QuadPart));
  for (;;) {
    DWORD got = 0;
    if (ReadFile(file.handle, buffer, sizeof buffer, &got, nullptr) == 0)
      throw FileError(path + ": cannot read the file (" + Reason() + ")");
    if (got == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
    if (bytes.size() > limit.Bytes) TooLarge(path, limit);  // it grew while read
  }
#else
  // Without waiting: a pipe with no writer would never answer the open.
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw FileError(path + ": cannot open the file (" + Reason() + ")");
  const FdCloser closer{fd};
  struct stat status {};
  if (::fstat(fd, &status) != 0) throw FileError(path + ": cannot read the file (" + Reason() + ")");
  if (const char* kind = KindOf(status.st_mode)) throw FileError(path + ": " + kind);
  if (static_cast<uintmax_t>(status.st_size) > limit.Bytes) TooLarge(path, limit);
  if (!Blocking(fd)) throw FileError(path + ": cannot read the file (" + Reason() + ")");
  bytes.reserve(static_cast<size_t>(status.st_size));
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw FileError(path + ": cannot read the file (" + Reason() + ")");
    if (got == 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
    if (bytes.size() > limit.Bytes) TooLarge(path, limit);  // it grew while read
  }
#endif
  return bytes;
}

void WriteNewFile(const std::string& path, const void* data, size_t size, bool toDisk) {
  const auto* next = static_cast<const uint8_t*>(data);
#ifdef _WIN32
  // A link is removed itself, not what it names; CREATE_NEW then fails on
  // anything that stands at the name after all.
  DeleteFileA(path.c_str());
  const HandleCloser file{
      CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE) throw FileError(path + ": cannot create the file (" + Reason() + ")");
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
    DWORD written = 0;
    if (WriteFile(file.handle, next, chunk, &written, nullptr) == 0 || written == 0)
      throw FileError(path + ": cannot write the file (" + Reason() + ")");
    next += written;
    size -= written;
  }
  if (toDisk && FlushFileBuffers(file.handle) == 0)
    throw FileError(path + ": cannot write the file to the disk (" + Reason() + ")");
#else
  // unlink removes a link itself, never what it names; a folder stays, and
  // the exclusive create below says so.
  ::unlink(path.c_str());
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) throw FileError(path + ": cannot create the file (" + Reason() + ")");
  FdCloser closer{fd};
  while (size > 0) {
    const ssize_t written = ::write(fd, next, std::min<size_t>(size, 1u << 30));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw FileError(path + ": cannot write the file (" + Reason() + ")");
    next += written;
    size -= static_cast<size_t>(written);
  }
  // On the disk before it takes its real name: after a power failure the
  // renamed file must not turn out empty.
  if (toDisk && ::fsync(fd) != 0) throw FileError(path + ": cannot write the file to the disk (" + Reason() + ")");
  closer.fd = -1;
  if (::close(fd) != 0) throw FileError(path + ": cannot close the file (" + Reason() + ")");
#endif
}

void RemovePlainFile(const std::string& path) {
#ifdef _WIN32
  DeleteFileA(path.c_str());
#else
  ::unlink(path.c_str());
#endif
}

void CheckReplaceable(const std::string& path) {
#ifdef _WIN32
  const HandleCloser file{OpenToLookAt(path, false)};
  if (file.handle == INVALID_HANDLE_VALUE) return;  // not there, or the rename will say why
  if (const char* kind = KindOf(file.handle)) throw FileError(path + ": " + kind + LeftAlone);
#else
  struct stat status {};
  if (::lstat(path.c_str(), &status) != 0) return;  // not there, or the rename will say why
  if (const char* kind = KindOf(status.st_mode)) throw FileError(path + ": " + kind + LeftAlone);
#endif
}

std::FILE* OpenForAppending(const std::string& path) {
#ifdef _WIN32
  // A link is opened itself, so that it can be refused.
  HandleCloser file{CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr)};
  if (file.handle == INVALID_HANDLE_VALUE)
    throw FileError(path + ": cannot open the file for appending (" + Reason() + ")");
  if (const char* kind = KindOf(file.handle)) throw FileError(path + ": " + kind + LeftAlone);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file.handle), _O_RDWR | _O_APPEND | _O_BINARY);
  if (fd < 0) throw FileError(path + ": cannot open the file for appending (" + std::strerror(errno) + ")");
  file.handle = INVALID_HANDLE_VALUE;  // the descriptor has it now
  std::FILE* stream = _fdopen(fd, "a+b");
  if (!stream) {
    const std::string reason = std::strerror(errno);
    _close(fd);
    throw FileError(path + ": cannot open the file for appending (" + reason + ")");
  }
  return stream;
#else
  // Not through a link, and without waiting on a pipe.
  const int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                        0666);
  if (fd < 0 && errno == ELOOP) throw FileError(path + ": " + Link + LeftAlone);
  if (fd < 0) throw FileError(path + ": cannot open the file for appending (" + Reason() + ")");
  FdCloser closer{fd};
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !Blocking(fd))
    throw FileError(path + ": cannot open the file for appending (" + Reason() + ")");
  if (const char* kind = KindOf(status.st_mode)) throw FileError(path + ": " + kind + LeftAlone);
  std::FILE* stream = ::fdopen(fd, "a+b");
  if (!stream) throw FileError(path + ": cannot open the file for appending (" + Reason() + ")");
  closer.fd = -1;
  return stream;
#endif
}

std::string ReasonOf(const std::exception& error, const std::string& noMemory) {
  // What the library raises when memory runs out or a size is beyond it
  // ("std::bad_alloc", "vector::_M_default_append") tells a user nothing.
  if (dynamic_cast<const std::bad_alloc*>(&error) || dynamic_cast<const std::length_error*>(&error)) return noMemory;
  return error.what();
}

}  // namespace voltaris
