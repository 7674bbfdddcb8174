#include "rewrite/frame_rate_rewrite.h"

#include <charconv>
#include <optional>
#include <string>

#include "platform/errors.h"
#include "platform/exclusive_file.h"
#include "platform/file_attributes.h"
#include "rewrite/main_window_operations.h"
#include "rewrite/restore_file.h"

namespace tolva {

namespace {

constexpr char kNoSequenceHeader[] = "シーケンスヘッダが見つかりません";
constexpr char kNoTargetChosen[] = "変換先のフレームレートが選ばれていません";
constexpr char kReadOnlyFile[] = "読み取り専用になっています\r\n解除してください";
constexpr char kFinished[] = "終わりました";

std::string ConversionText(const ScanResult& scan, const char* ending) {
  return scan.old_rate_name + "を" + scan.target.name + ending;
}

Error ChangedSinceScan(const std::string& path) {
  return Error("ファイル " + path + " は読み込みの後に変更されました");
}

std::optional<uint64_t> ParsePosition(const std::string& line) {
  uint64_t value = 0;
  const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
  if (error != std::errc() || end != line.data() + line.size() || line.empty()) return std::nullopt;
  return value;
}

// The old byte's aspect-ratio bits are kept; only the frame_rate_code changes.
uint8_t NewByte(uint8_t old_byte, int target_code) {
  return static_cast<uint8_t>((old_byte & 0xF0) + target_code);
}

}  // namespace

RewriteEnd RewriteFrameRate(MainWindowOperations& form, const ScanResult& scan) {
  if (!scan.header_found) {
    form.SetPanelText(0, kNoSequenceHeader);
    return RewriteEnd::kNoHeader;
  }
  if (!IsChoosableRate(scan.target.code)) throw Error(kNoTargetChosen);
  if (platform::IsReadOnly(scan.path)) {
    form.ShowMessage(kReadOnlyFile);
    form.SetPanelText(0, "");
    form.SetPanelText(1, "");
    return RewriteEnd::kReadOnly;
  }

  auto video =
      platform::ExclusiveFile::Open(scan.path, platform::ExclusiveFile::Access::kReadWrite);
  // Another file under the same name, or one written since the scan, may hold other bytes at
  // the listed positions: nothing is written then.
  if (video.Identity() != scan.identity) throw ChangedSinceScan(scan.path);
  form.SetPanelText(0, ConversionText(scan, "に変換中です"));

  // The record of the original comes first: once it is on the disk, nothing below can lose it.
  form.InsertOffsetLine(0, std::to_string(scan.old_byte));
  const RestoreFileWrite record = WriteRestoreFile(form, scan.path);

  const uint8_t new_byte = NewByte(scan.old_byte, scan.target.code);
  const int count = form.OffsetLineCount() - 1;  // line 0 holds the old byte
  for (int k = 1; k <= count; ++k) {
    form.SetProgress(static_cast<int>(int64_t{k} * 100 / count));
    const std::string line = form.GetOffsetLine(k);
    const std::optional<uint64_t> position = ParsePosition(line);
    if (!position) throw ConversionError(line);
    // Every line came from the scan of this very file, so each lies inside it; the test keeps
    // a list changed behind our back from writing past the end.
    if (*position >= scan.size) continue;
    video.WriteByteAt(*position, new_byte);
  }
  video.Close();

  if (record == RestoreFileWrite::kAlreadyThere) form.ShowMessage(kRestoreFileExists);
  form.SetPanelText(0, ConversionText(scan, "に変換しました"));
  form.ShowMessage(kFinished);
  return RewriteEnd::kConverted;
}

}  // namespace tolva
