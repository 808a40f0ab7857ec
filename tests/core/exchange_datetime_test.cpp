// The save time in the ISO 8601 forms files carry: written with the local
// offset, read back to the same stored text, other programs' forms read.
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <optional>
#include <random>
#include <string>

#include "exchange/datetime.h"
#include "platform/localtime.h"

namespace korvane {
namespace {

TEST(ExchangeDateTime, StoredTimesComeBackFromBothForms) {
    for (const char* stored : {"2026-12-08 20:52:35", "1999-12-31 23:59:59", "2024-02-29 00:00:00",
                               "2026-03-29 02:30:00", "2026-10-25 02:30:00"}) {
        for (const IsoForm form : {IsoForm::Extended, IsoForm::Basic}) {
            const std::optional<std::string> iso = IsoFromStoredTime(stored, form);
            ASSERT_TRUE(iso) << stored;
            EXPECT_EQ(iso->size(), form == IsoForm::Extended ? 25u : 20u) << *iso;
            EXPECT_EQ(StoredTimeFromIso(*iso), stored) << *iso;
        }
    }
}

TEST(ExchangeDateTime, RefusesWhatIsNoStoredTime) {
    for (const char* bad : {"", "2026-12-08", "2026-12-08T20:52:35", "2026-13-08 20:52:35",
                            "2026-12-08 24:00:00", "2026-12-08 20:52:3x", " 2026-12-08 20:52:35"})
        EXPECT_FALSE(IsoFromStoredTime(bad, IsoForm::Extended)) << bad;
}

TEST(ExchangeDateTime, ReadsOtherProgramsForms) {
    EXPECT_EQ(StoredTimeFromIso("2026-12-08T20:52:35+08:00"), "2026-12-08 20:52:35");
    EXPECT_EQ(StoredTimeFromIso("2026-12-08T20:52:35.123-05:00"), "2026-12-08 20:52:35");
    EXPECT_EQ(StoredTimeFromIso("20261208T205235-0500"), "2026-12-08 20:52:35");
    // Seven fractional digits, as the desktop note programs write them.
    EXPECT_EQ(StoredTimeFromIso("2026-12-08T20:52:35.1234567+08:00"), "2026-12-08 20:52:35");
    EXPECT_EQ(StoredTimeFromIso("2026-12-08T20:52:35.9999999Z"),
              StoredTimeFromIso("2026-12-08T20:52:35Z"));
    EXPECT_EQ(StoredTimeFromIso("2026-12-08 20:52:35"), "2026-12-08 20:52:35");
    EXPECT_EQ(StoredTimeFromIso("2026-12-08"), "2026-12-08 00:00:00");
    EXPECT_EQ(StoredTimeFromIso("20261208"), "2026-12-08 00:00:00");
    // UTC is turned into this machine's clock.
    const std::tm local = platform::LocalTime(86400);
    char expected[80];
    std::snprintf(expected, sizeof expected, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    EXPECT_EQ(StoredTimeFromIso("1970-01-02T00:00:00Z"), expected);
    for (const char* bad : {"", "yesterday", "2026-12-08T20:52", "2026-12-08T20:52:35+8",
                            "2026-12-08T20:52:35 PST", "2026-00-08"})
        EXPECT_FALSE(StoredTimeFromIso(bad)) << bad;
}

// The UTC stamp names the moment the C library gives the stored clock, over
// the whole calendar (leap days, year and century ends) wherever the local
// clock exists (not in the hour a change to summer time skips).
TEST(ExchangeDateTime, UtcStampsNameTheMomentOfTheStoredTime) {
    std::mt19937 random(20261209);
    int checked = 0;
    for (int i = 0; i < 3000; ++i) {
        std::tm tm{};
        tm.tm_year = 71 + static_cast<int>(random() % 60);
        tm.tm_mon = static_cast<int>(random() % 12);
        tm.tm_mday = 1 + static_cast<int>(random() % 31);
        tm.tm_hour = static_cast<int>(random() % 24);
        tm.tm_min = static_cast<int>(random() % 60);
        tm.tm_sec = static_cast<int>(random() % 60);
        tm.tm_isdst = -1;
        char stored[80];
        std::snprintf(stored, sizeof stored, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900,
                      tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
        std::tm asked = tm;
        const std::time_t moment = std::mktime(&tm);
        if (tm.tm_mday != asked.tm_mday || tm.tm_hour != asked.tm_hour) continue;  // no such clock
        const std::tm utc = *std::gmtime(&moment);
        char expected[80];
        std::snprintf(expected, sizeof expected, "%04d%02d%02dT%02d%02d%02dZ", utc.tm_year + 1900,
                      utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
        EXPECT_EQ(UtcFromStoredTime(stored), expected) << stored;
        ++checked;
    }
    EXPECT_GT(checked, 2000);
    for (const char* bad : {"", "2026-12-08", "not a date", "2026-13-01 00:00:00"})
        EXPECT_FALSE(UtcFromStoredTime(bad)) << bad;
}

}  // namespace
}  // namespace korvane
