#include "rewrite/error_report.h"

namespace tolva {

std::string ErrorReportText(const std::string& message) {
  if (message.empty() || static_cast<unsigned char>(message.back()) <= '.') return message;
  return message + ".";
}

}  // namespace tolva
