#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include "app/ui/RecordingListModel.h"
#include "app/ui/RecordingRowDelegate.h"
#include "tests/app/ui/LibraryUiTest.h"

namespace brevanor::testing {
namespace {

class LibraryWindowTest : public LibraryUiTest {
protected:
    std::shared_ptr<const Recording> selected() const { return window->sidebar().selectedRecording(); }

    // Opens the context menu of `row` and picks `item`.
    void choose(int row, const QString& item) {
        // Menus closed before are gone first, so the one found is this row's.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QListView& list = window->sidebar().list();
        emit list.customContextMenuRequested(list.visualRect(list.model()->index(row, 0)).center());
        QMenu* menu = window->sidebar().findChild<QMenu*>();
        ASSERT_NE(menu, nullptr);
        for (QAction* action : menu->actions()) {
            if (action->text() == item) {
                action->trigger();
                menu->close();
                return;
            }
        }
        FAIL() << "no menu item " << item.toStdString();
    }

    // Drags `urls` onto the window and drops them; answers whether the drop was taken.
    bool drop(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint centre = window->rect().center();
        QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        outlineShownWhileHovering =
            window->findChild<QWidget*>(QStringLiteral("dropOutline"))->isVisibleTo(window.get());
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &dropped);
        QApplication::processEvents();
        return dropped.isAccepted();
    }

    bool outlineShownWhileHovering = false;
};

TEST_F(LibraryWindowTest, RowsShowTheDurationTheEventCountTheDateAndTheMarks) {
    make();
    Recording minute = timed("Minute", 75'400'000'000, 312);
    minute.settings.playHotkey = HotkeyChord{122, HotkeyChord::controlFlag};  // F1
    stored(minute);
    Recording shortOne = timed("Short", 9'960'000'000, 2);
    shortOne.createdAt -= std::chrono::hours(1);  // older: second row
    shortOne.settings.containsSensitiveInput = true;
    stored(shortOne);
    makeWindow();

    const RecordingListModel& model = window->sidebar().model();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(0).data(RecordingListModel::SummaryRole).toString(),
              QString::fromStdString("1 min 15 s • 312 events • " + dates().format(minute.createdAt)));
    EXPECT_EQ(model.index(0).data(RecordingListModel::ShortcutRole).toString(), QStringLiteral("Ctrl+F1"));
    EXPECT_EQ(model.index(1).data(RecordingListModel::ShortcutRole).toString(), QString());
    EXPECT_FALSE(model.index(0).data(RecordingListModel::SensitiveRole).toBool());
    EXPECT_TRUE(model.index(1).data(RecordingListModel::SensitiveRole).toBool());
}

TEST_F(LibraryWindowTest, TheNewestIsSelectedFirstAndAgainWhenTheSelectedOneIsDeletedWithoutAsking) {
    make();
    Recording older = stored(timed("Older", kSeconds, 2));
    Recording middle = timed("Middle", kSeconds, 2);
    middle.createdAt = older.createdAt + std::chrono::seconds(1);
    stored(middle);
    Recording newest = timed("Newest", kSeconds, 2);
    newest.createdAt = older.createdAt + std::chrono::seconds(2);
    stored(newest);
    makeWindow();
    ASSERT_EQ(selected()->id, newest.id);
    ASSERT_EQ(window->editor()->draft().id, newest.id);

    window->sidebar().select(middle.id);
    QTest::keyClicks(window->editor()->findChild<QLineEdit*>(QStringLiteral("name")), QStringLiteral(" edited"));
    choose(1, QStringLiteral("Delete"));
    EXPECT_EQ(coordinator->recordings().size(), 2u) << "deleted at once, without a confirmation";
    mainQueue->advanceBy(kSeconds);
    EXPECT_THROW(store->load(middle.id), RecordingStore::StoreError) << "its editor's change is not written back";
    EXPECT_EQ(selected()->id, newest.id);
    EXPECT_EQ(window->editor()->draft().id, newest.id);

    // A duplicate or an import leaves the selection where it was.
    window->sidebar().select(older.id);
    choose(1, QStringLiteral("Duplicate"));
    EXPECT_EQ(coordinator->errorMessage(), std::nullopt);
    EXPECT_EQ(coordinator->recordings().size(), 3u);
    EXPECT_EQ(selected()->id, older.id);

    for (const auto& recording : store->list().entries) store->deleteRecording(recording->id);
    coordinator->importFiles({});
    EXPECT_EQ(selected(), nullptr);
    EXPECT_EQ(window->editor(), nullptr);
    EXPECT_TRUE(visibleTexts(*window).contains(QStringLiteral("No recordings yet")));
    EXPECT_TRUE(visibleTexts(*window).contains(QStringLiteral("Select a recording to see its settings.")));
}

TEST_F(LibraryWindowTest, ASaveUpdatesItsRowInPlaceAndTheListKeepsItsScrollPosition) {
    make();
    std::vector<Recording> recordings;
    for (int i = 0; i < 60; ++i) {
        Recording recording = timed("Recording " + std::to_string(i), kSeconds, 2);
        recording.createdAt -= std::chrono::minutes(i);
        recordings.push_back(stored(recording));
    }
    makeWindow();
    window->show();
    QListView& list = window->sidebar().list();
    list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum() / 2);
    const int scrolled = list.verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);

