#include "tools/output_name.h"

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

TEST(OutputName, EveryFormOfAMissingNameGivesTheToolsDefault) {
    // OUTPUT_NAME as the target holds it ("-" absent, null declared without value), the
    // tool's default extension, the output name of target "core".
    const std::tuple<const char*, RilkValuePtr, const char*, const char*> cases[] = {
        {"-", nullptr, "", "core"},
        {"null", nullptr, ".a", "core.a"},
        {"empty", makeString(""), ".so", "core.so"},
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
    EXPECT_EQ(outputNameFor(Context(), "x.o", ".a"), "x.a");
}

}  // namespace
}  // namespace Rilk
