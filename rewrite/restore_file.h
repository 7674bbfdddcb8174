// The restore file beside a converted video: the old byte, then every patched position, one
// decimal number a line, each line ended by CR LF.
#pragma once

#include <string>

namespace tolva {

class MainWindowOperations;

inline constexpr char kRestoreFileSuffix[] = "(fps).ini";
inline constexpr char kRestoreFileExists[] = "復元ファイルは存在します";

// The video path without its extension, followed by "(fps).ini". The extension is what follows
// the last "." when no "/", "\" or ":" comes after it: a dot in a folder name is not one.
std::string RestoreFilePath(const std::string& video_path);

enum class RestoreFileWrite { kWritten, kAlreadyThere };

// Saves every line of the offset list as the restore file of `video_path`, unless a file is
// there already, which is left untouched. The file appears complete or not at all, and is on
// the disk before this returns. Raises IoError when it cannot be created or written. Shows no
// message: the caller tells the user about an existing file when the conversion is done.
RestoreFileWrite WriteRestoreFile(const MainWindowOperations& form, const std::string& video_path);

}  // namespace tolva
