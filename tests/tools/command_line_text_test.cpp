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

TEST(CommandLineText, QuotedTextsAreEscapedUnlessTheUserQuotedAString) {
    // Value, prefix, quote, argument text.
    const std::tuple<RilkValuePtr, const char*, bool, std::string> cases[] = {
        {str("a b"), "-I", true, " -I\"a b\""},
        {str("a\"b$c`d\\e"), "", true, " \"a\\\"b\\$c\\`d\\\\e\""},
        {str("\"-lm\""), "", true, " \"-lm\""},
        {std::make_shared<RilkRawString>("\"$X\""), "", true, " \"$X\""},
        {path("\"$HOME\""), "", true, " \"\\\"\\$HOME\\\"\""},
        {str("\""), "", true, " \"\\\"\""},
        {str("$x"), "-D", false, " -D$x"},
        {str(""), "-I", true, ""},
        {nullptr, "-I", true, ""},
        {std::make_shared<RilkInt>(3), "-O", false, " -O3"},
    };
    for (const auto& [value, prefix, quote, text] : cases) {
        EXPECT_EQ(argumentText(value, prefix, quote), text) << text;
    }
    EXPECT_EQ(shellQuoted("/x/`id`/$(id)"), "\"/x/\\`id\\`/\\$(id)\"");
}

TEST(CommandLineText, DeepAndFlatArguments) {
    Context context;
    const auto set = [&context](const char* name, RilkValuePtr value) {
        context.addAssignment(Assignment(name, value, AssignType::Set, AssignModifier::None), 0);
    };
    set("WORDS", str("-static  --gc-sections"));
    set("PATH", path("/lib dir/lib x.a"));
    set("NESTED", list({str("a b"), list({path("c d"), list({str("e")})})}));
    context.addAssignment(Assignment("EMPTY", nullptr, AssignType::Declare, AssignModifier::None),
                          0);
    // Variable, deep text, flat text (both quoted).
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"WORDS", " \"-static  --gc-sections\"", " \"-static\" \"--gc-sections\""},
        {"PATH", " \"/lib dir/lib x.a\"", " \"/lib dir/lib x.a\""},
        {"NESTED", " \"a b\" \"c d\" \"e\"", " \"a\" \"b\" \"c d\" \"e\""},
        {"EMPTY", "", ""},
        {"ABSENT", "", ""},
    };
    for (const auto& [name, deep, flat] : cases) {
        EXPECT_EQ(deepArguments(context, name, "", true), deep) << name;
        EXPECT_EQ(flatArguments(context, name, "", true), flat) << name;
    }
}

}  // namespace
}  // namespace Rilk
