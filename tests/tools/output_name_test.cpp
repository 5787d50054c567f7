#include "tools/output_name.h"

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

TEST(OutputName, OnlyAnEmptyNameTakesTheToolsExtension) {
    // OUTPUT_NAME as the target holds it ("-" absent, null declared without value), the
    // tool's extension for an empty name, the output name of target "core".
    const std::tuple<const char*, RilkValuePtr, const char*, const char*> cases[] = {
        {"-", nullptr, ".a", "core"},
        {"null", nullptr, ".a", "core"},
        {"empty", makeString(""), ".so", "core.so"},
        {"empty, no extension", makeString(""), "", "core"},
        {"empty list", std::make_shared<RilkList>(), "", "core"},
        {"set", makeString("out/libx.a"), ".a", "out/libx.a"},
        {"list", std::make_shared<RilkList>(std::vector<RilkValuePtr>{makeString("app")}), ".elf",
         "app"},
    };
    for (const auto& [label, value, extension, expected] : cases) {
        Context target;
        if (std::string(label) != "-") {
            target.addAssignment(
                Assignment("OUTPUT_NAME", value, value ? AssignType::Set : AssignType::Declare,
                           AssignModifier::None),
                0);
        }
        EXPECT_EQ(outputNameFor(target, "core", extension), expected) << label;
    }
    Context empty;
    empty.addAssignment(Assignment("OUTPUT_NAME", makeString(""), AssignType::Set,
                                   AssignModifier::None),
                        0);
    EXPECT_EQ(outputNameFor(empty, "x.o", ".a"), "x.a");
    EXPECT_EQ(outputNameFor(Context(), "x.o", ".a"), "x.o");
}

}  // namespace
}  // namespace Rilk
