#include "core/store/AutoNameDateFormat.h"

#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>
#include <stdexcept>

namespace brevanor {

namespace {

void check(UErrorCode status, const char* step) {
    if (U_FAILURE(status)) {
        throw std::runtime_error(std::string("cannot format the date of a recording name (") + step +
                                 "): " + u_errorName(status));
    }
}

}  // namespace

AutoNameDateFormat::AutoNameDateFormat(std::string localeID, std::string timeZoneID)
    : localeID_(std::move(localeID)), timeZoneID_(std::move(timeZoneID)) {}

std::string AutoNameDateFormat::format(Date date) const {
    const icu::Locale locale = localeID_.empty() ? icu::Locale::getDefault() : icu::Locale(localeID_.c_str());
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(locale, status));
    check(status, "pattern generator");
    // Without the option ICU would shorten "HH" to the locale's usual "H"; the
    // name always carries the hour in two digits.
    const icu::UnicodeString pattern =
        generator->getBestPattern(icu::UnicodeString("MMMdHHmm"), UDATPG_MATCH_HOUR_FIELD_LENGTH, status);
    check(status, "best pattern");
    icu::SimpleDateFormat formatter(pattern, locale, status);
    check(status, "formatter");
    formatter.adoptTimeZone(timeZoneID_.empty() ? icu::TimeZone::createDefault()
                                                : icu::TimeZone::createTimeZone(timeZoneID_.c_str()));

    const auto millis = std::chrono::floor<std::chrono::milliseconds>(date.time_since_epoch()).count();
    icu::UnicodeString text;
    formatter.format(static_cast<UDate>(millis), text, status);
    check(status, "format");
    std::string utf8;
    text.toUTF8String(utf8);
    return utf8;
}

}  // namespace brevanor
