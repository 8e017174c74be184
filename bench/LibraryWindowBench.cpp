// The library window with 1,000 recordings (about 100 MB): opening it and
// showing the list once the store has listed them, scrolling through it page
// by page, and a save of one recording until its row shows the change. Each
// beside a simple baseline in the same run: a plain QListWidget of the names,
// and the store's own save. Resident memory is reported with the library
// listed and the window open, beside the library's size on disk.
//
// Qt's offscreen platform paints into memory as the X11 platform does before
// it hands the picture over; the fake backend stands in for the system (the
// window asks it nothing that takes time).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QListView>
#include <QListWidget>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <string>

#include "app/control/AppCoordinator.h"
#include "app/control/AppSettings.h"
#include "app/ui/LibraryWindow.h"
#include "app/ui/RecordingListModel.h"
#include "bench/BenchLibrary.h"
#include "bench/ProcessStatus.h"
#include "core/capture/InputEventTap.h"
#include "core/store/RecordingStore.h"
#include "platform/fake/FakeDisplayService.h"
#include "platform/fake/FakeHotKeyService.h"
#include "platform/fake/FakeInputInjector.h"
#include "platform/fake/FakeInputSource.h"
#include "platform/fake/FakeKeyboardLayout.h"
#include "platform/fake/FakeLoginItem.h"
#include "platform/fake/FakePermissionService.h"
#include "platform/fake/FakeSecureInput.h"
#include "platform/fake/FakeWindowAccess.h"
#include "platform/fake/FakeWorkspaceService.h"
#include "platform/fake/InMemoryPreferencesStore.h"
#include "platform/fake/ManualMainQueue.h"
#include "tests/app/AnsweringPrompts.h"
#include "tests/app/RecordingActivation.h"

namespace brevanor {
namespace {

// Resident memory of this process in MB.
double residentMB() { return statusBytes("VmRSS") / (1024.0 * 1024.0); }

// The application's long-lived objects over the benchmark library, made once.
class Application {
public:
    Application() {
        auto permissions = std::make_shared<FakePermissionService>();
        permissions->accessibility = true;
        permissions->inputMonitoring = true;
        auto source = std::make_shared<FakeInputSource>();
        PlatformServices& platform = services_.platform;
        platform.inputSource = source;
        platform.injector = std::make_shared<FakeInputInjector>();
        platform.displays = std::make_shared<FakeDisplayService>();
        platform.workspace = std::make_shared<FakeWorkspaceService>();
        platform.windows = std::make_shared<FakeWindowAccess>();
        platform.keyboard = std::make_shared<FakeKeyboardLayout>(FakeKeyboardLayout::us());
        platform.secureInput = std::make_shared<FakeSecureInput>();
        platform.permissions = permissions;
        platform.hotKeys = std::make_shared<FakeHotKeyService>();
        platform.loginItem = std::make_shared<FakeLoginItem>();
        services_.tap = std::make_shared<InputEventTap>(source);
        services_.mainQueue = std::make_shared<ManualMainQueue>();
        services_.prompts = std::make_shared<testing::AnsweringPrompts>();
        services_.activation = std::make_shared<testing::RecordingActivation>();
        settings_ = std::make_unique<AppSettings>(preferences_, services_.platform.loginItem);
        store_ = std::make_shared<RecordingStore>(library().path(), preferences_);
        residentBeforeMB_ = residentMB();
        // Lists the library: every document is read and decoded.
        coordinator_ = std::make_unique<AppCoordinator>(*settings_, store_, services_);
    }
    ~Application() { services_.tap->stop(); }

