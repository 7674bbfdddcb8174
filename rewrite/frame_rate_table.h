// The seven frame-rate codes a user can choose, with their names, captions and messages.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tolva {

class MainWindowOperations;

struct FrameRate {
  int code;                       // frame_rate_code, the low nibble of header byte 7
  const char* name;               // "29.97fps"
  const char* caption;            // radio button caption, "29.97(30000/1001)"
  const char* already_at_target;  // message when a file declares this rate already
};

inline constexpr int kFirstRateCode = 1;
inline constexpr int kLastRateCode = 7;

// Rows in code order, codes 1 to 7: the rates of MPEG-1/2 video that a user may pick.
extern const std::array<FrameRate, 7> kFrameRates;

// Codes 1..7; other codes have no row.
bool IsChoosableRate(int code);
const FrameRate& FrameRateOf(int code);

// The name shown for any code 0..15: the display name, or "その他" for codes without a row
// (0 and 8 to 15; code 8 is 60 fps in MPEG but cannot be chosen here).
std::string RateName(int code);

struct TargetSelection {
  int code = 0;      // 0 when no button answered checked
  std::string name;  // empty when code is 0
};

// Asks the radio buttons for codes 1 to 7 in order; the last one checked wins.
TargetSelection SelectTarget(const MainWindowOperations& form);

}  // namespace tolva
