#include "app/load/unit_file_parser.h"

#include <gtest/gtest.h>

#include "types/rilk_errors.h"

namespace {

// Every fault a file can hold is run end to end; a tree without its unit node cannot come
// from a file.
TEST(UnitFileParser, RefusesATreeWithoutItsUnitNode) {
    try {
        Rilk::visitUnitTree(nullptr, "/base", "x");
        FAIL() << "no error";
    } catch (const Rilk::RilkException& e) {
        EXPECT_EQ(e.message(), "Unable to parse unit file.");
    }
}

}  // namespace
