#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/model/Recording.h"
#include "core/model/RecordingSummary.h"
#include "core/store/RecordingStore.h"

namespace brevanor {

// What the application and the command line do to the library besides
// recording: import, export, duplicate, delete and rename, with the rules that
// decide what may be done and the sentences that say why something failed.
// Every failure is a LibraryOperations::Failure whose text is the sentence,
// "Could not <verb> “<name>”: <why>" (without a closing full stop, which the
// command line adds and the application leaves out).
class LibraryOperations {
public:
    class Failure;

    // What an import of several files came to: the files are taken one by one,
    // and a file that fails never keeps the others out.
    struct ImportReport {
        struct Refusal {
            std::filesystem::path file;
            std::string reason;
            // Larger than any recording document may be (said apart: it may be a recording all the same).
            bool tooLarge = false;
        };
        std::vector<RecordingSummary> imported;
        // Files of other kinds (only .macro and .json files hold recordings).
        std::vector<std::filesystem::path> otherKinds;
        std::vector<Refusal> refused;

        // What the application tells of the refused files (files of other
        // kinds dropped beside recordings are passed over): the files that
        // hold no recording this version reads in one sentence, then each
        // file too large to be one; none when every recording was imported.
        std::optional<std::string> sentence() const;
    };

    explicit LibraryOperations(RecordingStore& store) : store_(store) {}

    // An error's text as the end of a sentence: without its closing full stop.
    static std::string reason(const std::exception& error);
    // Whether a file is of a kind recordings are kept in: .macro or .json, in any case.
    static bool holdsRecordings(const std::filesystem::path& file);
    // Why a recording may not be exported, as a sentence; none when it may.
    static std::optional<std::string> exportRefusal(const std::string& name, const RecordingSettings& settings);

    ImportReport importFiles(const std::vector<std::filesystem::path>& files);
    // Throws a Failure for a sensitive recording before anything is written,
    // and for a target that exists when `overwrite` does not allow replacing it.
    void exportRecording(const Recording& recording, const std::filesystem::path& target,
                         RecordingStore::Overwrite overwrite);
    RecordingSummary duplicate(const Uuid& id, const std::string& name);
    void remove(const Uuid& id, const std::string& name);
    Recording rename(const Uuid& id, const std::string& name, const std::string& newName);

    // Runs a change of the library; its failure becomes a Failure "Could not
    // <verb> “<name>”: <why>", and a recording another process deleted
    // meanwhile is said to be no longer in the library.
    template <typename Change>
    static auto attempt(const std::string& verb, const std::string& name, Change&& change) -> decltype(change());

private:
    [[noreturn]] static void fail(const std::string& verb, const std::string& name, const std::exception& error);

    RecordingStore& store_;
};

class LibraryOperations::Failure : public std::runtime_error {
public:
    // An export's target that exists is the one failure the command line
    // answers with advice (replace it on purpose); the application has asked.
    enum class Cause { other, exportTargetExists };

    explicit Failure(const std::string& sentence, Cause cause = Cause::other)
        : std::runtime_error(sentence), cause_(cause) {}

    Cause cause() const { return cause_; }

private:
    Cause cause_;
};

template <typename Change>
auto LibraryOperations::attempt(const std::string& verb, const std::string& name, Change&& change)
    -> decltype(change()) {
    try {
        return change();
    } catch (const Failure&) {
        throw;
    } catch (const std::exception& error) {
        fail(verb, name, error);
    }
}

}  // namespace brevanor
