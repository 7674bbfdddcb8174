#include "rewrite/restore.h"

#include <array>
#include <optional>
#include <string>

#include "platform/byte_source.h"
#include "platform/errors.h"
#include "platform/exclusive_file.h"
#include "platform/file_attributes.h"
#include "rewrite/main_window_operations.h"
#include "rewrite/restore_file.h"
#include "rewrite/restore_reader.h"
#include "rewrite/sequence_scan.h"

namespace tolva {

namespace {

constexpr char kRestoring[] = "復元中";
constexpr char kRestoreFinished[] = "復元終了";

std::string NoRestoreFileMessage(const std::string& restore_path) {
  return "復元ファイルがありません(" + restore_path + ")";
}

// A restore file edited by hand, or meant for another video, must not write outside this one.
Error PositionOutsideFile(const std::string& line) {
  return Error("'" + line + "' はファイルの範囲外の位置です");
}

// Nor may it write into picture data: movie.m2v and movie.mpv share one restore file, and the
// positions of one are no headers in the other. Every position must be byte 7 of a header.
Error PositionNotInHeader(const std::string& line) {
  return Error("'" + line + "' はシーケンスヘッダの位置ではありません");
}

bool IsRateByteOfHeader(const platform::ExclusiveFile& video, uint64_t position) {
  if (position < kRateByte) return false;
  std::array<uint8_t, kStartCode.size()> bytes{};
  return video.ReadAt(position - kRateByte, bytes) == bytes.size() && bytes == kStartCode;
}

}  // namespace

RestoreOutcome RestoreFrameRate(MainWindowOperations& form) {
  const std::string video_path = form.CurrentPath();
  if (video_path.empty()) return RestoreOutcome::kNoCurrentFile;

  const std::string restore_path = RestoreFilePath(video_path);
  if (!platform::FileExists(restore_path)) {
    form.ShowMessage(NoRestoreFileMessage(restore_path));
    return RestoreOutcome::kNoRestoreFile;
  }

  form.SetPanelText(0, kRestoring);
  form.ProcessMessages();

  // Declared before the video so that the video is closed first, on every way out.
  std::optional<platform::SharedReadFile> restore_file;
  auto video =
      platform::ExclusiveFile::Open(video_path, platform::ExclusiveFile::Access::kReadWrite);
  const uint64_t video_size = video.Size();
  restore_file.emplace(restore_path);

  RestoreFileReader reader(*restore_file);
  const uint8_t old_byte = reader.ReadRestoreByte();
  while (const std::optional<int64_t> position = reader.NextPosition()) {
    if (*position < 0 || static_cast<uint64_t>(*position) >= video_size) {
      throw PositionOutsideFile(reader.LastLine());
    }
    if (!IsRateByteOfHeader(video, static_cast<uint64_t>(*position))) {
      throw PositionNotInHeader(reader.LastLine());
    }
    // A failed write leaves that byte as it was; the others are still restored.
    video.WriteByteAt(static_cast<uint64_t>(*position), old_byte);
  }

  video.Close();
  restore_file->Close();
  form.SetPanelText(0, kRestoreFinished);
  return RestoreOutcome::kRestored;
}

}  // namespace tolva
