#include "cli/EventCommands.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "cli/CliError.h"
#include "cli/RecordingLookup.h"
#include "cli/RecordingText.h"
#include "cli/TerminalText.h"
#include "core/checks/EventDescription.h"
#include "core/model/EventEditError.h"
#include "core/model/EventEdits.h"
#include "core/model/JsonWriter.h"
#include "core/model/RecordingJSONEncoder.h"

namespace brevanor {

namespace {

constexpr double kMaxWaitMs = 24.0 * 3600 * 1000;

bool isKeyEvent(const RecordingEvent& event) {
    return event.kind() == RecordingEvent::Kind::keyDown || event.kind() == RecordingEvent::Kind::keyUp;
}

// One edit of the command line, parsed before the library is touched.
struct Edit {
    enum class Kind { remove, gap, speed, move, waitAfter, revert } kind;
    std::string text;  // as given, "--gap 3=250", for messages
    std::size_t first = 0;
    std::size_t last = 0;
    std::uint64_t nanos = 0;
    double factor = 1;
    double x = 0;
    double y = 0;
};

bool parseIndex(std::string_view text, std::size_t& index) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), index);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size();
}

bool parseNumber(std::string_view text, double& number) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    return !text.empty() && result.ec == std::errc() && result.ptr == text.data() + text.size() &&
           std::isfinite(number);
}

// "I" or "I-J".
bool parseRange(std::string_view text, std::size_t& first, std::size_t& last) {
    const auto dash = text.find('-');
    if (dash == std::string_view::npos) return parseIndex(text, first) && ((last = first), true);
    return parseIndex(text.substr(0, dash), first) && parseIndex(text.substr(dash + 1), last);
}

bool parseMs(std::string_view text, std::uint64_t& nanos) {
    double ms = 0;
    if (!parseNumber(text, ms) || ms < 0 || ms > kMaxWaitMs) return false;
    nanos = static_cast<std::uint64_t>(std::llround(ms * 1e6));
    return true;
}

// Splits "LEFT=RIGHT".
bool split(std::string_view text, std::string_view& left, std::string_view& right) {
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) return false;
    left = text.substr(0, equals);
    right = text.substr(equals + 1);
    return true;
}

Edit parse(const CommandLine::Occurrence& option) {
    Edit edit{Edit::Kind::revert, "--" + option.name + (option.value.empty() ? "" : " " + option.value)};
    std::string_view left, right;
    const std::string_view value = option.value;
    const auto refuse = [&](std::string_view shape) {
        return CliError::usage("The option --" + option.name + " takes " + std::string(shape) + ", not “" +
                               option.value + "”.");
    };
    if (option.name == "delete") {
        edit.kind = Edit::Kind::remove;
        if (!parseRange(value, edit.first, edit.last)) throw refuse("an event index or a range such as 3-7");
    } else if (option.name == "gap") {
        edit.kind = Edit::Kind::gap;
        if (!split(value, left, right) || !parseIndex(left, edit.first) || !parseMs(right, edit.nanos)) {
            throw refuse("INDEX=MILLISECONDS such as 4=250 (at most a day)");
        }
    } else if (option.name == "speed") {
        edit.kind = Edit::Kind::speed;
        if (!split(value, left, right) || !parseRange(left, edit.first, edit.last) ||
            !parseNumber(right, edit.factor)) {
            throw refuse("FIRST-LAST=FACTOR such as 3-9=2 (2: twice as fast)");
        }
    } else if (option.name == "move") {
        edit.kind = Edit::Kind::move;
        const auto comma = value.find(',');
        if (!split(value, left, right) || !parseIndex(left, edit.first) || comma == std::string_view::npos ||
            !parseNumber(right.substr(0, right.find(',')), edit.x) ||
            !parseNumber(right.substr(right.find(',') + 1), edit.y)) {
            throw refuse("INDEX=X,Y such as 5=640,400");
        }
    } else if (option.name == "wait-after") {
        edit.kind = Edit::Kind::waitAfter;
        if (!split(value, left, right) || !parseIndex(left, edit.first) || !parseMs(right, edit.nanos)) {
            throw refuse("INDEX=MILLISECONDS such as 4=1000 (at most a day)");
        }
    }
    return edit;
}

void apply(const Edit& edit, Recording& recording) {
    switch (edit.kind) {
        case Edit::Kind::remove: EventEdits::deleteRange(recording, edit.first, edit.last); break;
        case Edit::Kind::gap: EventEdits::setGap(recording, edit.first, edit.nanos); break;
        case Edit::Kind::speed: EventEdits::speedRange(recording, edit.first, edit.last, edit.factor); break;
        case Edit::Kind::move: EventEdits::moveClick(recording, edit.first, edit.x, edit.y); break;
        case Edit::Kind::waitAfter: EventEdits::insertWaitAfter(recording, edit.first, edit.nanos); break;
        case Edit::Kind::revert: EventEdits::revert(recording); break;
    }
}

