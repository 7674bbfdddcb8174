#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

#include "platform/errors.h"
#include "platform/exclusive_file.h"
#include "platform/fault_injection.h"

namespace tolva::platform {

namespace {

void CloseQuietly(int fd) {
  if (fd >= 0) ::close(fd);
}

// The owner's write bit stands for a writable file, for root as well, so that a file the user
// marked read-only is never opened for writing.
bool IsWritableFile(const struct stat& st) { return (st.st_mode & S_IWUSR) != 0; }

}  // namespace

ExclusiveFile ExclusiveFile::Open(const std::string& path, Access access) {
  // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it is refused below anyway.
  const int flags =
      (access == Access::kRead ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  const int fd = InjectedFault(FileCall::kOpen) != 0 ? -1 : ::open(path.c_str(), flags);
  if (fd < 0) throw FileOpenError(path);

  struct stat st {};
  const bool usable = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                      (access == Access::kRead || IsWritableFile(st)) &&
                      ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  if (!usable) {
    CloseQuietly(fd);
    throw FileOpenError(path);
  }
  const int fl = ::fcntl(fd, F_GETFL);
  if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
  return ExclusiveFile(fd);
}

ExclusiveFile::ExclusiveFile(ExclusiveFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

ExclusiveFile& ExclusiveFile::operator=(ExclusiveFile&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

ExclusiveFile::~ExclusiveFile() { Close(); }

uint64_t ExclusiveFile::Size() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) throw IoErrorFromErrno(errno);
  return static_cast<uint64_t>(st.st_size);
}

FileIdentity ExclusiveFile::Identity() const {
  struct stat st {};
  if (::fstat(fd_, &st) != 0) throw IoErrorFromErrno(errno);
  return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
          static_cast<uint64_t>(st.st_size),
          static_cast<int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

size_t ExclusiveFile::ReadAt(uint64_t position, std::span<uint8_t> buffer) const {
  size_t done = 0;
  while (done < buffer.size()) {
    if (InjectedFault(FileCall::kRead) != 0) break;
    const ssize_t n = ::pread(fd_, buffer.data() + done, buffer.size() - done,
                              static_cast<off_t>(position + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

bool ExclusiveFile::WriteByteAt(uint64_t position, uint8_t value) {
  if (position > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return false;
  if (InjectedFault(FileCall::kWriteByte) != 0) return false;
  ssize_t n;
  do {
    n = ::pwrite(fd_, &value, 1, static_cast<off_t>(position));
  } while (n < 0 && errno == EINTR);
  return n == 1;
}

void ExclusiveFile::Close() {
  // Closing the descriptor releases the flock lock with it.
  CloseQuietly(std::exchange(fd_, -1));
}

}  // namespace tolva::platform
