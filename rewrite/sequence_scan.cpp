#include "rewrite/sequence_scan.h"

#include <cstring>

#include "platform/exclusive_file.h"
#include "platform/large_buffer.h"
#include "rewrite/main_window_operations.h"

namespace tolva {

namespace {

constexpr char kGettingRateInfo[] = "フレームレート情報取得中";
constexpr char kTooLarge[] = "ファイルサイズが大きすぎて扱えません。";

class HeaderScan {
 public:
  HeaderScan(MainWindowOperations& form, const std::string& path) : form_(form) {
    result_.path = path;
  }

  ScanResult Run() {
    auto file = platform::ExclusiveFile::Open(result_.path, platform::ExclusiveFile::Access::kRead);
    result_.identity = file.Identity();
    result_.size = result_.identity.size;
    if (result_.size > kMaxFileSize) {
      form_.ShowMessage(kTooLarge);
      result_.end = ScanEnd::kTooLarge;
      return result_;
    }
    result_.target = SelectTarget(form_);
    form_.SetPanelText(0, kGettingRateInfo);
    if (!ScanPasses(file)) return result_;
    result_.end = ScanEnd::kComplete;
    return result_;
  }

 private:
  // Reads the file pass by pass; false when a header ended the scan early.
  bool ScanPasses(const platform::ExclusiveFile& file) {
    const uint64_t final_pass = result_.size / kChunkSize;
    const size_t final_bytes = static_cast<size_t>(result_.size % kChunkSize);
    platform::LargeBuffer buffer(result_.size >= kChunkSize ? kChunkSize + kOverlap : final_bytes);

    for (uint64_t pass = 0; pass <= final_pass; ++pass) {
      form_.SetProgress(static_cast<int>((pass + 1) * 100 / (final_pass + 1)));
      form_.ProcessMessages();

      const bool is_final = pass == final_pass;
      const uint64_t pass_start = pass * kChunkSize;
      const size_t wanted = is_final ? final_bytes : kChunkSize + kOverlap;
      const size_t got = file.ReadAt(pass_start, buffer.First(wanted));
      // A window is examined only when all its bytes came from this pass's read.
      const size_t last_window = is_final ? final_bytes : kChunkSize;
      const bool went_on = ForEachStartCode(
          std::span<const uint8_t>(buffer.data(), got), last_window,
          [&](size_t j) { return ExamineWindow(buffer.data() + j, pass_start + j); });
      if (!went_on) return false;
    }
    return true;
  }

  // One window that starts with the start code; false when it ends the scan.
  bool ExamineWindow(const uint8_t* window, uint64_t position) {
    if (!result_.header_found) {
      TakeAsReference(window);
    } else if (std::memcmp(window, reference_.data(), kHeaderSize) != 0) {
      return true;
    }

    // The options are asked anew at every header: the user may change them between passes.
    const int first_code = result_.old_byte & 0x0F;
    if (form_.IsCheckOnly()) {
      form_.SetPanelText(1, RateName(first_code));
      form_.SetPanelText(0, "");
      form_.SetProgress(0);
      result_.end = ScanEnd::kCheckOnly;
      return false;
    }
    if (IsChoosableRate(first_code) && form_.IsRateChecked(first_code)) {
      form_.ShowMessage(FrameRateOf(first_code).already_at_target);
      form_.SetProgress(0);
      result_.end = ScanEnd::kAlreadyAtTarget;
      return false;
    }
    form_.AddOffsetLine(std::to_string(position + kRateByte));
    return true;
  }

  void TakeAsReference(const uint8_t* window) {
    std::memcpy(reference_.data(), window, kHeaderSize);
    result_.header_found = true;
    result_.old_byte = window[kRateByte];
    result_.old_rate_name = RateName(result_.old_byte & 0x0F);
  }

  MainWindowOperations& form_;
  ScanResult result_;
  std::array<uint8_t, kHeaderSize> reference_{};
};

}  // namespace

ScanResult ScanSequenceHeaders(MainWindowOperations& form, const std::string& path) {
  return HeaderScan(form, path).Run();
}

}  // namespace tolva
