#include "platform/localtime.h"

#include <time.h>

namespace korvane::platform {

std::tm LocalTime(std::time_t moment) {
    std::tm local{};
    ::localtime_r(&moment, &local);
    return local;
}

}  // namespace korvane::platform