    QSignalSpy resets(list.model(), &QAbstractItemModel::modelReset);
    QSignalSpy changes(list.model(), &QAbstractItemModel::dataChanged);
    QSignalSpy inserts(list.model(), &QAbstractItemModel::rowsInserted);
    Recording renamed = recordings[30];
    renamed.name = "Renamed";
    coordinator->save(renamed);
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.front().front().value<QModelIndex>().row(), 30);
    EXPECT_EQ(list.model()->index(30, 0).data().toString(), QStringLiteral("Renamed"));

    coordinator->duplicate(recordings[40]);
    EXPECT_EQ(inserts.count(), 1);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(list.verticalScrollBar()->value(), scrolled);
}

TEST_F(LibraryWindowTest, DroppedFilesAreImportedOneByOneAndThePanelsTogether) {
    make();
    makeWindow();
    const auto first = writeFile("first.macro", document(timed("First", kSeconds, 2)));
    const auto second = writeFile("second.json", document(timed("Second", kSeconds, 2)));
    const auto text = writeFile("notes.txt", "not a recording");
    std::filesystem::create_directory(folder.path() / "a folder");

    QSignalSpy listings(coordinator.get(), &AppCoordinator::recordingsChanged);
    EXPECT_TRUE(drop({QUrl::fromLocalFile(QString::fromStdString(first.string())),
                      QUrl::fromLocalFile(QString::fromStdString((folder.path() / "a folder").string())),
                      QUrl::fromLocalFile(QString::fromStdString(text.string())),
                      QUrl::fromLocalFile(QString::fromStdString(second.string()))}));
    EXPECT_TRUE(outlineShownWhileHovering);
    EXPECT_FALSE(window->findChild<QWidget*>(QStringLiteral("dropOutline"))->isVisibleTo(window.get()));
    EXPECT_EQ(coordinator->recordings().size(), 2u);
    EXPECT_EQ(listings.count(), 2) << "each recording file is imported and listed on its own";
    EXPECT_EQ(coordinator->errorMessage(), std::nullopt) << "the folder and the text file are passed over";

    EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.com/recording.macro"))}));
    EXPECT_FALSE(outlineShownWhileHovering);

    // The import panel takes several files and passes them on together.
    findButton(*window, QStringLiteral("Import…"))->click();
    auto* panel = window->findChild<QFileDialog*>();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_EQ(panel->nameFilters(), QStringList{QStringLiteral("Recordings (*.macro *.json)")});
    const auto third = writeFile("third.macro", document(timed("Third", kSeconds, 2)));
    const auto fourth = writeFile("fourth.json", document(timed("Fourth", kSeconds, 2)));
    emit panel->filesSelected({QString::fromStdString(third.string()), QString::fromStdString(fourth.string())});
    EXPECT_EQ(coordinator->recordings().size(), 4u);
    EXPECT_EQ(listings.count(), 3) << "one import of both";
    panel->reject();
}

