#include "core/model/DateText.h"

#include <unicode/datefmt.h>
#include <unicode/timezone.h>

#include <memory>

#include "core/model/Iso8601.h"

namespace brevanor {

DateText::DateText(std::string localeID, std::string timeZoneID)
    : localeID_(std::move(localeID)), timeZoneID_(std::move(timeZoneID)) {}

std::string DateText::format(Date date) const {
    const icu::Locale locale = localeID_.empty() ? icu::Locale::getDefault() : icu::Locale(localeID_.c_str());
    std::unique_ptr<icu::DateFormat> formatter(
        icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium, icu::DateFormat::kShort, locale));
    if (!formatter) return Iso8601::format(date);
    formatter->adoptTimeZone(timeZoneID_.empty() ? icu::TimeZone::createDefault()
                                                 : icu::TimeZone::createTimeZone(timeZoneID_.c_str()));
    const auto millis = std::chrono::floor<std::chrono::milliseconds>(date.time_since_epoch()).count();
    icu::UnicodeString text;
    formatter->format(static_cast<UDate>(millis), text);
    std::string utf8;
    text.toUTF8String(utf8);
    return utf8;
}

}  // namespace brevanor
