#include "parser/failed_target_piece.h"

#include <string>

#include <gtest/gtest.h>

#include "parser/fast_unit_reader.h"

namespace Rilk {
namespace {

TEST(FailedTargetPiece, BlanksTheGoodTargetsAndEndsAfterTheFailedOne) {
    struct Case {
        std::string text;
        std::string piece;
        bool cut;
        std::size_t line;
        std::size_t column;
    };
    const Case cases[] = {
        // The unit line kept, the good target blanked, the failed one to the next target.
        {"unit u\na: { x = \"\xc3\xa9\" }\nb: { y = }\n}\nc: { }\n",
         "unit u\n" + std::string(14, ' ') + "\nb: { y = }\n}\n", true, 3, 9},
        // A failed target on the line of a good one keeps its column.
        {"a: { } b: { ~ }\n", "       b: { ~ }\n", false, 1, 12},
        // A string that never closes takes the rest of the text.
        {"unit u\na: { }\nb: { y = \"open }\n}\nc: { }\n",
         "unit u\n      \nb: { y = \"open }\n}\nc: { }\n", false, 3, 9},
        // Within the unit line: the text from its start.
        {"unit { }\n}\nc: { }\n", "unit { }\n}\n", true, 1, 5},
        // Targets of one line each, or all on one line: up to the target after the next one.
        {"a: { x = }\nb: { y = 1 }\nc: { }\n", "a: { x = }\nb: { y = 1 }\n", true, 1, 9},
        {"a: { } b: { x = } c[p]: { y = 1 } d : { }", "       b: { x = } c[p]: { y = 1 } ", true,
         1, 16},
    };
    for (const Case& c : cases) {
        FastDecline decline;
        ASSERT_EQ(readWholeUnitFast(c.text, "/base", decline), nullptr) << c.text;
        const FailedTargetPiece piece = failedTargetPiece(c.text, decline);
        EXPECT_EQ(piece.text, c.piece) << c.text;
        EXPECT_EQ(piece.cut, c.cut) << c.text;
        EXPECT_EQ(piece.line, c.line) << c.text;
        EXPECT_EQ(piece.column, c.column) << c.text;
    }
}

}  // namespace
}  // namespace Rilk