// The backend's own texts (those of X11 are checked in SettingsWindowTest).
TEST_F(LibraryWindowTest, TheBannerNamesWhatTheBackendNeedsAndGoesOnceALookAgainFindsItGranted) {
    permissions->grantOnPrompt = true;
    backend = PlatformBackend::wayland;
    permissions->inputMonitoring = false;
    makeWindow();
    const QStringList texts = visibleTexts(*window);
    const char* title = "Brevanor needs two things from Wayland to record and replay your input.";
    for (const char* text : {title, "Playback (virtual input)", "Recording (input devices)",
                             "The input group counts from your next login: after sudo usermod -aG input $USER, log "
                             "out and back in, then open Brevanor again."}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
    }
    EXPECT_EQ(texts.count(QStringLiteral("Granted")), 1) << "playing only";
    EXPECT_FALSE(texts.contains(QStringLiteral("Accessibility"))) << "not the Mac's names";
    // Nobody to ask and no settings to open: only a look again.
    EXPECT_TRUE(findButton(*window, QStringLiteral("Check Again"))->isVisibleTo(window.get()));
    EXPECT_FALSE(findButton(*window, QStringLiteral("System Settings…"))->isVisibleTo(window.get()));
    findButton(*window, QStringLiteral("Check Again"))->click();
    EXPECT_FALSE(visibleTexts(*window).contains(QString::fromUtf8(title)))
        << "with both granted the sidebar shows only the header and the list";
}

TEST_F(LibraryWindowTest, TheHeaderFollowsTheStateAndTheRecordShortcut) {
    makeWindow();
    EXPECT_TRUE(visibleTexts(*window).contains(QStringLiteral(
        "Press Ctrl+Alt+Super+R anywhere to start recording after a short countdown. Press it again, or hold Esc, "
        "to stop.")));
    QAbstractButton* record = window->findChild<QAbstractButton*>(QStringLiteral("record"));
    EXPECT_EQ(record->text(), QStringLiteral("Record"));
    EXPECT_EQ(record->toolTip(), QStringLiteral("Ctrl+Alt+Super+R"));
    auto* delegate = static_cast<RecordingRowDelegate*>(window->sidebar().list().itemDelegate());

    settings->setCountdownSeconds(0);
    record->click();
    ASSERT_EQ(coordinator->state(), AppState::recording());
    EXPECT_EQ(record->text(), QStringLiteral("Stop"));
    EXPECT_FALSE(delegate->playEnabled());
    record->click();
    EXPECT_EQ(coordinator->state(), AppState::idle());
    EXPECT_TRUE(delegate->playEnabled());

    settings->setRecordHotkey(HotkeyChord{122, HotkeyChord::shiftFlag});
    EXPECT_EQ(record->toolTip(), QStringLiteral("Shift+F1"));
}

TEST_F(LibraryWindowTest, TheWindowIsCentredFirstFitsTheEditorAtItsMinimumSizeAndComesBackWhereLeft) {
    edit(typingRecording("Narrow"));
    const QRect available = window->screen()->availableGeometry();
    EXPECT_LE(std::abs(window->frameGeometry().center().x() - available.center().x()), 1);

    // At its minimum size the editor fits without scrolling sideways.
    window->show();
    window->resize(window->minimumSize());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QApplication::processEvents();
    EXPECT_EQ(window->size(), window->minimumSize());
    EXPECT_EQ(window->editor()->horizontalScrollBar()->maximum(), 0)
        << "the editor needs " << window->editor()->widget()->minimumSizeHint().width() << " px, has "
        << window->editor()->viewport()->width();

    window->setGeometry(40, 50, 1000, 600);
    window->close();  // only hides
    EXPECT_FALSE(window->testAttribute(Qt::WA_DeleteOnClose));
    window.reset();
    makeWindow();
    EXPECT_EQ(window->geometry(), QRect(40, 50, 1000, 600));
}

}  // namespace
}  // namespace brevanor::testing
