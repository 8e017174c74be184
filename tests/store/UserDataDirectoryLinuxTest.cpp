#include <gtest/gtest.h>

#include "core/store/RecordingStore.h"
#include "core/store/UserDataDirectory.h"
#include "tests/support/ScopedEnvironment.h"

namespace brevanor {
namespace {

using testing::ScopedEnvironment;

TEST(UserDataDirectory, FollowsTheXdgDataHomeRules) {
    const ScopedEnvironment home("HOME", "/home/someone");
    {
        const ScopedEnvironment dataHome("XDG_DATA_HOME", "/data/home");
        EXPECT_EQ(userDataDirectory(), "/data/home");
        EXPECT_EQ(RecordingStore::defaultDirectory(), "/data/home/Brevanor/Recordings");
    }
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/data"}) {
        const ScopedEnvironment dataHome("XDG_DATA_HOME", ignored);
        EXPECT_EQ(userDataDirectory(), "/home/someone/.local/share");
    }
    // Without a home, the account's.
    const ScopedEnvironment noHome("HOME", nullptr);
    const ScopedEnvironment noDataHome("XDG_DATA_HOME", nullptr);
    const std::filesystem::path path = userDataDirectory();
    EXPECT_TRUE(path.is_absolute());
    EXPECT_EQ(path.filename(), "share");
}

}  // namespace
}  // namespace brevanor
