// A folder of its own for each test, removed afterwards, with helpers for the bytes of files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tolva::test {

using Bytes = std::vector<uint8_t>;

// The eight bytes of a sequence header: start code, 12-bit width and height, aspect ratio in the
// high nibble of byte 7 and frame_rate_code in the low nibble.
Bytes SequenceHeader(int rate_code, int aspect = 3, int width = 720, int height = 480);

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const Bytes& bytes);
void WriteText(const std::string& path, const std::string& text);
Bytes ReadFile(const std::string& path);
std::string ReadText(const std::string& path);
// Makes (or cuts) the file to `size` bytes without writing them: holes cost no disk.
void MakeSparse(const std::string& path, uint64_t size);
void PutBytes(const std::string& path, uint64_t position, const Bytes& bytes);
Bytes GetBytes(const std::string& path, uint64_t position, size_t count);
bool Exists(const std::string& path);
uint64_t SizeOf(const std::string& path);

}  // namespace tolva::test
