#pragma once

#include <string>

#include "core/model/Date.h"

namespace brevanor {

// A creation date as the library shows it: the locale's medium date and short
// time ("Dec 6, 2026, 4:43 PM" in American English).
class DateText {
public:
    // Empty ids stand for the user's locale and time zone; ids are ICU's ("en_US", "UTC").
    DateText() = default;
    DateText(std::string localeID, std::string timeZoneID);

    // Falls back to the ISO 8601 form when the locale cannot format it.
    std::string format(Date date) const;

private:
    std::string localeID_;
    std::string timeZoneID_;
};

}  // namespace brevanor
