#pragma once

#include <optional>
#include <utility>

namespace brevanor::testing {

// The error of type E that `operation` throws, to compare with the one
// expected; nothing when it returns. An error of another type goes on up and
// fails the test.
template <class E, class Operation>
std::optional<E> thrown(Operation&& operation) {
    try {
        std::forward<Operation>(operation)();
    } catch (const E& error) {
        return error;
    }
    return std::nullopt;
}

}  // namespace brevanor::testing
