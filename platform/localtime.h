// The calendar fields of a moment in the user's time zone.
#pragma once

#include <ctime>

namespace korvane::platform {

// Thread-safe: every call fills its own result.
std::tm LocalTime(std::time_t moment);

}  // namespace korvane::platform
