#include "platform/byte_source.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/errors.h"
#include "platform/fault_injection.h"

namespace tolva::platform {

SharedReadFile::SharedReadFile(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd_ < 0) throw IoErrorFromErrno(errno);
  struct stat st {};
  int err = 0;
  if (::fstat(fd_, &st) != 0) {
    err = errno;
  } else if (!S_ISREG(st.st_mode)) {
    err = EACCES;
  } else if (::flock(fd_, LOCK_SH | LOCK_NB) != 0) {
    err = errno;
  }
  if (err != 0) {
    Close();
    throw IoErrorFromErrno(err);
  }
}

SharedReadFile::~SharedReadFile() { Close(); }

size_t SharedReadFile::Read(std::span<uint8_t> buffer) {
  if (const int err = InjectedFault(FileCall::kReadText)) throw IoErrorFromErrno(err);
  for (;;) {
    const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
    if (n >= 0) return static_cast<size_t>(n);
    if (errno != EINTR) throw IoErrorFromErrno(errno);
  }
}

void SharedReadFile::Close() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
}

size_t MemoryByteSource::Read(std::span<uint8_t> buffer) {
  const size_t n = std::min(buffer.size(), bytes_.size() - position_);
  std::memcpy(buffer.data(), bytes_.data() + position_, n);
  position_ += n;
  return n;
}

}  // namespace tolva::platform
