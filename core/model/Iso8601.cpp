#include "core/model/Iso8601.h"

#include <cstdint>
#include <limits>

namespace brevanor::Iso8601 {

namespace {

using std::chrono::days;
using std::chrono::seconds;

void appendDigits(std::string& out, long value, int width) {
    char digits[8];
    for (int i = width - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, static_cast<std::size_t>(width));
}

// The value of `count` decimal digits at `pos`, or -1 when one of them is not a digit.
int readDigits(std::string_view text, std::size_t pos, std::size_t count) {
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::string format(Date date) {
    const auto second = std::chrono::floor<seconds>(date);
    const auto day = std::chrono::floor<days>(second);
    const std::chrono::year_month_day ymd{day};
    const std::chrono::hh_mm_ss time{second - day};

    std::string text;
    text.reserve(20);
    appendDigits(text, static_cast<int>(ymd.year()), 4);
    text.push_back('-');
    appendDigits(text, static_cast<unsigned>(ymd.month()), 2);
    text.push_back('-');
    appendDigits(text, static_cast<unsigned>(ymd.day()), 2);
    text.push_back('T');
    appendDigits(text, time.hours().count(), 2);
    text.push_back(':');
    appendDigits(text, time.minutes().count(), 2);
    text.push_back(':');
    appendDigits(text, time.seconds().count(), 2);
    text.push_back('Z');
    return text;
}

std::optional<Date> parse(std::string_view text) {
    // 2026-12-05T16:43:01Z or 2026-12-05T16:43:01+01:00
    if (text.size() != 20 && text.size() != 25) return std::nullopt;
    if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':') return std::nullopt;
    const int year = readDigits(text, 0, 4);
    const int month = readDigits(text, 5, 2);
    const int day = readDigits(text, 8, 2);
    const int hour = readDigits(text, 11, 2);
    const int minute = readDigits(text, 14, 2);
    const int second = readDigits(text, 17, 2);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 59) {
        return std::nullopt;
    }
    const std::chrono::year_month_day ymd{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                          std::chrono::day{static_cast<unsigned>(day)}};
    if (!ymd.ok()) return std::nullopt;

    std::int64_t offsetSeconds = 0;
    if (text.size() == 20) {
        if (text[19] != 'Z') return std::nullopt;
    } else {
        const char sign = text[19];
        const int offsetHours = readDigits(text, 20, 2);
        const int offsetMinutes = readDigits(text, 23, 2);
        if ((sign != '+' && sign != '-') || text[22] != ':' || offsetHours < 0 || offsetHours > 23 ||
            offsetMinutes < 0 || offsetMinutes > 59) {
            return std::nullopt;
        }
        offsetSeconds = (sign == '+' ? 1 : -1) * (offsetHours * 3600 + offsetMinutes * 60);
    }

    // Local time minus the offset is UTC. Years 0000 to 9999 stay far inside 64-bit seconds.
    const std::int64_t utcSeconds = std::chrono::sys_days{ymd}.time_since_epoch().count() * 86400 + hour * 3600 +
                                    minute * 60 + second - offsetSeconds;
    // A Date counts in the system clock's ticks (nanoseconds here): about 1678 to 2262.
    constexpr std::int64_t kTicksPerSecond = Date::period::den / Date::period::num;
    constexpr std::int64_t kLimit = std::numeric_limits<Date::rep>::max() / kTicksPerSecond;
    if (utcSeconds > kLimit || utcSeconds < -kLimit) return std::nullopt;
    return Date{std::chrono::duration_cast<Date::duration>(seconds{utcSeconds})};
}

}  // namespace brevanor::Iso8601
