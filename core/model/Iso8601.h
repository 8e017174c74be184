#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/model/Date.h"

namespace brevanor {

// Dates as ISO 8601 internet date-time text in whole seconds, as recording
// documents carry them.
namespace Iso8601 {

// UTC with the suffix "Z", e.g. "2026-12-05T16:43:01Z"; a fraction of a second
// is dropped (the date is rounded down to its second).
std::string format(Date date);

// "YYYY-MM-DDTHH:MM:SS" followed by "Z" or an offset "+HH:MM" / "-HH:MM"; no
// fraction of a second. Absent when the text is not such a date, names no real
// calendar day or time, or lies outside the range a Date can hold.
std::optional<Date> parse(std::string_view text);

}  // namespace Iso8601

}  // namespace brevanor
