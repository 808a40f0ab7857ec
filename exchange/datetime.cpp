#include "exchange/datetime.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "platform/localtime.h"

namespace korvane {
namespace {

struct Clock {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

bool Digits(std::string_view text, size_t at, size_t count, int& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

bool Plausible(const Clock& c) {
    return c.month >= 1 && c.month <= 12 && c.day >= 1 && c.day <= 31 && c.hour <= 23 &&
           c.minute <= 59 && c.second <= 60;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

int64_t SecondsOf(const Clock& c) {
    return DaysFromCivil(c.year, c.month, c.day) * 86400 + c.hour * 3600 + c.minute * 60 + c.second;
}

Clock ClockOf(const std::tm& tm) {
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string StoredText(const Clock& c) {
    char out[32];
    std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    return out;
}

// Seconds east of UTC of the local clock at that clock time.
int64_t LocalOffset(const Clock& c) {
    std::tm tm{};
    tm.tm_year = c.year - 1900;
    tm.tm_mon = c.month - 1;
    tm.tm_mday = c.day;
    tm.tm_hour = c.hour;
    tm.tm_min = c.minute;
    tm.tm_sec = c.second;
    tm.tm_isdst = -1;
    const std::time_t moment = std::mktime(&tm);
    if (moment == static_cast<std::time_t>(-1)) return 0;
    return SecondsOf(ClockOf(platform::LocalTime(moment))) - static_cast<int64_t>(moment);
}

// The clock of seconds since 1970 (UTC), the inverse of SecondsOf.
Clock ClockFromSeconds(int64_t seconds) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t doe = days - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2));
    return {year,
            month,
            day,
            static_cast<int>(rest / 3600),
            static_cast<int>(rest / 60 % 60),
            static_cast<int>(rest % 60)};
}

std::optional<Clock> StoredClock(std::string_view stored) {
    Clock c;
    if (stored.size() != 19 || stored[4] != '-' || stored[7] != '-' || stored[10] != ' ' ||
        stored[13] != ':' || stored[16] != ':' || !Digits(stored, 0, 4, c.year) ||
        !Digits(stored, 5, 2, c.month) || !Digits(stored, 8, 2, c.day) ||
        !Digits(stored, 11, 2, c.hour) || !Digits(stored, 14, 2, c.minute) ||
        !Digits(stored, 17, 2, c.second) || !Plausible(c))
        return std::nullopt;
    return c;
}

}  // namespace

std::optional<std::string> UtcFromStoredTime(std::string_view stored) {
    const std::optional<Clock> local = StoredClock(stored);
    if (!local) return std::nullopt;
    const Clock c = ClockFromSeconds(SecondsOf(*local) - LocalOffset(*local));
    char out[40];
    std::snprintf(out, sizeof out, "%04d%02d%02dT%02d%02d%02dZ", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    return std::string(out);
}

std::optional<std::string> IsoFromStoredTime(std::string_view stored, IsoForm form) {
    const std::optional<Clock> clock = StoredClock(stored);
    if (!clock) return std::nullopt;
    const Clock c = *clock;
    const int64_t offset = LocalOffset(c);
    const int64_t minutes = (offset < 0 ? -offset : offset) / 60;
    const char sign = offset < 0 ? '-' : '+';
    const int oh = static_cast<int>(minutes / 60), om = static_cast<int>(minutes % 60);
    char out[40];
    if (form == IsoForm::Extended)
        std::snprintf(out, sizeof out, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", c.year, c.month,
                      c.day, c.hour, c.minute, c.second, sign, oh, om);
    else
        std::snprintf(out, sizeof out, "%04d%02d%02dT%02d%02d%02d%c%02d%02d", c.year, c.month,
                      c.day, c.hour, c.minute, c.second, sign, oh, om);
    return std::string(out);
}

std::optional<std::string> StoredTimeFromIso(std::string_view iso) {
    Clock c;
    size_t at = 0;
    const bool extended = iso.size() >= 10 && iso[4] == '-';
    if (!Digits(iso, 0, 4, c.year)) return std::nullopt;
    at = extended ? 5 : 4;
    if (!Digits(iso, at, 2, c.month)) return std::nullopt;
    at += extended ? 3 : 2;
    if ((extended && iso[7] != '-') || !Digits(iso, at, 2, c.day)) return std::nullopt;
    at += 2;
    if (at < iso.size()) {
        if (iso[at] != 'T' && iso[at] != 't' && iso[at] != ' ') return std::nullopt;
        ++at;
        const size_t step = extended ? 3 : 2;
        if (!Digits(iso, at, 2, c.hour) || !Digits(iso, at + step, 2, c.minute) ||
            (extended && (iso[at + 2] != ':' || iso[at + 5] != ':')) ||
            !Digits(iso, at + 2 * step, 2, c.second))
            return std::nullopt;
        at += 2 * step + 2;
        while (at < iso.size() && (iso[at] == '.' || (iso[at] >= '0' && iso[at] <= '9'))) ++at;
    }
    if (!Plausible(c)) return std::nullopt;
    const std::string_view zone = iso.substr(at);
    if (zone == "Z" || zone == "z") {
        const std::time_t moment = static_cast<std::time_t>(SecondsOf(c));
        return StoredText(ClockOf(platform::LocalTime(moment)));
    }
    int zh = 0, zm = 0;
    const bool offsetOk =
        zone.empty() || ((zone[0] == '+' || zone[0] == '-') &&
                         ((zone.size() == 6 && zone[3] == ':' && Digits(zone, 1, 2, zh) &&
                           Digits(zone, 4, 2, zm)) ||
                          (zone.size() == 5 && Digits(zone, 1, 2, zh) && Digits(zone, 3, 2, zm)) ||
                          (zone.size() == 3 && Digits(zone, 1, 2, zh))));
    if (!offsetOk) return std::nullopt;
    return StoredText(c);
}

}  // namespace korvane
