#pragma once

#include <functional>

namespace brevanor {

// A unit of work submitted to a queue.
using Task = std::function<void()>;

}  // namespace brevanor
