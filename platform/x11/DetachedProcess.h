#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brevanor {

// Starting another program that lives on by itself: in a session of its own,
// not a child of ours (no zombie is left behind), with none of our file
// descriptors but standard input, output and error, and no blocked signals.
namespace DetachedProcess {

// Runs `arguments` (the program, found on PATH unless it holds a "/", then its
// arguments). Returns its process id once the program is running; nothing when
// it could not be found or executed.
std::optional<std::int32_t> start(const std::vector<std::string>& arguments);

}  // namespace DetachedProcess

}  // namespace brevanor
