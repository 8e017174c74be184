#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/model/DateText.h"
#include "core/model/RecordingEvent.h"
#include "core/model/RecordingSummary.h"

namespace brevanor {

class KeyboardLayout;

// How the command line shows recordings: as library rows, in detail, event by
// event, and as JSON for scripts.
namespace RecordingText {

// The library row's summary: "1 min 15 s • 312 events • Dec 6, 2026, 4:43 PM".
std::string summary(const RecordingSummary& recording, const DateText& dates);
// One line of `list`: id, name and summary, then the play shortcut and the
// sensitive-input mark when they apply. `layout` names shortcut keys (may be null).
std::string row(const RecordingSummary& recording, const DateText& dates, KeyboardLayout* layout);
// What `show` prints: name, summary, settings, trim and the recorded environment.
std::string details(const RecordingSummary& recording, const DateText& dates, KeyboardLayout* layout);
// The line of one recorded event, with its time from the start.
std::string eventLine(const RecordingEvent& event);
// One JSON array, in the given order, of objects with the keys "createdAt",
// "durationNanos", "eventCount", "id", "name", "settings" (as in the document)
// and "trimmedDurationNanos".
std::string listJson(const std::vector<std::shared_ptr<const RecordingSummary>>& recordings);

}  // namespace RecordingText

}  // namespace brevanor
