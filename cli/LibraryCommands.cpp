#include "cli/LibraryCommands.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "cli/CliError.h"
#include "cli/RecordingLookup.h"
#include "cli/RecordingText.h"
#include "cli/TerminalText.h"
#include "core/control/LibraryOperations.h"
#include "core/model/RecordingJSONEncoder.h"
#include "core/store/FileError.h"

namespace brevanor {

namespace {

// Runs a change of the library, its failure told as a sentence.
template <typename Change>
auto changing(Change&& change) {
    try {
        return change();
    } catch (const LibraryOperations::Failure& failure) {
        throw CliError(std::string(failure.what()) + ".");
    }
}

}  // namespace

int LibraryCommands::list(const CommandLine& line) {
    line.expectPositionals(0, 0, "nothing");
    LibraryListing<RecordingSummary> listing;
    try {
        listing = context_.store().listSummaries();
    } catch (const FileError& error) {
        throw CliError("The library cannot be listed: " + LibraryOperations::reason(error) + ".");
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
    changing([&] { return LibraryOperations(context_.store()).rename(recording.id, recording.name, name); });
    return 0;
}

int LibraryCommands::duplicate(const CommandLine& line) {
    line.expectPositionals(1, 1, "a recording (its id or name)");
    const RecordingSummary recording = RecordingLookup(context_.store()).findInLibrary(line.positionals()[0]);
    const RecordingSummary copy =
        changing([&] { return LibraryOperations(context_.store()).duplicate(recording.id, recording.name); });
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
    changing([&] { LibraryOperations(store).remove(id, name); });
    return 0;
}

int LibraryCommands::importFiles(const CommandLine& line) {
    line.expectPositionals(1, SIZE_MAX, "at least one file");
    const std::vector<std::filesystem::path> files(line.positionals().begin(), line.positionals().end());
    const LibraryOperations::ImportReport report = LibraryOperations(context_.store()).importFiles(files);
    for (const RecordingSummary& imported : report.imported) context_.out() << imported.id.toString() << "\n";
    // One sentence per file; the other files are imported all the same.
    const auto tell = [&](const std::filesystem::path& file, const std::string& reason) {
        context_.err() << "brevanor-cli: "
                       << TerminalText::escaped("Could not import " + file.filename().string() + ": " + reason + ".")
                       << "\n";
    };
    // Named on the command line, a file of another kind is a mistake worth telling, not one to pass over.
    for (const auto& file : report.otherKinds) tell(file, "only .macro and .json files hold recordings");
    for (const auto& refusal : report.refused) tell(refusal.file, refusal.reason);
    return report.otherKinds.empty() && report.refused.empty() ? 0 : CliError::failureStatus;
}

int LibraryCommands::exportRecording(const CommandLine& line) {
    line.expectPositionals(2, 2, "a recording and the file to write");
    const RecordingSummary found = RecordingLookup(context_.store()).findInLibrary(line.positionals()[0]);
    if (auto refusal = LibraryOperations::exportRefusal(found.name, found.settings)) throw CliError(*refusal);
    const Recording recording = changing([&] {
        return LibraryOperations::attempt("export", found.name, [&] { return context_.store().load(found.id); });
    });
    try {
        LibraryOperations(context_.store())
            .exportRecording(
                recording, line.positionals()[1],
                line.has("force") ? RecordingStore::Overwrite::regularFile : RecordingStore::Overwrite::never);
    } catch (const LibraryOperations::Failure& failure) {
        const bool mayReplace = failure.cause() == LibraryOperations::Failure::Cause::exportTargetExists;
        throw CliError(std::string(failure.what()) + (mayReplace ? "; add --force to replace it." : "."));
    }
    return 0;
}

int LibraryCommands::trim(const CommandLine& line) {
    line.expectPositionals(1, 1, "a recording (its id or name)");
    const RecordingSummary found = RecordingLookup(context_.store()).findInLibrary(line.positionals()[0]);
    const bool undo = line.has("undo");
    const Recording recording = changing([&] {
        return LibraryOperations::attempt("trim", found.name, [&] {
            return context_.store().modify(found.id, [undo](Recording& stored) {
                if (undo) {
                    stored.undoTrim();
                } else {
                    stored.applyAutomaticTrim();
                }
            });
        });
    });
    KeyboardLayout* layout = recording.settings.playHotkey ? context_.keyboardLayoutIfAvailable() : nullptr;
    context_.out() << RecordingText::row(RecordingSummary::of(recording), context_.dates(), layout) << "\n";
    return 0;
}

}  // namespace brevanor
