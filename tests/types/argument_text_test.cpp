#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

TEST(FormatArg, WritesOneArgumentEscapingWhatItQuotes) {
    const RilkValuePtr none;
    const std::tuple<RilkValuePtr, const char*, bool, const char*> cases[] = {
        {raw("a b"), "p", true, " p\"a b\""},
        {raw("a b"), "p", false, " pa b"},
        {raw(""), "-I", true, ""},
        {none, "p", true, ""},
        {raw("\"q r\""), "", true, " \"q r\""},
        {str("\"-lm\""), "", true, " \"-lm\""},
        {raw("\"$X\""), "", true, " \"$X\""},
        {raw(R"(a\b"c$d`e)"), "-D", true, R"( -D"a\\b\"c\$d\`e")"},
        {raw(R"(a\b"c$d`e)"), "-D", false, R"( -Da\b"c$d`e)"},
        {raw("\"open"), "", true, R"( "\"open")"},
        {raw("\""), "", true, R"( "\"")"},
        {raw("$(rm -rf x)"), "", true, R"x( "\$(rm -rf x)")x"},
        {num(3), "-O", false, " -O3"},
        // A file whose name starts and ends with a quote is still one escaped argument.
        {makePathString("\"a b\"", ""), "", true, R"( "\"a b\"")"},
        {makePathString("\"$HOME\"", ""), "", true, R"( "\"\$HOME\"")"},
        // Only a string the user wrote counts as quoted, not a list whose text looks so.
        {list({raw("\"a"), raw("b\"")}), "", true, R"( "\"a b\"")"}};
    for (const auto& [value, prefix, quote, expected] : cases) {
        EXPECT_EQ(formatArg(value, prefix, quote), expected) << expected;
    }
    EXPECT_EQ(shellQuoted("/x/`id`/$(id)"), "\"/x/\\`id\\`/\\$(id)\"");
}

TEST(VariableArgs, DeepFormTakesStringsWholeFlatFormSplitsWordsAndOpensOneLevel) {
    Context context;
    set(set(context, "flags", raw("-O2 -g")), "dirs", list({raw("a"), raw("b c")}));
    set(context, "deep", list({list({raw("a"), list({raw("b"), raw("c")})})}));
    set(context, "gaps", list({raw(""), raw("x"), nullptr}));
    set(context, "none", nullptr, AssignType::Declare);
    const std::tuple<const char*, const char*, bool, const char*, const char*> cases[] = {
        // variable, prefix, quote, deep form, flat form
        {"flags", "", true, " \"-O2 -g\"", " \"-O2\" \"-g\""},
        {"flags", "", false, " -O2 -g", " -O2 -g"},
        {"dirs", "-I", true, " -I\"a\" -I\"b c\"", " -I\"a\" -I\"b c\""},
        {"deep", "p", false, " pa pb pc", " pa pb c"},
        {"gaps", "p", false, " px", " px"},
        {"none", "p", false, "", ""},
        {"absent", "p", false, "", ""}};
    for (const auto& [name, prefix, quote, deep, flat] : cases) {
        EXPECT_EQ(context.formatVariableArgs(name, prefix, quote), deep) << name;
        EXPECT_EQ(context.formatVariableArgsFlat(name, prefix, quote), flat) << name;
    }
    // The deep form keeps a path with blanks whole, at any depth.
    set(context, "path", makePathString("/lib dir/lib x.a", ""));
    set(context, "mixed", list({raw("a b"), list({makePathString("c d", ""), list({raw("e")})})}));
    EXPECT_EQ(context.formatVariableArgs("path", "", true), " \"/lib dir/lib x.a\"");
    EXPECT_EQ(context.formatVariableArgs("mixed", "", true), " \"a b\" \"c d\" \"e\"");
}
