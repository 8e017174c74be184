#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "core/store/UserDataDirectory.h"

namespace brevanor {
namespace {

// Sets an environment variable for the scope and puts back what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (old_) {
            ::setenv(name_, old_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(UserDataDirectory, FollowsTheXdgDataHomeRules) {
    const ScopedEnvironment home("HOME", "/home/someone");
    {
        const ScopedEnvironment dataHome("XDG_DATA_HOME", "/data/home");
        EXPECT_EQ(userDataDirectory(), "/data/home");
    }
    for (const char* ignored : {static_cast<const char*>(nullptr), "", "relative/data"}) {
        const ScopedEnvironment dataHome("XDG_DATA_HOME", ignored);
        EXPECT_EQ(userDataDirectory(), "/home/someone/.local/share");
    }
}

TEST(UserDataDirectory, WithoutHomeFallsBackToTheAccount) {
    const ScopedEnvironment home("HOME", nullptr);
    const ScopedEnvironment dataHome("XDG_DATA_HOME", nullptr);
    const std::filesystem::path path = userDataDirectory();
    EXPECT_TRUE(path.is_absolute());
    EXPECT_EQ(path.filename(), "share");
}

}  // namespace
}  // namespace brevanor
