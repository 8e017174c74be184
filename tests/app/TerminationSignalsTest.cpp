#include <gtest/gtest.h>
#include <signal.h>

#include <QSignalSpy>

#include "app/control/TerminationSignals.h"

namespace brevanor {
namespace {

TEST(TerminationSignals, TermAndIntArriveAsASignalOnTheEventLoopOfTheOneInstanceInsteadOfEndingTheProcess) {
    TerminationSignals termination;
    QSignalSpy received(&termination, &TerminationSignals::received);
    ::raise(SIGTERM);
    ASSERT_TRUE(received.wait(10'000));
    ::raise(SIGINT);
    ASSERT_TRUE(received.count() == 2 || received.wait(10'000));
    EXPECT_EQ(received.at(0).at(0).toInt(), SIGTERM);
    EXPECT_EQ(received.at(1).at(0).toInt(), SIGINT);
    EXPECT_THROW(TerminationSignals second, std::logic_error) << "only one may exist at a time";
}

}  // namespace
}  // namespace brevanor
