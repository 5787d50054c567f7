#include "types/resolution_guard.h"

#include <gtest/gtest.h>

#include <string>

#include "types/rilk_errors.h"

using namespace Rilk;

// The guards keep the names they are given by reference: the subject and the loop chain
// must name what is being resolved, innermost first, and nothing once the guards end.
TEST(ResolutionGuard, NamesTheSubjectsInProgress) {
    const int outer = 0;
    const int inner = 0;
    const std::string outerName = "a_name_long_enough_to_live_on_the_heap";
    const std::string innerName = "b";
    {
        const ResolutionGuard first(&outer, outerName);
        EXPECT_EQ(resolutionSubject(), "Variable '" + outerName + "'");
        const ResolutionGuard second(&inner, innerName);
        EXPECT_EQ(resolutionSubject(), "Variable 'b'");
        for (const auto& [subject, name] : {std::pair{&outer, std::string("again")},
                                            std::pair{&inner, std::string("b")}}) {
            try {
                const ResolutionGuard loop(subject, name);
                ADD_FAILURE() << "no loop found for " << name;
            } catch (const LoopFoundException& error) {
                EXPECT_EQ(error.message(), "Loop detected! Causing term: '" + name +
                                               "'\n  loop goes as follows: b <- " + outerName +
                                               " <- ");
            }
        }
        EXPECT_EQ(resolutionSubject(), "Variable 'b'");
    }
    EXPECT_EQ(resolutionSubject(), "Value");
}
