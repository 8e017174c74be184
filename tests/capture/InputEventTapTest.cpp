#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/capture/InputEventTap.h"
#include "core/capture/InputEventTapError.h"
#include "platform/fake/FakeInputSource.h"
#include "tests/support/CollectingConsumer.h"
#include "tests/support/Thrown.h"
#include "tests/support/WaitUntil.h"

namespace brevanor {
namespace {

using namespace std::chrono_literals;
using testing::CollectingConsumer;
using testing::waitUntil;

TapEvent keyAt(std::uint64_t timestamp) {
    return TapEvent{TapEvent::Kind::keyDown(1, false), timestamp, {}, 0, 0, false};
}

std::vector<std::uint64_t> timestampsOf(const std::vector<TapEvent>& events) {
    std::vector<std::uint64_t> times;
    for (const TapEvent& event : events) times.push_back(event.timestamp);
    return times;
}

class InputEventTapTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeInputSource> source = std::make_shared<FakeInputSource>();
    std::shared_ptr<InputEventTap> tap = std::make_shared<InputEventTap>(source);
};

class InputEventTapConcurrency : public InputEventTapTest {};

// A start while running and a stop while stopped change nothing; a refused
// start fails with creationFailed and can be retried.
TEST_F(InputEventTapTest, StartsOnceStopsAndStartsAgainAlsoAfterARefusal) {
    tap->start();
    EXPECT_TRUE(tap->isRunning());
    EXPECT_TRUE(source->isRunning());
    tap->start();
    EXPECT_EQ(source->startCount(), 1);

    tap->stop();
    EXPECT_FALSE(tap->isRunning());
    EXPECT_FALSE(source->isRunning());
    EXPECT_FALSE(source->push(keyAt(1)));
    tap->stop();

    source->setStartFails(true);
    const auto error = testing::thrown<InputEventTapError>([&] { tap->start(); });
    EXPECT_EQ(error, InputEventTapError::creationFailed());
    EXPECT_NE(error ? std::string(error->what()) : "", "");
    EXPECT_FALSE(tap->isRunning());
    source->setStartFails(false);
    tap->start();
    EXPECT_TRUE(tap->isRunning() && source->isRunning());
    EXPECT_THROW(InputEventTap(nullptr).start(), InputEventTapError);
}

// A consumer that throws loses only that delivery.
TEST_F(InputEventTapConcurrency, DeliversInArrivalOrderToConsumersInRegistrationOrderAndAThrowLosesOnlyThatEvent) {
    std::mutex logMutex;
    std::vector<std::string> log;
    auto first = std::make_shared<CollectingConsumer>();
    auto second = std::make_shared<CollectingConsumer>();
    const auto logAs = [&](std::string name) {
        return [&, name](const TapEvent& e) {
            std::lock_guard lock(logMutex);
            log.push_back(name + " " + std::to_string(e.timestamp));
            if (name == "first" && e.timestamp == 1) throw std::runtime_error("consumer failed");
        };
    };
    first->onConsume = logAs("first");
    second->onConsume = logAs("second");
    tap->addConsumer(first);  // registered while stopped: receives once running
    tap->addConsumer(second);
    tap->addConsumer(second);  // twice: still once per event
    tap->start();
    for (std::uint64_t t = 1; t <= 3; ++t) ASSERT_TRUE(source->push(keyAt(t)));
    ASSERT_TRUE(second->waitForCount(3));
    EXPECT_EQ(log, (std::vector<std::string>{"first 1", "second 1", "first 2", "second 2", "first 3", "second 3"}));
    EXPECT_EQ(timestampsOf(first->events()), (std::vector<std::uint64_t>{2, 3}));

    tap->addConsumer(first);  // registering again moves it to the end
    ASSERT_TRUE(source->push(keyAt(4)));
    ASSERT_TRUE(first->waitForCount(3));
    EXPECT_EQ(log.size(), 8u);
    EXPECT_EQ(log[6], "second 4");
    EXPECT_EQ(second->count(), 4u);
}

TEST_F(InputEventTapConcurrency, ConsumersMayComeAndGoDuringDelivery) {
    auto leaver = std::make_shared<CollectingConsumer>();
    auto joiner = std::make_shared<CollectingConsumer>();
    auto witness = std::make_shared<CollectingConsumer>();
    leaver->onConsume = [&](const TapEvent& e) {
        if (e.timestamp == 2) {
            tap->removeConsumer(*leaver);
            tap->addConsumer(joiner);
        }
    };
    tap->addConsumer(leaver);
    tap->addConsumer(witness);
    tap->start();
    for (std::uint64_t t = 1; t <= 4; ++t) ASSERT_TRUE(source->push(keyAt(t)));
    ASSERT_TRUE(witness->waitForCount(4));
    ASSERT_TRUE(joiner->waitForCount(2));
    EXPECT_EQ(timestampsOf(leaver->events()), (std::vector<std::uint64_t>{1, 2}));
    EXPECT_EQ(timestampsOf(joiner->events()), (std::vector<std::uint64_t>{3, 4}));
    EXPECT_EQ(timestampsOf(witness->events()), (std::vector<std::uint64_t>{1, 2, 3, 4}));
}

// Consumers come and go on one thread while events arrive on another and the
// listener stops halfway: each accepted event reaches a steady consumer once, in order.
TEST_F(InputEventTapConcurrency, DeliveryWhileConsumersComeAndGoAndTheListenerStopsNeverRepeatsOrReorders) {
    constexpr std::uint64_t kEvents = 20'000;
    auto steady = std::make_shared<CollectingConsumer>();
    auto churned = std::make_shared<CollectingConsumer>();
    tap->addConsumer(steady);
    tap->start();

    std::atomic<bool> pushing{true};
    std::atomic<std::uint64_t> accepted{0};
    std::thread churn([&] {
        while (pushing) {
            tap->addConsumer(churned);
            auto passerby = std::make_shared<CollectingConsumer>();
            tap->addConsumer(passerby);
            tap->removeConsumer(*churned);
        }  // `passerby` goes away while still registered
    });
    std::thread pusher([&] {
        for (std::uint64_t t = 1; t <= kEvents; ++t) {
            if (source->push(keyAt(t))) ++accepted;
        }
        pushing = false;
    });
    EXPECT_TRUE(waitUntil([&] { return accepted.load() >= kEvents / 2; }));
    tap->stop();
    pusher.join();
    churn.join();
    ASSERT_TRUE(steady->waitForCount(accepted.load()));

    const auto all = timestampsOf(steady->events());
    ASSERT_EQ(all.size(), accepted.load());
    for (std::uint64_t i = 0; i < all.size(); ++i) ASSERT_EQ(all[i], i + 1);
    const auto some = timestampsOf(churned->events());
    for (std::size_t i = 1; i < some.size(); ++i) ASSERT_LT(some[i - 1], some[i]);
}

// A consumer that holds the last reference to the listener it is registered with.
struct ListenerOwner : InputEventConsumer {
    struct Signal {
        std::promise<void> promise;
        ~Signal() { promise.set_value(); }
    } destroyed;  // declared first: set once the listener is gone as well
    std::shared_ptr<InputEventTap> tap;
    std::shared_future<void> proceed;
    std::promise<void> delivering;
    void consume(const TapEvent&) override {
        delivering.set_value();
        proceed.wait();
    }
};

TEST_F(InputEventTapConcurrency, AListenerReleasedByItsLastConsumerDuringDeliveryGoesCleanly) {
    auto owner = std::make_shared<ListenerOwner>();
    std::promise<void> proceed;
    owner->proceed = proceed.get_future().share();
    owner->tap = std::make_shared<InputEventTap>(source);
    auto destroyed = owner->destroyed.promise.get_future();
    auto delivering = owner->delivering.get_future();
    owner->tap->addConsumer(owner);
    owner->tap->start();
    ASSERT_TRUE(source->push(keyAt(1)));
    delivering.wait();
    owner.reset();  // the delivery in progress now holds the consumer, which holds the listener
    proceed.set_value();
    EXPECT_EQ(destroyed.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(source->isRunning());
}

TEST_F(InputEventTapConcurrency, DestroyingTheListenerWithEventsQueuedIsSafe) {
    auto consumer = std::make_shared<CollectingConsumer>();
    std::promise<void> entered;
    std::promise<void> proceed;
    std::atomic<bool> first{true};
    consumer->onConsume = [&, wait = proceed.get_future().share()](const TapEvent&) {
        if (!first.exchange(false)) return;
        entered.set_value();
        wait.wait();
    };
    {
        InputEventTap tap(source);
        tap.addConsumer(consumer);
        tap.start();
        for (std::uint64_t t = 1; t <= 10; ++t) EXPECT_TRUE(source->push(keyAt(t)));
        EXPECT_EQ(entered.get_future().wait_for(10s), std::future_status::ready);
        proceed.set_value();
    }  // the event in delivery finishes; the rest may be discarded
    EXPECT_FALSE(source->isRunning());
    EXPECT_GE(consumer->count(), 1u);
    EXPECT_LE(consumer->count(), 10u);
}

}  // namespace
}  // namespace brevanor
