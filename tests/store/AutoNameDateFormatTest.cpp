#include <gtest/gtest.h>

#include "core/store/AutoNameDateFormat.h"

namespace brevanor {
namespace {

using namespace std::chrono;

// 2026-12-06 16:43:59.900 UTC.
const Date kDate = sys_days{2026y / December / 6} + 16h + 43min + 59s + 900ms;

TEST(AutoNameDateFormat, FormatsMonthDayAndTwentyFourHourTimeForTheLocale) {
    EXPECT_EQ(AutoNameDateFormat("en_US", "UTC").format(kDate), "Dec 6, 16:43");
    EXPECT_EQ(AutoNameDateFormat("de_DE", "UTC").format(kDate), "6. Dez., 16:43");
    EXPECT_EQ(AutoNameDateFormat("en_US", "Asia/Tokyo").format(kDate), "Dec 7, 01:43");
}

TEST(AutoNameDateFormat, HourAlwaysHasTwoDigits) {
    const Date earlyMorning = sys_days{2026y / January / 2} + 7h + 5min;
    EXPECT_EQ(AutoNameDateFormat("en_US", "UTC").format(earlyMorning), "Jan 2, 07:05");
    // Japanese prefers a one-digit hour; the name keeps two.
    EXPECT_EQ(AutoNameDateFormat("ja_JP", "UTC").format(earlyMorning), "1月2日 07:05");
}

TEST(AutoNameDateFormat, DatesBeforeTheEpochRoundDown) {
    const Date beforeEpoch = sys_days{1969y / December / 31} + 23h + 59min + 59s + 500ms;
    EXPECT_EQ(AutoNameDateFormat("en_US", "UTC").format(beforeEpoch), "Dec 31, 23:59");
}

}  // namespace
}  // namespace brevanor
