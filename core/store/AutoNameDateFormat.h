#pragma once

#include <string>

#include "core/model/Date.h"

namespace brevanor {

// The date in an automatic recording name: the abbreviated month, the day, the
// hour in two digits without AM/PM and the minute, in the order and with the
// separators of a locale ("Dec 6, 16:43" in American English).
class AutoNameDateFormat {
public:
    // An empty locale or time-zone id stands for the user's current one, looked
    // up again at every call. Ids are ICU's ("en_US", "Europe/Berlin", "UTC").
    AutoNameDateFormat() = default;
    AutoNameDateFormat(std::string localeID, std::string timeZoneID);

    // Throws std::runtime_error when the date cannot be formatted.
    std::string format(Date date) const;

private:
    std::string localeID_;
    std::string timeZoneID_;
};

}  // namespace brevanor
