#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

TEST(FormatArg, WritesOneArgumentEscapingWhatItQuotes) {
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {"a b", "p", true, " p\"a b\""},
        {"a b", "p", false, " pa b"},
        {"", "-I", true, ""},
        {"\"q r\"", "", true, " \"q r\""},
        {R"(a\b"c$d`e)", "-D", true, R"( -D"a\\b\"c\$d\`e")"},
        {R"(a\b"c$d`e)", "-D", false, R"( -Da\b"c$d`e)"},
        {"\"open", "", true, R"( "\"open")"},
        {"$(rm -rf x)", "", true, R"x( "\$(rm -rf x)")x"}};
    for (const auto& [text, prefix, quote, expected] : cases) {
        EXPECT_EQ(formatArg(raw(text), prefix, quote), expected) << text;
    }
    EXPECT_EQ(formatArg(nullptr, "p", true), "");
    // A file whose name starts and ends with a quote is still one escaped argument.
    EXPECT_EQ(formatArg(makePathString("\"a b\"", ""), "", true), R"( "\"a b\"")");
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
}
