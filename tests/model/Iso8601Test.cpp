#include <gtest/gtest.h>

#include "core/model/Iso8601.h"

namespace brevanor {
namespace {

using namespace std::chrono;

Date utc(int y, unsigned mo, unsigned d, int h, int mi, int s) {
    return Date{sys_days{year{y} / mo / d} + hours{h} + minutes{mi} + seconds{s}};
}

TEST(Iso8601, FormatsUtcWholeSecondsAndParsesUtcAndOffsets) {
    EXPECT_EQ(Iso8601::format(utc(2026, 12, 5, 16, 43, 1) + 999ms), "2026-12-05T16:43:01Z");
    EXPECT_EQ(Iso8601::format(Date{}), "1970-01-01T00:00:00Z");
    EXPECT_EQ(Iso8601::format(utc(2024, 2, 29, 23, 59, 59)), "2024-02-29T23:59:59Z");
    EXPECT_EQ(Iso8601::format(utc(1901, 1, 2, 3, 4, 5) + 1ns), "1901-01-02T03:04:05Z");
    EXPECT_EQ(Iso8601::format(Date{} - 1ns), "1969-12-31T23:59:59Z");

    EXPECT_EQ(Iso8601::parse("2026-12-05T16:43:01Z"), utc(2026, 12, 5, 16, 43, 1));
    EXPECT_EQ(Iso8601::parse("2026-12-05T17:43:01+01:00"), utc(2026, 12, 5, 16, 43, 1));
    EXPECT_EQ(Iso8601::parse("2026-12-05T00:13:01-16:30"), utc(2026, 12, 5, 16, 43, 1));
    EXPECT_EQ(Iso8601::parse("2027-01-01T00:30:00+01:00"), utc(2026, 12, 31, 23, 30, 0));
    EXPECT_EQ(Iso8601::parse("2024-02-29T12:00:00-00:00"), utc(2024, 2, 29, 12, 0, 0));
    const Date date = utc(2031, 7, 14, 8, 9, 10);
    EXPECT_EQ(Iso8601::parse(Iso8601::format(date)), date);
}

TEST(Iso8601, RefusesAnythingElse) {
    for (const char* text :
         {"", "2026-12-05", "2026-12-05T16:43:01", "2026-12-05T16:43:01.5Z", "2026-12-05T16:43:01z",
          "2026-12-05 16:43:01Z", "2026/12/05T16:43:01Z", "2026-12-05T16:43:01+0100", "2026-12-05T16:43:01+24:00",
          "2026-12-05T24:00:00Z", "2026-12-05T23:60:00Z", "2026-12-05T23:59:60Z", "2026-13-05T16:43:01Z",
          "2026-00-05T16:43:01Z", "2026-02-29T16:43:01Z", "2026-04-31T16:43:01Z", "2026-12-00T16:43:01Z",
          "+026-12-05T16:43:01Z", "2026-1a-05T16:43:01Z", "2026-12-05T16:43:01Z ",
          // Beyond what a Date holds (nanoseconds since 1970 in 64 bits).
          "9999-12-31T23:59:59Z", "1000-01-01T00:00:00Z", "0000-01-01T00:00:00Z"}) {
        EXPECT_EQ(Iso8601::parse(text), std::nullopt) << text;
    }
    EXPECT_NE(Iso8601::parse("2262-04-11T00:00:00Z"), std::nullopt);
    EXPECT_EQ(Iso8601::parse("2262-04-12T00:00:00Z"), std::nullopt);
    EXPECT_NE(Iso8601::parse("1677-09-22T00:00:00Z"), std::nullopt);
    EXPECT_EQ(Iso8601::parse("1677-09-21T00:00:00Z"), std::nullopt);
}

}  // namespace
}  // namespace brevanor
