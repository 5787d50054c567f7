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

TEST(CommandLineText, FlatArgumentsGiveOneArgumentPerListElementAndPerWordOfAString) {
    Context context;
    const auto set = [&context](const char* name, RilkValuePtr value) {
        context.addAssignment(Assignment(name, value, AssignType::Set, AssignModifier::None), 0);
    };
    set("WORDS", str("-static  --gc-sections"));
    set("PATH", path("/lib dir/lib x.a"));
    set("ELEMENT", list({str("S=\\\"a\\ b\\\"")}));
    set("NESTED", list({str("a b"), list({path("c d"), str("e  f"), list({str("g")})})}));
    context.addAssignment(Assignment("EMPTY", nullptr, AssignType::Declare, AssignModifier::None),
                          0);
    // Variable, prefix, quote, arguments.
    const std::tuple<const char*, const char*, bool, std::string> cases[] = {
        {"WORDS", "", true, R"( "-static" "--gc-sections")"},
        {"WORDS", "-Wl,", false, " -Wl,-static -Wl,--gc-sections"},
        {"PATH", "", true, R"( "/lib dir/lib x.a")"},
        {"ELEMENT", "-D", false, R"( -DS=\"a\ b\")"},
        {"NESTED", "", true, R"( "a b" "c d" "e  f" "g")"},
        {"NESTED", "-z ", false, " -z a b -z c d -z e  f -z g"},
        {"EMPTY", "", true, ""},
        {"ABSENT", "", true, ""},
    };
    for (const auto& [name, prefix, quote, flat] : cases) {
        EXPECT_EQ(flatArguments(context, name, prefix, quote), flat) << name << " " << prefix;
    }
}

}  // namespace
}  // namespace Rilk
