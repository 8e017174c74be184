#pragma once

#include <string>

namespace brevanor {

// What a build of the application is, fixed when the build is configured.
struct BuildInfo {
    // The release, "0.1.0".
    std::string version;
    // The source revision it was built from (an abbreviated commit id); empty
    // when the sources were not a git checkout.
    std::string revision;
    // The year of that revision, for the ownership notice.
    std::string year;
    // Where update checks read the newest release; empty: the build never checks.
    std::string updateFeedAddress;
    // The product's web site; empty when the build names none.
    std::string websiteAddress;

    static BuildInfo ofThisBuild();
};

}  // namespace brevanor