    AppCoordinator& coordinator() { return *coordinator_; }
    RecordingStore& store() { return *store_; }
    std::unique_ptr<LibraryWindow> openWindow() {
        return std::make_unique<LibraryWindow>(*coordinator_, *settings_, services_, preferences_);
    }
    double residentBeforeMB() const { return residentBeforeMB_; }

private:
    std::shared_ptr<InMemoryPreferencesStore> preferences_ = std::make_shared<InMemoryPreferencesStore>();
    AppCoordinator::Services services_;
    std::unique_ptr<AppSettings> settings_;
    std::shared_ptr<RecordingStore> store_;
    std::unique_ptr<AppCoordinator> coordinator_;
    double residentBeforeMB_ = 0;
};

Application& application() {
    static Application instance;
    return instance;
}

// Shows `window` and paints it once, as its first frame on screen.
void showAndPaint(QWidget& window) {
    window.show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(window.grab());
}

// Resident memory: the library's recordings as the coordinator holds them,
// and the window on top, beside the library's size on disk. Registered first,
// so that no other benchmark's windows or freed memory count; its window is
// the program's first, so its opening time is that of a cold start of Qt too.
void BM_ResidentMemory(benchmark::State& state) {
    Application& app = application();
    const double listedMB = residentMB();
    const auto start = std::chrono::steady_clock::now();
    auto window = app.openWindow();
    showAndPaint(*window);
    const std::chrono::duration<double, std::milli> firstOpen = std::chrono::steady_clock::now() - start;
    for (auto _ : state) benchmark::DoNotOptimize(residentMB());
    state.counters["library_on_disk_MB"] = static_cast<double>(library().totalBytes()) / 1e6;
    state.counters["recordings_MB"] = listedMB - app.residentBeforeMB();
    state.counters["window_MB"] = residentMB() - listedMB;
    state.counters["rss_with_window_MB"] = residentMB();
    state.counters["first_open_ms"] = firstOpen.count();
}
BENCHMARK(BM_ResidentMemory)->Iterations(1);

void BM_OpenWindow(benchmark::State& state) {
    Application& app = application();
    for (auto _ : state) {
        auto window = app.openWindow();
        showAndPaint(*window);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(app.coordinator().recordings().size());
}
BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(3);

// Baseline: the names alone in a plain list widget of the same size.
void BM_OpenPlainList(benchmark::State& state) {
    Application& app = application();
    for (auto _ : state) {
        QListWidget list;
        list.resize(900, 560);
        for (const auto& recording : app.coordinator().recordings()) {
            list.addItem(QString::fromStdString(recording->name));
        }
        showAndPaint(list);
    }
}
BENCHMARK(BM_OpenPlainList)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10)->Repetitions(3);

// One page further down and a repaint of the list, as each frame of a scroll.
template <typename List>
void scrollPageByPage(benchmark::State& state, List& list) {
    QScrollBar& bar = *list.verticalScrollBar();
    double slowestMs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        bar.setValue(bar.value() + bar.pageStep() > bar.maximum() ? 0 : bar.value() + bar.pageStep());
        list.viewport()->repaint();
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        slowestMs = std::max(slowestMs, took.count());
    }
    state.counters["slowest_ms"] = slowestMs;
}

void BM_ScrollList(benchmark::State& state) {
    auto window = application().openWindow();
    showAndPaint(*window);
    scrollPageByPage(state, window->sidebar().list());
}
BENCHMARK(BM_ScrollList)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(3);

void BM_ScrollPlainList(benchmark::State& state) {
    QListWidget list;
    list.resize(380, 560);
    for (const auto& recording : application().coordinator().recordings()) {
        list.addItem(QString::fromStdString(recording->name) + QStringLiteral("\n1 min 0 s • 562 events"));
    }
    showAndPaint(list);
    scrollPageByPage(state, list);
}
BENCHMARK(BM_ScrollPlainList)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(3);

// A save through the coordinator: the document written, the folder listed
// again, the row updated in place and painted.
void BM_SaveUpdatesRow(benchmark::State& state) {
    Application& app = application();
    auto window = app.openWindow();
    showAndPaint(*window);
    constexpr int row = 500;
    Recording changed = *app.coordinator().recordings()[row];
    const RecordingListModel& model = window->sidebar().model();
    window->sidebar().list().scrollTo(model.index(row));
    QApplication::processEvents();
    for (auto _ : state) {
        changed.name = "Renamed " + std::to_string(state.iterations());
        app.coordinator().save(changed);
        QApplication::processEvents();
        if (model.index(row).data().toString().toStdString() != changed.name) state.SkipWithError("row not updated");
    }
}
BENCHMARK(BM_SaveUpdatesRow)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);

// Baseline: the store's atomic save of the same document, nothing else.
void BM_StoreSave(benchmark::State& state) {
    Recording changed = *application().coordinator().recordings()[500];
    for (auto _ : state) {
        changed.name = "Saved " + std::to_string(state.iterations());
        application().store().save(changed);
    }
}
BENCHMARK(BM_StoreSave)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3);

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
