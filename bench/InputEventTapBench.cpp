// Latency from an event leaving the platform source to a consumer having it,
// through the listener's delivery queue, at the pace of busy real input.
//
//   build/release/bench/InputEventTapBench

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "base/time/MonotonicClock.h"
#include "core/capture/InputEventTap.h"
#include "platform/fake/FakeInputSource.h"

namespace brevanor {
namespace {

// Notes how long each event took from push to consume; the event carries its push time.
class LatencyConsumer final : public InputEventConsumer {
public:
    explicit LatencyConsumer(std::size_t expected) { latencies_.reserve(expected); }
    void consume(const TapEvent& event) override {
        latencies_.push_back(MonotonicClock::now() - event.timestamp);
        received_.fetch_add(1, std::memory_order_release);
    }
    std::size_t received() const { return received_.load(std::memory_order_acquire); }
    std::vector<std::uint64_t> latencies() const { return latencies_; }  // once everything is received

private:
    std::vector<std::uint64_t> latencies_;  // delivery queue only
    std::atomic<std::size_t> received_{0};
};

double percentileMicros(std::vector<std::uint64_t> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return static_cast<double>(values[index]) / 1000.0;
}

// Pushes events at `eventsPerSecond` and reports the push-to-consume latency
// percentiles; with 0 it pushes as fast as it can and reports the throughput.
void runDelivery(benchmark::State& state, std::size_t events, std::uint64_t eventsPerSecond) {
    std::vector<std::uint64_t> all;
    for (auto _ : state) {
        auto source = std::make_shared<FakeInputSource>();
        auto tap = std::make_shared<InputEventTap>(source);
        auto consumer = std::make_shared<LatencyConsumer>(events);
        tap->addConsumer(consumer);
        tap->start();
        const auto period =
            eventsPerSecond ? std::chrono::nanoseconds(1'000'000'000 / eventsPerSecond) : std::chrono::nanoseconds(0);
        auto next = std::chrono::steady_clock::now();
        for (std::size_t i = 0; i < events; ++i) {
            if (eventsPerSecond) {
                next += period;
                std::this_thread::sleep_until(next);
            }
            TapEvent event{TapEvent::Kind::mouseMoved(), MonotonicClock::now(), {1, 2}, 0, 0, false};
            source->push(event);
        }
        while (consumer->received() < events) std::this_thread::yield();
        tap->stop();
        const auto latencies = consumer->latencies();
        all.insert(all.end(), latencies.begin(), latencies.end());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(all.size()));
    if (!eventsPerSecond) return;  // a backlog's waiting times say nothing about delivery
    state.counters["p50_us"] = percentileMicros(all, 0.50);
    state.counters["p99_us"] = percentileMicros(all, 0.99);
    state.counters["max_us"] = percentileMicros(all, 1.0);
}

// Two seconds of input at 2,000 events per second.
void BM_DeliveryLatencyAt2kHz(benchmark::State& state) { runDelivery(state, 4'000, 2'000); }
BENCHMARK(BM_DeliveryLatencyAt2kHz)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A burst as fast as the source can push: how many events the queue delivers per second.
void BM_DeliveryBurst(benchmark::State& state) { runDelivery(state, 100'000, 0); }
BENCHMARK(BM_DeliveryBurst)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace brevanor
