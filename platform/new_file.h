// A file that appears under its name complete or not at all, and never replaces another.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tolva::platform {

class NewFile {
 public:
  // Starts an unnamed file in the folder of `path`. Raises IoError when it cannot be created.
  explicit NewFile(std::string path);
  // A file not committed is discarded: nothing appears under `path`.
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Buffered; a failed write raises IoError here or at Commit.
  void Write(std::string_view bytes);

  enum class CommitResult { kCreated, kAlreadyExists };
  // Flushes, syncs the data to the disk, then gives the file its name, unless something already
  // stands there. Raises IoError when any of this fails; nothing is then left under `path`.
  CommitResult Commit();

 private:
  void Flush();
  // Links the file under its name; the errno of the failure, or 0.
  int LinkToName() const;
  void Discard();

  std::string path_;
  std::string temp_path_;  // empty when the file is unnamed (O_TMPFILE)
  int fd_ = -1;
  std::vector<char> buffer_;
};

}  // namespace tolva::platform
