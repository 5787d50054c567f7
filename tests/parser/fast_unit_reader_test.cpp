// The fast unit reader against the generated parser and the visitor: on every text both
// give the same model, or the fast reader declines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../fuzz/unit_reader_differential.h"
#include "support/cpp_string_literals.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = RILK_SOURCE_DIR;

using RilkTest::readFile;

/// Checks one text; returns whether the fast reader built a unit.
bool agrees(const std::string& text) {
    testing::internal::CaptureStderr();
    const RilkFuzz::UnitReadings readings = RilkFuzz::readBothWays(text);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(readings.agree()) << "text: " << text
                                  << "\ngrammar: " << readings.grammar.value_or("(no unit)")
                                  << "\nfast: " << readings.fast.value_or("(declined)")
                                  << "\nsplit: " << readings.split.value_or("(declined)");
    return readings.fast.has_value();
}

struct Case {
    const char* text;
    bool fastReads;
};

class FastUnitReader : public testing::TestWithParam<Case> {};

TEST_P(FastUnitReader, AgreesWithTheGrammar) {
    EXPECT_EQ(agrees(GetParam().text), GetParam().fastReads) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FastUnitReader,
    testing::Values(
        // Read: every construct of a valid unit file.
        Case{"", true}, Case{"unit core", true}, Case{"/* c */ // l\n t: { }", true},
        Case{"unit core b: { } A: { } c: { }", true},
        Case{"t(kind, arch): +a u::b +> m ns/u::c(x, y.z[1][2:3][k.l]) => n @d(., q) { }", true},
        Case{"t: @a.b[0] (x) { }", true},
        Case{"t: { ^x += 1 y ?= -3 z w = \"a\nb\" r = R\"(a)b\"\"c)\" }", true},
        Case{"t: { p = P\"(src/*.c)\" l = [a, \"b\", [c, d], [], { e = 1 }] q = [[]] }", true},
        Case{"t: { if a.b[0] { y = 1 } z = 2 if n < 3 { if m != \"x\" { } } }", true},
        Case{"t: { c = { d = { e = R\"()\" } } if a > { } { } if a = b [0] { } }", true},
        Case{"t: { x-=1 n = 2147483647 m = -2147483648 i = a[-1][18446744073709551615] }", true},
        Case{"t: { x = R\"(a))\"  )\" }", true}, Case{"T_1-a: ns/unit2::t { }", true},
        // UTF-8 (and any other character) inside strings and comments.
        Case{"t: { x = \"\xc3\xa9\" }", true}, Case{"t: { x = \"a\fb\" }", true},
        Case{"// \xe2\x82\xac\nt: { /* \xf0\x9f\x98\x80 */ x = P\"(\xc3\xa9)\" }", true},
        // Declined: lexical, syntax and model errors, and text it leaves to the grammar.
        Case{"t: { !x = 1 }", false}, Case{"t: { n = 2147483648 }", false},
        Case{"t: { i = a[18446744073709551616] }", false}, Case{"t: { i = a[R\"(r)\"] }", false},
        Case{"a: { } A: { }", false}, Case{"t: a(.) { }", false}, Case{"t: @a(x, .) { }", false},
        Case{"t: { x\xc3\xa9 = 1 }", false}, Case{"t: { x = \"\xc3\" }", false},
        Case{"t: { x = \"\xed\xa0\x80\" }", false}, Case{"// \xc0\xaf\nt: { }", false},
        Case{"t: { x = R\"(a))\" }", false}, Case{"t: { /* open }", false},
        Case{"t: { x = \"open }", false}, Case{"t(): { }", false}, Case{"t: ns/t { }", false},
        Case{"t: { name = 1 }", false}, Case{"t: { a = [1, 2,] }", false},
        Case{"t: { if a >= 2 { } }", false}, Case{"t:: { }", false}, Case{"t: { a - b }", false},
        Case{"t: { a ? }", false}, Case{"t: { x = { a = 1 a += \"s\" } }", false},
        Case{"t: { } }", false}, Case{"unit", false}, Case{"t { }", false}));

TEST(FastUnitReaderDepth, DeepNestingIsLeftToTheGrammar) {
    const std::string deep = "t: { x = " + std::string(300, '[') + std::string(300, ']') + " }";
    EXPECT_FALSE(agrees(deep));
    const std::string fine = "t: { x = " + std::string(20, '[') + std::string(20, ']') + " }";
    EXPECT_TRUE(agrees(fine));
}

TEST(FastUnitReaderFiles, ExamplesAndFuzzInputsAgreeAsWholeAndCut) {
    std::vector<fs::path> files;
    for (const char* folder : {"fuzz/corpus", "fuzz/regressions", "fuzz/resolve_corpus",
                               "fuzz/resolve_regressions", "examples"}) {
        if (!fs::is_directory(kSource / folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(kSource / folder)) {
            if (entry.is_regular_file()) files.push_back(entry.path());
        }
    }
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files) {
        const std::string text = readFile(file);
        agrees(text);
        // Cuts of a file are mostly invalid text, which the two must agree on too: every cut
        // of a small file, 64 spread over a large one.
        const std::size_t step = std::max<std::size_t>(1, text.size() / 64);
        for (std::size_t length = 0; length < text.size(); length += step) {
            agrees(text.substr(0, length));
        }
    }
}

TEST(FastUnitReaderFiles, EveryTextInTheTestsAgrees) {
    int texts = 0;
    int read = 0;
    for (const std::string& text : RilkTest::suiteStringLiterals(kSource)) {
        read += agrees(text) ? 1 : 0;
        ++texts;
    }
    // Most literals are no unit file (an empty one is); enough are for the check to count.
    EXPECT_GT(texts, 1000);
    EXPECT_GT(read, 100);
}

}  // namespace
