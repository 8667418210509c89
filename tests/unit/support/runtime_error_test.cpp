#include "support/runtime_error.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "platform/system.h"

namespace zv {
namespace {

RuntimeError FailureOf(const std::function<void()>& thrower) {
    try {
        thrower();
    } catch (...) {
        return CurrentFailure();
    }
    ADD_FAILURE() << "nothing was thrown";
    return RuntimeError(0, "");
}

TEST(CurrentFailureTest, GivesEachRunTimeFailureItsNumberAndDescription) {
    struct Case {
        const char* what;
        std::function<void()> thrower;
        Long number;
        std::string description;
    };
    const std::vector<Case> cases = {
        {"a raised error keeps its own", [] { throw RuntimeError(-2147024891, "Access is denied."); },
         -2147024891, "Access is denied."},
        {"Raise", [] { Raise(kErrPathNotFound); }, 76, "Path not found"},
        {"a subscript past the end", [] { (void)std::string("ab").substr(3); }, 9, "Subscript out of range"},
        {"vector::at", [] { (void)std::vector<int>{}.at(0); }, 9, "Subscript out of range"},
        {"no memory", [] { throw std::bad_alloc(); }, 7, "Out of memory"},
        {"an array length no allocation can give", [] { throw std::bad_array_new_length(); }, 7,
         "Out of memory"},
        {"a text past its largest size",
         [] {
             std::string s;
             s.reserve(s.max_size() + 1);
         },
         7, "Out of memory"},
        {"an invalid argument", [] { throw std::invalid_argument("x"); }, 5,
         "Invalid procedure call or argument"},
        {"a system error", [] { throw std::system_error(std::make_error_code(std::errc::io_error)); }, 5,
         "Invalid procedure call or argument"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RuntimeError e = FailureOf(c.thrower);
        EXPECT_EQ(e.number(), c.number);
        EXPECT_EQ(e.description(), c.description);
    }
}

TEST(CurrentFailureTest, RethrowsWhatIsNoRunTimeFailure) {
    // The end of the program must reach the message loop, whatever failure path it crosses.
    try {
        (void)FailureOf([] { throw ProgramExit{3}; });
        ADD_FAILURE() << "ProgramExit was swallowed";
    } catch (const ProgramExit& e) {
        EXPECT_EQ(e.code, 3u);
    }
    EXPECT_THROW((void)FailureOf([] { throw 42; }), int);
}

}  // namespace
}  // namespace zv