std::string padded(std::string text, std::size_t width) {
    // Column widths count characters, not the bytes of "•" or "→".
    std::size_t characters = 0;
    for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (characters < width) text.append(width - characters, ' ');
    return text;
}

std::string leftPadded(const std::string& text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

}  // namespace

int EventCommands::events(const CommandLine& line) {
    line.expectPositionals(1, 1, "a recording (its id, name or file)");
    const Recording recording = RecordingLookup(context_.store()).find(line.positionals()[0]);
    // A sensitive recording's keys stay hidden; the events themselves are counted and shown.
    const bool mask = recording.settings.containsSensitiveInput;
    if (mask) {
        context_.err() << "brevanor-cli: "
                       << TerminalText::escaped("“" + recording.name +
                                                "” is marked as containing sensitive input, so its keys are hidden.")
                       << "\n";
    }
    const auto& events = recording.events;
    if (line.has("json")) {
        const RecordingJSONEncoder encoder;
        context_.out() << "[";
        for (std::size_t i = 0; i < events.size(); ++i) {
            const RecordingEvent& event = events[i];
            const bool masked = mask && isKeyEvent(event);
            JsonWriter w(64);
            w.key("gapNanos").integer(EventEdits::gapBefore(events, i));
            w.key("index").integer(static_cast<std::uint64_t>(i));
            if (masked) w.key("masked").boolean(true);
            std::string entry = std::string(i == 0 ? "" : ",") + "{\"event\":";
            if (masked) {
                JsonWriter hidden(64);
                hidden.beginObject();
                hidden.key("t").integer(event.timestamp());
                hidden.key("type").string(toString(event.kind()));
                hidden.endObject();
                entry += hidden.take();
            } else {
                entry += encoder.encodeEvent(event);
            }
            context_.out() << entry << "," << w.take() << "}";
        }
        context_.out() << "]\n";
        return 0;
    }
    KeyboardLayout* layout = context_.keyboardLayoutIfAvailable();
    context_.out() << " index        time         gap  type           details\n";
    for (std::size_t i = 0; i < events.size(); ++i) {
        const RecordingEvent& event = events[i];
        context_.out() << leftPadded(std::to_string(i), 6) << "  "
                       << leftPadded(EventDescription::seconds(event.timestamp()), 10) << "  "
                       << leftPadded("+" + EventDescription::seconds(EventEdits::gapBefore(events, i)), 10) << "  "
                       << padded(EventDescription::type(event), 13) << "  "
                       << TerminalText::escaped(EventDescription::details(event, layout, mask)) << "\n";
    }
    return 0;
}

int EventCommands::edit(const CommandLine& line) {
    line.expectPositionals(1, 1, "a recording (its id or name)");
    std::vector<Edit> edits;
    for (const CommandLine::Occurrence& option : line.occurrences()) edits.push_back(parse(option));
    if (edits.empty()) {
        throw CliError::usage(
            "edit needs at least one of --delete, --gap, --speed, --move, --wait-after and --revert; run brevanor-cli "
            "help for its usage.");
    }
    const RecordingSummary found = RecordingLookup(context_.store()).findInLibrary(line.positionals()[0]);
    const std::string failure = "Could not edit “" + found.name + "”: ";
    Recording edited;
    try {
        // Under the library's lock: read, every edit in order, the check, and one write; nothing on failure.
        edited = context_.store().modify(found.id, [&](Recording& recording) {
            const std::vector<RecordingEvent> recorded = recording.recordedEvents.value_or(recording.events);
            for (const Edit& edit : edits) {
                try {
                    apply(edit, recording);
                } catch (const EventEditError& error) {
                    throw CliError(failure + edit.text + ": " + error.what() + "; nothing was changed.");
                }
            }
            try {
                EventEdits::check(recorded, recording.events);
            } catch (const EventEditError& error) {
                throw CliError(failure + error.what() + "; nothing was changed.");
            }
        });
    } catch (const CliError&) {
        throw;
    } catch (const RecordingStore::StoreError& error) {
        if (error.errorCase() != RecordingStore::StoreError::Case::notFound) throw;
        throw CliError(failure + "it is no longer in the library.");
    } catch (const std::exception& error) {
        std::string why = error.what();
        while (!why.empty() && why.back() == '.') why.pop_back();
        throw CliError(failure + why + ".");
    }
    KeyboardLayout* layout = edited.settings.playHotkey ? context_.keyboardLayoutIfAvailable() : nullptr;
    context_.out() << RecordingText::row(RecordingSummary::of(edited), context_.dates(), layout) << "\n";
    return 0;
}

}  // namespace brevanor
