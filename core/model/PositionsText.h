#pragma once

#include <string>

namespace brevanor {

// How a recording whose pointer positions are relative (the sums of the
// mouse's own movements, where the compositor tells no place on the screen)
// says so: on the terminal, in the status pill and among its facts.
namespace PositionsText {

// Told once by brevanor-cli record when such a recording starts.
std::string relativeExplained();
// The status pill's line at the start of such a recording: short.
std::string relativeNotice();
// A recording's fact in the library: what its positions mean on playback.
std::string relativeFact();

}  // namespace PositionsText

}  // namespace brevanor
