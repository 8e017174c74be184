// The event list of a recording of 100,000 events (about 10 MB as a document):
// opening it (the table and the activity strip shown and painted), scrolling
// it page by page, and an edit through the list with the save of the edited
// document, beside the store's bare save of the same document in the same run.
//
// Qt's offscreen platform paints into memory as the X11 platform does before
// it hands the picture over.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTableView>
#include <QUndoStack>
#include <QVBoxLayout>
#include <filesystem>
#include <memory>

#include "app/ui/ActivityStrip.h"
#include "app/ui/EventEditor.h"
#include "app/ui/EventTableModel.h"
#include "core/model/EventEdits.h"
#include "core/store/RecordingStore.h"
#include "platform/fake/InMemoryPreferencesStore.h"
#include "tests/store/TemporaryDirectory.h"

namespace brevanor {
namespace {

constexpr std::size_t kEvents = 100'000;
constexpr std::uint64_t ms = 1'000'000;

// A long session: paths to clicks, typing, scrolling and pauses, in cycles of ten events.
Recording longRecording() {
    std::vector<RecordingEvent> events;
    events.reserve(kEvents);
    std::uint64_t t = 0;
    for (std::size_t cycle = 0; events.size() < kEvents; ++cycle) {
        MousePathEvent path{t, {}};
        for (std::uint64_t p = 0; p < 12; ++p) path.points.push_back({p * 8 * ms, 100.0 + p, 200.0 + p});
        events.push_back(RecordingEvent::mousePath(std::move(path)));
        t += 100 * ms;
        events.push_back(RecordingEvent::mouseDown({t, MouseButton::left, 0, 111, 211, 1, 0}));
        events.push_back(RecordingEvent::mouseUp({t + 60 * ms, MouseButton::left, 0, 111, 211, 1, 0}));
        t += 120 * ms;
        for (std::uint16_t key = 0; key < 3; ++key, t += 90 * ms) {
            events.push_back(RecordingEvent::keyDown({t, key, 0, false}));
            events.push_back(RecordingEvent::keyUp({t + 40 * ms, key, 0, false}));
        }
        events.push_back(RecordingEvent::scroll({t, 300, 300, 0, -1, 0, 0, false, 0, 0, 0}));
        events.push_back(RecordingEvent::idleGap({t, 400 * ms}));
        t += 400 * ms + static_cast<std::uint64_t>(cycle % 7) * ms;
    }
    events.erase(events.begin() + kEvents, events.end());
    return Recording(Uuid::random(), "Long session",
                     std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()),
                     EnvironmentSnapshot::empty(), RecordingSettings{}, TrimRange{}, std::move(events));
}

// The library with the long recording in it, made once.
struct Library {
    TemporaryDirectory folder;
    RecordingStore store{folder.path() / "Recordings", std::make_shared<InMemoryPreferencesStore>()};
    Recording recording = store.add(longRecording());
};

Library& library() {
    static Library instance;
    return instance;
}

// The event list as the detail shows it: the strip above, the editor below, edits saved at once.
class Editor {
public:
    explicit Editor(Recording draft) : draft_(std::move(draft)) {
        window_.resize(900, 700);
        auto* layout = new QVBoxLayout(&window_);
        strip_ = new ActivityStrip(&window_);
        strip_->setRecording(draft_);
        editor_ = new EventEditor([this]() -> const Recording& { return draft_; },
                                  [this](std::vector<RecordingEvent> events,
                                         std::optional<std::vector<RecordingEvent>> recordedEvents, TrimRange trim) {
                                      draft_.events = std::move(events);
                                      draft_.recordedEvents = std::move(recordedEvents);
                                      draft_.trim = trim;
                                      strip_->setRecording(draft_);
                                      editor_->refresh();
                                      library().store.save(draft_);
                                  },
                                  [](Recording) {}, [](std::uint16_t key) { return "Key " + std::to_string(key); },
                                  *strip_, &window_);
        layout->addWidget(strip_);
        layout->addWidget(editor_);
        window_.show();
        QApplication::processEvents();
    }

    EventEditor& editor() { return *editor_; }
    const Recording& draft() const { return draft_; }

private:
    QWidget window_;
    Recording draft_;
    ActivityStrip* strip_ = nullptr;
    EventEditor* editor_ = nullptr;
};

void BM_OpenEventList(benchmark::State& state) {
    const Recording& recording = library().recording;
    for (auto _ : state) {
        Editor editor(library().store.load(recording.id));
        benchmark::DoNotOptimize(editor.editor().model().rowCount());
    }
    state.counters["events"] = static_cast<double>(kEvents);
}
BENCHMARK(BM_OpenEventList)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5)->Repetitions(3);

// The slowest page of a scroll through the list, one page at a time, each painted.
void BM_ScrollEventList(benchmark::State& state) {
    Editor editor(library().recording);
    QScrollBar* bar = editor.editor().table().verticalScrollBar();
    double slowestMs = 0;
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        const auto begin = std::chrono::steady_clock::now();
        bar->setValue(next > bar->maximum() ? 0 : next);
        editor.editor().table().viewport()->repaint();
        slowestMs = std::max(
            slowestMs, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
    state.counters["slowest_page_ms"] = slowestMs;
}
BENCHMARK(BM_ScrollEventList)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(2000)->Repetitions(3);

// A delete of one click (press and release) through the list, the list and strip shown again, and the save.
void BM_EditAndSave(benchmark::State& state) {
    Editor editor(library().recording);
    QTableView& table = editor.editor().table();
    for (auto _ : state) {
        const int row = editor.editor().model().rowOf(50'001);
        table.selectionModel()->select(table.model()->index(row, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        editor.editor().deleteSelection();
        QApplication::processEvents();
        state.PauseTiming();
        editor.editor().undoStack().undo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditAndSave)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(3);

// The same edit in the core alone, without the list, and its save.
void BM_CoreEditAndSave(benchmark::State& state) {
    Recording recording = library().recording;
    for (auto _ : state) {
        state.PauseTiming();
        Recording edited = recording;
        state.ResumeTiming();
        EventEdits::deleteRange(edited, 50'001, 50'001);
        EventEdits::check(recording.events, edited.events);
        library().store.save(edited);
    }
}
BENCHMARK(BM_CoreEditAndSave)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(3);

// Baseline: the store's bare atomic save of the same document.
void BM_StoreSave(benchmark::State& state) {
    const Recording& recording = library().recording;
    for (auto _ : state) library().store.save(recording);
    state.counters["document_MB"] =
        static_cast<double>(std::filesystem::file_size(library().store.fileURL(recording.id))) / (1024.0 * 1024.0);
}
BENCHMARK(BM_StoreSave)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(3);

// Baseline: the store's bare save of the edited document, which holds the recorded events beside the edited ones.
void BM_StoreSaveEdited(benchmark::State& state) {
    Recording edited = library().recording;
    EventEdits::deleteRange(edited, 50'001, 50'001);
    for (auto _ : state) library().store.save(edited);
    state.counters["document_MB"] =
        static_cast<double>(std::filesystem::file_size(library().store.fileURL(edited.id))) / (1024.0 * 1024.0);
}
BENCHMARK(BM_StoreSaveEdited)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(3);

}  // namespace
}  // namespace brevanor

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qt(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
