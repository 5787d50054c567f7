#include "tools/command_line_text.h"

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

RilkValuePtr str(const char* text) { return makeString(text); }
RilkValuePtr path(const char* text) { return makePathString(text, {}); }
RilkValuePtr list(std::vector<RilkValuePtr> elements) {
    return std::make_shared<RilkList>(std::move(elements));
}

TEST(CommandLineText, FlatArgumentsSplitStringsIntoWordsAndKeepPathsWhole) {
    Context context;
    const auto set = [&context](const char* name, RilkValuePtr value) {
        context.addAssignment(Assignment(name, value, AssignType::Set, AssignModifier::None), 0);
    };
    set("WORDS", str("-static  --gc-sections"));
    set("PATH", path("/lib dir/lib x.a"));
    set("NESTED", list({str("a b"), list({path("c d"), list({str("e")})})}));
    context.addAssignment(Assignment("EMPTY", nullptr, AssignType::Declare, AssignModifier::None),
                          0);
    // Variable, flat text (quoted).
    const std::tuple<const char*, std::string> cases[] = {
        {"WORDS", " \"-static\" \"--gc-sections\""},
        {"PATH", " \"/lib dir/lib x.a\""},
        {"NESTED", " \"a\" \"b\" \"c d\" \"e\""},
        {"EMPTY", ""},
        {"ABSENT", ""},
    };
    for (const auto& [name, flat] : cases) {
        EXPECT_EQ(flatArguments(context, name, "", true), flat) << name;
    }
}

}  // namespace
}  // namespace Rilk
