#include "rewrite/frame_rate_table.h"

#include "rewrite/main_window_operations.h"

namespace tolva {

const std::array<FrameRate, 7> kFrameRates = {{
    {1, "23.976fps", "23.976(24000/1001)", "この動画は23.976fpsになっています。"},
    {2, "24fps", "24", "この動画は24fpsになっています。"},
    {3, "25fps", "25", "この動画は25fpsになっています。"},
    {4, "29.97fps", "29.97(30000/1001)", "この動画は29.97fpsになっています。"},
    {5, "30fps", "30", "この動画は30fpsになっています。"},
    {6, "50fps", "50", "この動画は50fpsになっています。"},
    {7, "59.94fps", "59.94(60000/1001)", "この動画は59.94fpsになっています。"},
}};

bool IsChoosableRate(int code) { return code >= kFirstRateCode && code <= kLastRateCode; }

const FrameRate& FrameRateOf(int code) { return kFrameRates.at(static_cast<size_t>(code - 1)); }

std::string RateName(int code) { return IsChoosableRate(code) ? FrameRateOf(code).name : "その他"; }

TargetSelection SelectTarget(const MainWindowOperations& form) {
  TargetSelection target;
  for (const FrameRate& rate : kFrameRates) {
    if (form.IsRateChecked(rate.code)) target = {rate.code, rate.name};
  }
  return target;
}

}  // namespace tolva
