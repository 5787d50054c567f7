// Reading a unit file in ranges on several threads against reading it on one: the same unit,
// or a decline on both; and where the text is cut.
#include "parser/unit_split.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "../../fuzz/model_text.h"
#include "parser/fast_unit_reader.h"

namespace Rilk {
namespace {

struct CutCase {
    const char* text;
    std::size_t parts;
    std::vector<std::size_t> cuts;
};

class UnitCuts : public testing::TestWithParam<CutCase> {};

TEST_P(UnitCuts, StartLinesThatFollowALoneBrace) {
    EXPECT_EQ(unitCuts(GetParam().text, GetParam().parts), GetParam().cuts) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, UnitCuts,
                         testing::Values(CutCase{"a: {\n}\nb: {\n}\nc: {\n}\n", 4, {7, 14}},
                                         CutCase{"a: {\n}\nb: {\n}\nc: {\n}\n", 2, {14}},
                                         CutCase{"a: {\r\n}\r\nb: { }\r\n", 3, {9}},
                                         CutCase{"}\n_b: { }", 10, {2}},
                                         CutCase{"a: {\n}\nb: { }", 1, {}},
                                         // Not a lone brace, or a next line that starts no name.
                                         CutCase{"a: { }\nb: {\n }\nc: {\n} \nd: { }", 20, {}},
                                         CutCase{"a: {\n}\n b: {\n}\n/* */c: {\n}\n1", 20, {}},
                                         CutCase{"a: {\n}\n", 4, {}}, CutCase{"", 3, {}}));

/// A target's body, `#` standing for the target's number.
const std::vector<std::string> kBodies = {
    "  x = \"a\"\n  ^out = P\"(out/#.txt)\"\n",
    "  s = \"q\n}\nfake#: {\n}\n\"\n",
    "  r = R\"(x\n}\nraw#: { })\" p = R\"(a)b)\"\n",
    "  c = { d = { e = [1, [2, 3], -4] } } l = []\n",
    "  if os = \"linux\" { f += \"-O2\" if a.b[0] { g ?= 1 } }\n  h\n",
    "  // }\n  y = x[1:2][k]\n",
};

/// A unit text of `targets` targets with the bodies above in turn, a block comment that
/// holds a whole fake target after every fifth one, and `last` in place of the last body.
std::string unitText(int targets, const std::string& header, const std::string& last) {
    std::string text = header;
    for (int i = 0; i < targets; ++i) {
        std::string body = i + 1 == targets ? last : kBodies[i % kBodies.size()];
        for (std::size_t at = body.find('#'); at != std::string::npos; at = body.find('#'))
            body.replace(at, 1, std::to_string(i));
        text += "t" + std::to_string(i) + ": t" + std::to_string(i + 1) + " +u::v => w {\n" + body +
                "}\n";
        if (i % 5 == 4) text += "/*\n}\ncomment" + std::to_string(i) + ": {\n}\n*/\n";
    }
    return text;
}

std::string crlf(std::string text) {
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.replace(at, 1, "\r\n");
    return text;
}

std::string rendered(const UnitPtr& unit) { return unit ? RilkFuzz::renderUnit(*unit) : "-"; }

struct SplitCase {
    std::string text;
    bool reads;
};

TEST(UnitSplitRead, GivesTheOneThreadUnitOrDeclinesWithIt) {
    const std::string x = "  x = 1\n";
    const std::vector<SplitCase> cases = {
        {unitText(60, "unit big\n", x), true},
        {unitText(61, "// no name\n", x), true},
        {unitText(40, "unit big\n", x) + "last: { }", true},
        {crlf(unitText(50, "unit big\r\n", x)), true},
        {unitText(45, "", x) + "T3: { }\n", false},                   // a late duplicate
        {unitText(45, "unit big\n", "  !x = 1\n"), false},            // refused at the end
        {unitText(45, "unit big\n", "  x = \"\xc3\xa9\"\n"), true},   // UTF-8 in strings
        {unitText(45, "unit big\n", "  x = \"\xc3\"\n"), false},        // not UTF-8
        {unitText(45, "unit big\n", "  x = \"open\n"), false},
        {unitText(45, "unit big\n", "  x = 1\n") + "/* open", false},
        {unitText(45, "unit big\n", "  x = 1\n") + "if", false},
    };
    const auto whole = std::numeric_limits<std::size_t>::max();
    for (const SplitCase& split : cases) {
        const std::string one = rendered(readUnitFast(split.text, "/base", whole, 1));
        EXPECT_EQ(one != "-", split.reads) << split.text;
        // Each number of threads cuts the text at other places.
        for (unsigned threads = 2; threads <= 9; ++threads) {
            EXPECT_EQ(rendered(readUnitFast(split.text, "/base", 0, threads)), one)
                << threads << " threads:\n"
                << split.text;
        }
    }
}

}  // namespace
}  // namespace Rilk
