#include "platform/localtime.h"

namespace korvane::platform {

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    ::localtime_s(&local, &moment);
    return local;
}

}  // namespace korvane::platform
