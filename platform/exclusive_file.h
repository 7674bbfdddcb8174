// A regular file held open with no sharing: while it is open, no other exclusive open of it
// (by this or another process that takes flock locks) succeeds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tolva::platform {

// What tells one state of a file from another: the same file, the same length, not written since.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  uint64_t size = 0;
  int64_t modified_ns = 0;
  bool operator==(const FileIdentity&) const = default;
};

class ExclusiveFile {
 public:
  enum class Access { kRead, kReadWrite };

  // Opens an existing regular file. Anything else (missing, a folder, a FIFO, a device, held by
  // another process, or - for kReadWrite - a read-only file) raises FileOpenError naming `path`.
  static ExclusiveFile Open(const std::string& path, Access access);

  ExclusiveFile(ExclusiveFile&& other) noexcept;
  ExclusiveFile& operator=(ExclusiveFile&& other) noexcept;
  ExclusiveFile(const ExclusiveFile&) = delete;
  ExclusiveFile& operator=(const ExclusiveFile&) = delete;
  ~ExclusiveFile();

  // Size in bytes, asked anew each time.
  uint64_t Size() const;
  FileIdentity Identity() const;

  // Reads up to buffer.size() bytes at the absolute position `position`; gives the number read,
  // which is short only at the end of the file or when the read fails.
  size_t ReadAt(uint64_t position, std::span<uint8_t> buffer) const;

  // Writes one byte at the absolute position `position`; false when the write failed.
  bool WriteByteAt(uint64_t position, uint8_t value);

  void Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  explicit ExclusiveFile(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace tolva::platform
