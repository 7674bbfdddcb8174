#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <utility>

#include "platform/errors.h"
#include "platform/fault_injection.h"
#include "platform/new_file.h"

namespace tolva::platform {

namespace {

constexpr size_t kBufferSize = 64 * 1024;
constexpr mode_t kFileMode = 0666;  // narrowed by the umask, as for any new file

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ProcFdPath(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// A name beside `path` that nobody uses, for filesystems without unnamed files.
int CreateTempBeside(const std::string& path, std::string& temp_path) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_path = path + ".tmp-" + std::to_string(random() % 1000000000);
    const int fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Syncs the folder so that the new name itself survives a crash; a failure only weakens that.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

NewFile::NewFile(std::string path) : path_(std::move(path)) {
  if (const int err = InjectedFault(FileCall::kCreate)) throw IoErrorFromErrno(err);
  fd_ = ::open(FolderOf(path_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, kFileMode);
  if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    fd_ = CreateTempBeside(path_, temp_path_);
  }
  if (fd_ < 0) throw IoErrorFromErrno(errno);
  buffer_.reserve(kBufferSize);
}

NewFile::~NewFile() { Discard(); }

void NewFile::Write(std::string_view bytes) {
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  if (buffer_.size() >= kBufferSize) Flush();
}

void NewFile::Flush() {
  size_t done = 0;
  if (const int err = InjectedFault(FileCall::kWrite)) throw IoErrorFromErrno(err);
  while (done < buffer_.size()) {
    const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw IoErrorFromErrno(errno);
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
}

NewFile::CommitResult NewFile::Commit() {
  Flush();
  if (const int err = InjectedFault(FileCall::kSync)) throw IoErrorFromErrno(err);
  if (::fsync(fd_) != 0) throw IoErrorFromErrno(errno);

  const int err = LinkToName();
  if (err != 0) {
    struct stat st {};
    const bool taken_by_file =
        err == EEXIST && ::stat(path_.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
    if (taken_by_file) {
      Discard();
      return CommitResult::kAlreadyExists;
    }
    // A folder of that name cannot be replaced by a file: access is denied.
    throw IoErrorFromErrno(err == EEXIST ? EACCES : err);
  }
  Discard();
  SyncFolder(FolderOf(path_));
  return CommitResult::kCreated;
}

int NewFile::LinkToName() const {
  if (const int err = InjectedFault(FileCall::kLink)) return err;
  // link() never replaces: it fails with EEXIST when the name is taken.
  const int rc = temp_path_.empty() ? ::linkat(AT_FDCWD, ProcFdPath(fd_).c_str(), AT_FDCWD,
                                               path_.c_str(), AT_SYMLINK_FOLLOW)
                                    : ::link(temp_path_.c_str(), path_.c_str());
  return rc == 0 ? 0 : errno;
}

void NewFile::Discard() {
  if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  if (!temp_path_.empty()) ::unlink(std::exchange(temp_path_, std::string()).c_str());
}

}  // namespace tolva::platform
