#include "rewrite/restore_file.h"

#include "platform/file_attributes.h"
#include "platform/new_file.h"
#include "rewrite/main_window_operations.h"

namespace tolva {

namespace {
constexpr char kLineEnd[] = "\r\n";
}  // namespace

std::string RestoreFilePath(const std::string& video_path) {
  // UTF-8 never uses ASCII bytes inside a multi-byte character, so a byte search is safe.
  const size_t last = video_path.find_last_of("./\\:");
  const bool has_extension = last != std::string::npos && video_path[last] == '.';
  return (has_extension ? video_path.substr(0, last) : video_path) + kRestoreFileSuffix;
}

RestoreFileWrite WriteRestoreFile(const MainWindowOperations& form, const std::string& video_path) {
  const std::string path = RestoreFilePath(video_path);
  if (platform::FileExists(path)) return RestoreFileWrite::kAlreadyThere;

  platform::NewFile file(path);
  const int count = form.OffsetLineCount();
  for (int k = 0; k < count; ++k) {
    file.Write(form.GetOffsetLine(k));
    file.Write(kLineEnd);
  }
  return file.Commit() == platform::NewFile::CommitResult::kCreated
             ? RestoreFileWrite::kWritten
             : RestoreFileWrite::kAlreadyThere;
}

}  // namespace tolva
