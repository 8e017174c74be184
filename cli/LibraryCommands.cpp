#include "cli/LibraryCommands.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <ostream>

#include "cli/CliError.h"
#include "cli/RecordingLookup.h"
#include "cli/RecordingText.h"
#include "cli/TerminalText.h"
#include "core/model/RecordingJSONEncoder.h"
#include "core/store/DocumentTooLargeError.h"
#include "core/store/FileError.h"

namespace brevanor {

namespace {

// An error's text as the end of a sentence.
std::string described(const std::exception& error) {
    std::string text = error.what();
    while (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

// Runs `change` on the library; its failure becomes "Could not <verb> “<name>”: <why>."
template <typename Change>
auto changing(const std::string& verb, const std::string& name, Change&& change) {
    try {
        return change();
    } catch (const RecordingStore::StoreError& error) {
        if (error.errorCase() != RecordingStore::StoreError::Case::notFound) throw;
        // Another process deleted it after it was looked up.
        throw CliError("Could not " + verb + " “" + name + "”: it is no longer in the library.");
    } catch (const std::exception& error) {
        throw CliError("Could not " + verb + " “" + name + "”: " + described(error) + ".");
    }
}

std::string lowerCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

int LibraryCommands::list(const CommandLine& line) {
    line.expectPositionals(0, 0, "nothing");
    LibraryListing<RecordingSummary> listing;
    try {
        listing = context_.store().listSummaries();
    } catch (const FileError& error) {
        throw CliError("The library cannot be listed: " + described(error) + ".");
    }
    for (const SkippedDocument& skipped : listing.skipped) {
        context_.err() << "brevanor-cli: "
                       << TerminalText::escaped("Left out " + skipped.path.filename().string() + ": " + skipped.reason +
                                                ".")
                       << "\n";
    }
    const auto& recordings = listing.entries;
    if (line.has("json")) {
        context_.out() << RecordingText::listJson(recordings) << "\n";
        return 0;
    }
    const bool anyShortcut = std::any_of(recordings.begin(), recordings.end(),
                                         [](const auto& recording) { return recording->settings.playHotkey; });
    KeyboardLayout* layout = anyShortcut ? context_.keyboardLayoutIfAvailable() : nullptr;
    for (const auto& recording : recordings) {
        context_.out() << RecordingText::row(*recording, context_.dates(), layout) << "\n";
    }
    return 0;
}

int LibraryCommands::show(const CommandLine& line) {
    line.expectPositionals(1, 1, "a recording (its id, name or file)");
    StreamedDocument document = RecordingLookup(context_.store()).open(line.positionals()[0]);
    const RecordingSummary& recording = document.summary();
    const auto forEachEvent = [&](const auto& visit) { document.forEachEvent(visit); };
    // The events of a sensitive recording hold what was typed; they stay out as they do of exports.
    const bool withholdEvents = recording.settings.containsSensitiveInput;
    if (withholdEvents && (line.has("json") || line.has("events"))) {
        context_.err() << "brevanor-cli: "
                       << TerminalText::escaped(
                              "“" + recording.name +
                              "” is marked as containing sensitive input, so its events are not shown.")
                       << "\n";
    }
    // Long recordings are written out as their events are read again, never held whole.
    if (line.has("json")) {
        const RecordingJSONEncoder encoder;
        if (withholdEvents) {
            context_.out() << encoder.encodeSummary(recording);
        } else {
            encoder.encode(recording, forEachEvent, [&](std::string_view piece) { context_.out() << piece; });
        }
        context_.out() << "\n";
        return 0;
    }
    KeyboardLayout* layout = recording.settings.playHotkey ? context_.keyboardLayoutIfAvailable() : nullptr;
    context_.out() << RecordingText::details(recording, context_.dates(), layout);
    if (line.has("events") && !withholdEvents) {
        context_.out() << "events\n";
        forEachEvent([&](const RecordingEvent& event) { context_.out() << RecordingText::eventLine(event); });
    }
    return 0;
}

int LibraryCommands::rename(const CommandLine& line) {
    line.expectPositionals(2, 2, "a recording and its new name");
    const RecordingSummary recording = RecordingLookup(context_.store()).findInLibrary(line.positionals()[0]);
    const std::string& name = line.positionals()[1];
    if (name.find_first_not_of(" \t") == std::string::npos) {
        throw CliError::usage("A recording needs a name that is not blank.");
    }
    changing("rename", recording.name, [&] { return context_.store().rename(recording.id, name); });
    return 0;
}

int LibraryCommands::duplicate(const CommandLine& line) {
    line.expectPositionals(1, 1, "a recording (its id or name)");
    const RecordingSummary recording = RecordingLookup(context_.store()).findInLibrary(line.positionals()[0]);
    const RecordingSummary copy =
        changing("duplicate", recording.name, [&] { return context_.store().duplicate(recording.id); });
    context_.out() << copy.id.toString() << "\n";
    return 0;
}

int LibraryCommands::remove(const CommandLine& line) {
    line.expectPositionals(1, 1, "a recording (its id or name)");
    const std::string& reference = line.positionals()[0];
    RecordingStore& store = context_.store();
    Uuid id;
    std::string name;
    try {
        const RecordingSummary recording = RecordingLookup(store).findInLibrary(reference);
        id = recording.id;
        name = recording.name;
    } catch (const CliError&) {
        // A document that cannot be read is still the user's to delete, by the id its file is named by.
        const auto parsed = Uuid::parse(reference);
        std::error_code error;
        if (!parsed || !std::filesystem::exists(std::filesystem::symlink_status(store.fileURL(*parsed), error))) throw;
        id = *parsed;
        name = store.fileURL(id).filename().string();
    }
    changing("delete", name, [&] { store.deleteRecording(id); });
    return 0;
}

int LibraryCommands::importFiles(const CommandLine& line) {
    line.expectPositionals(1, SIZE_MAX, "at least one file");
    int status = 0;
    for (const std::string& file : line.positionals()) {
        const std::filesystem::path path(file);
        const std::string extension = lowerCased(path.extension().string());
        std::string failure;
        // Named on the command line, a file of another kind is a mistake worth telling, not one to pass over.
        if (extension != ".macro" && extension != ".json") {
            failure = "only .macro and .json files hold recordings";
        } else {
            try {
                context_.out() << context_.store().importRecording(path).id.toString() << "\n";
                continue;
            } catch (const FileError& error) {
                failure = described(error);
            } catch (const DocumentTooLargeError& error) {
                failure = described(error);
            } catch (const std::exception& error) {
                failure = "it is not a recording this version of Brevanor understands (" + described(error) + ")";
            }
        }
        // One sentence per file, and the other files are still imported.
        context_.err() << "brevanor-cli: "
                       << TerminalText::escaped("Could not import " + path.filename().string() + ": " + failure + ".")
                       << "\n";
        status = CliError::failureStatus;
    }
    return status;
}

int LibraryCommands::exportRecording(const CommandLine& line) {
    line.expectPositionals(2, 2, "a recording and the file to write");
    const RecordingSummary found = RecordingLookup(context_.store()).findInLibrary(line.positionals()[0]);
    if (found.settings.containsSensitiveInput) {
        throw CliError("“" + found.name + "” is marked as containing sensitive input, so it cannot be exported.");
    }
    const Recording recording = changing("export", found.name, [&] { return context_.store().load(found.id); });
    const std::string& target = line.positionals()[1];
    try {
        context_.store().exportRecording(
            recording, target,
            line.has("force") ? RecordingStore::Overwrite::regularFile : RecordingStore::Overwrite::never);
    } catch (const std::exception& error) {
        const auto* refusal = dynamic_cast<const RecordingStore::StoreError*>(&error);
        if (refusal && refusal->errorCase() == RecordingStore::StoreError::Case::exportTargetExists) {
            throw CliError("Could not export “" + recording.name + "”: " + target +
                           " already exists; add --force to replace it.");
        }
        throw CliError("Could not export “" + recording.name + "”: " + described(error) + ".");
    }
    return 0;
}

int LibraryCommands::trim(const CommandLine& line) {
    line.expectPositionals(1, 1, "a recording (its id or name)");
    const RecordingSummary found = RecordingLookup(context_.store()).findInLibrary(line.positionals()[0]);
    const bool undo = line.has("undo");
    const Recording recording = changing("trim", found.name, [&] {
        return context_.store().modify(found.id, [undo](Recording& stored) {
            if (undo) {
                stored.undoTrim();
            } else {
                stored.applyAutomaticTrim();
            }
        });
    });
    KeyboardLayout* layout = recording.settings.playHotkey ? context_.keyboardLayoutIfAvailable() : nullptr;
    context_.out() << RecordingText::row(RecordingSummary::of(recording), context_.dates(), layout) << "\n";
    return 0;
}

}  // namespace brevanor
