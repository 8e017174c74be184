#include <gtest/gtest.h>

#include "platform/linux/SessionBackend.h"

namespace brevanor {
namespace {

struct Case {
    SessionEnvironment environment;
    std::optional<PlatformBackend> expected;
};

class SessionBackendChoice : public ::testing::TestWithParam<Case> {};

TEST_P(SessionBackendChoice, FollowsTheSessionTypeThenTheDisplayVariables) {
    EXPECT_EQ(sessionBackend(GetParam().environment), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Sessions, SessionBackendChoice,
                         ::testing::Values(
                             // A Wayland desktop with XWayland: both displays set, Wayland wins.
                             Case{{"wayland-0", ":0", "wayland"}, PlatformBackend::wayland},
                             Case{{"wayland-0", ":0", ""}, PlatformBackend::wayland},
                             // sway started from a console login: the session type says tty.
                             Case{{"wayland-1", "", "tty"}, PlatformBackend::wayland},
                             // The session type decides even where the variables point elsewhere (a nested compositor).
                             Case{{"wayland-0", ":0", "x11"}, PlatformBackend::x11},
                             Case{{"", ":1", ""}, PlatformBackend::x11},
                             Case{{"", "", "wayland"}, PlatformBackend::wayland}, Case{{"", "", "tty"}, std::nullopt},
                             Case{{"", "", ""}, std::nullopt}));

}  // namespace
}  // namespace brevanor
