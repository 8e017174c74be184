#include "core/store/RecordingStore.h"
#include "tests/app/CoordinatorTest.h"

namespace brevanor::testing {
namespace {

using AppCoordinatorLibraryTest = CoordinatorTest;

TEST_F(AppCoordinatorLibraryTest, ImportTakesRecordingsPassesOverOtherFilesAndNamesTheUndecodableOnes) {
    make();
    const Recording a = typingRecording("From a");
    const Recording upper = typingRecording("From X");
    // Beyond the size limit of every document, without taking the disk space.
    const auto huge = writeFile("huge.json", document(a));
    std::filesystem::resize_file(huge, RecordingStore::maxDocumentBytes + 1);
    coordinator->importFiles({writeFile("a.macro", document(a)), writeFile("b.txt", "not a recording"),
                              writeFile("c.json", "{\"schemaVersion\": 1"), writeFile("X.MACRO", document(upper)),
                              folder.path() / "missing.json", huge});

    std::set<std::string> names;
    for (const auto& recording : coordinator->recordings()) names.insert(recording->name);
    EXPECT_EQ(names, (std::set<std::string>{"From a", "From X"}));
    EXPECT_EQ(coordinator->errorMessage(),
              std::optional<std::string>("Could not import c.json, missing.json. The file is not a recording this "
                                         "version of Brevanor understands. Could not import huge.json: the file is "
                                         "larger than 256 MiB, the most a recording document may hold."));
}

TEST_F(AppCoordinatorLibraryTest, FilesLeftOutOfTheLibraryAreToldOnceInTheBanner) {
    const auto library = folder.path() / "Recordings";
    std::filesystem::create_directories(library);
    std::ofstream(library / "broken.json") << "{";
    make();
    const Recording recording = typingRecording("Listed");
    stored(recording);
    ASSERT_EQ(coordinator->recordings().size(), 1u);
    ASSERT_TRUE(coordinator->errorMessage());
    EXPECT_TRUE(coordinator->errorMessage()->starts_with(
        "“broken.json” is left out of the library: it is not a recording this version of Brevanor understands ("))
        << *coordinator->errorMessage();

    // Not again after every change, only when another file is left out.
    coordinator->clearErrorMessage();
    coordinator->save(recording);
    EXPECT_EQ(coordinator->errorMessage(), std::nullopt);
    std::ofstream(library / "other.json") << "[]";
    coordinator->save(recording);
    EXPECT_NE(coordinator->errorMessage(), std::nullopt);
}

TEST_F(AppCoordinatorLibraryTest, ExportWritesWhereTheUserChoseAndFailedChangesSayWhatFailed) {
    make();
    // Export proposes a name without slashes and writes where the user chose.
    const Recording recording = typingRecording("Work/Home");
    coordinator->exportRecording(recording);  // cancelled: nothing happens
    EXPECT_EQ(prompts->proposedExportNames, std::vector<std::string>{"Work-Home.macro"});
    EXPECT_EQ(coordinator->errorMessage(), std::nullopt);
    prompts->exportLocation = folder.path() / "chosen.macro";
    coordinator->exportRecording(recording);
    EXPECT_EQ(store->load(folder.path() / "chosen.macro"), recording);
    EXPECT_EQ(coordinator->errorMessage(), std::nullopt);
    prompts->exportLocation = folder.path() / "no such folder" / "chosen.macro";
    coordinator->exportRecording(recording);
    ASSERT_TRUE(coordinator->errorMessage());
    EXPECT_TRUE(coordinator->errorMessage()->starts_with("Could not export “Work/Home”: "))
        << *coordinator->errorMessage();

    const Recording kept = stored(typingRecording("Kept"));
    const Recording absent = typingRecording("Never saved");

    coordinator->deleteRecording(absent);
    // Another process deleted it meanwhile: said so, not by its identifier.
    EXPECT_EQ(coordinator->errorMessage(),
              std::optional<std::string>("Could not delete “Never saved”: it is no longer in the library"));
    coordinator->duplicate(absent);
    EXPECT_TRUE(coordinator->errorMessage()->starts_with("Could not duplicate “Never saved”: "));
    // An edited copy of a recording that brevanor-cli deleted meanwhile is not brought back.
    coordinator->save(absent);
    EXPECT_EQ(coordinator->errorMessage(),
              std::optional<std::string>("Could not save “Never saved”: no recording with the identifier " +
                                         absent.id.toString()));
    EXPECT_EQ(coordinator->recordings().size(), 1u);

    // A file takes the folder's place: saving fails with the system's words, listing shows an empty library.
    std::filesystem::remove_all(store->directory());
    std::ofstream(store->directory()) << "in the way";
    coordinator->save(kept);
    ASSERT_TRUE(coordinator->errorMessage());
    EXPECT_TRUE(coordinator->errorMessage()->starts_with("Could not save “Kept”: ")) << *coordinator->errorMessage();
    EXPECT_EQ(coordinator->recordings().size(), 1u);
    coordinator->importFiles({});
    EXPECT_TRUE(coordinator->recordings().empty());
}

}  // namespace
}  // namespace brevanor::testing
