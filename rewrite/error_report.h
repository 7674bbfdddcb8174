// The text of the error report: the error's message, with a full stop added where it ends in a
// letter, a digit or a Japanese character (any byte after "." in byte order).
#pragma once

#include <string>

namespace tolva {

std::string ErrorReportText(const std::string& message);

}  // namespace tolva
