#include "tests/support/temp_dir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace tolva::test {

Bytes SequenceHeader(int rate_code, int aspect, int width, int height) {
  return {0x00,
          0x00,
          0x01,
          0xB3,
          static_cast<uint8_t>(width >> 4),
          static_cast<uint8_t>(((width & 0x0F) << 4) | (height >> 8)),
          static_cast<uint8_t>(height & 0xFF),
          static_cast<uint8_t>((aspect << 4) | rate_code)};
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tolva-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Files a test made read-only must not keep the folder from going.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteText(const std::string& path, const std::string& text) {
  WriteFile(path, Bytes(text.begin(), text.end()));
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

void MakeSparse(const std::string& path, uint64_t size) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
  if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    throw std::runtime_error("cannot size " + path);
  }
  ::close(fd);
}

void PutBytes(const std::string& path, uint64_t position, const Bytes& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
  const bool ok =
      fd >= 0 && ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(position)) ==
                     static_cast<ssize_t>(bytes.size());
  if (fd >= 0) ::close(fd);
  if (!ok) throw std::runtime_error("cannot patch " + path);
}

Bytes GetBytes(const std::string& path, uint64_t position, size_t count) {
  Bytes bytes(count);
  const int fd = ::open(path.c_str(), O_RDONLY);
  const ssize_t n = fd >= 0 ? ::pread(fd, bytes.data(), count, static_cast<off_t>(position)) : -1;
  if (fd >= 0) ::close(fd);
  if (n < 0) throw std::runtime_error("cannot read " + path);
  bytes.resize(static_cast<size_t>(n));
  return bytes;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

uint64_t SizeOf(const std::string& path) { return std::filesystem::file_size(path); }

}  // namespace tolva::test
