// A sequential source of bytes: a file shared for reading, or bytes held in memory, so that
// parsers run the same on both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tolva::platform {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Fills up to buffer.size() bytes; 0 at the end. Raises IoError when the read fails.
  virtual size_t Read(std::span<uint8_t> buffer) = 0;
};

// A file opened for reading that other readers may open too; writers are kept out.
class SharedReadFile : public ByteSource {
 public:
  // Raises IoError with the code of the failure (missing, denied, locked by a writer,
  // or not a regular file).
  explicit SharedReadFile(const std::string& path);
  ~SharedReadFile() override;
  SharedReadFile(const SharedReadFile&) = delete;
  SharedReadFile& operator=(const SharedReadFile&) = delete;

  size_t Read(std::span<uint8_t> buffer) override;
  void Close();

 private:
  int fd_ = -1;
};

class MemoryByteSource : public ByteSource {
 public:
  explicit MemoryByteSource(std::string_view bytes) : bytes_(bytes) {}
  size_t Read(std::span<uint8_t> buffer) override;

 private:
  std::string_view bytes_;
  size_t position_ = 0;
};

}  // namespace tolva::platform
