#pragma once
// The check every test of a failure path needs: the exception class and its message.
#include <gtest/gtest.h>

#include <string>

namespace imvexa::test {

// Runs action and checks that it raises Error with exactly this message.
template <class Error, class Action>
void ExpectError(Action&& action, const std::string& message) {
    try {
        action();
        ADD_FAILURE() << "no exception; expected \"" << message << "\"";
    } catch (const Error& error) {
        EXPECT_EQ(error.what(), message);
    }
}

}  // namespace imvexa::test
