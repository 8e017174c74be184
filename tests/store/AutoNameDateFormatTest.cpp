#include <gtest/gtest.h>

#include <tuple>

#include "core/store/AutoNameDateFormat.h"

namespace brevanor {
namespace {

using namespace std::chrono;

// Month, day and a two-digit 24-hour time in the locale's order, in the given
// time zone; seconds are dropped, also before 1970.
TEST(AutoNameDateFormat, FormatsMonthDayAndTwentyFourHourTimeForTheLocale) {
    const Date afternoon = sys_days{2026y / December / 6} + 16h + 43min + 59s + 900ms;
    const Date earlyMorning = sys_days{2026y / January / 2} + 7h + 5min;
    const Date beforeEpoch = sys_days{1969y / December / 31} + 23h + 59min + 59s + 500ms;
    const std::tuple<const char*, const char*, Date, const char*> cases[] = {
        {"en_US", "UTC", afternoon, "Dec 6, 16:43"},        {"de_DE", "UTC", afternoon, "6. Dez., 16:43"},
        {"en_US", "Asia/Tokyo", afternoon, "Dec 7, 01:43"}, {"en_US", "UTC", earlyMorning, "Jan 2, 07:05"},
        {"ja_JP", "UTC", earlyMorning, "1月2日 07:05"},  // Japanese prefers a one-digit hour
        {"en_US", "UTC", beforeEpoch, "Dec 31, 23:59"},
    };
    for (const auto& [locale, zone, date, text] : cases) EXPECT_EQ(AutoNameDateFormat(locale, zone).format(date), text);
}

}  // namespace
}  // namespace brevanor
