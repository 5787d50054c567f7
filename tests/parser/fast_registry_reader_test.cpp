// The fast registry reader against the generated parser and the visitor: on every text both
// give the same registry, or the fast reader declines.
#include "parser/fast_registry_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "../../fuzz/registry_reader_differential.h"
#include "support/cpp_string_literals.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = RILK_SOURCE_DIR;

using RilkTest::readFile;

/// Checks one text; returns whether the fast reader built a registry.
bool agrees(const std::string& text) {
    testing::internal::CaptureStderr();
    const RilkFuzz::RegistryReadings readings = RilkFuzz::readRegistryBothWays(text);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(readings.agree()) << "text: " << text
                                  << "\ngrammar: " << readings.grammar.value_or("(no registry)")
                                  << "\nfast: " << readings.fast.value_or("(declined)");
    return readings.fast.has_value();
}

/// Every cut of `text` and every text with one byte left out or one stray byte put in: the
/// errors at every position, which the fast reader has to decline.
void checkDamagedForms(const std::string& text) {
    for (std::size_t at = 0; at < text.size(); ++at) {
        agrees(text.substr(0, at));
        agrees(text.substr(0, at) + text.substr(at + 1));
        for (const char stray : {'{', '}', '"', '=', '!', '\xff'}) {
            agrees(text.substr(0, at) + stray + text.substr(at));
        }
    }
}

struct Case {
    const char* text;
    bool fastReads;
};

class FastRegistryReader : public testing::TestWithParam<Case> {};

TEST_P(FastRegistryReader, AgreesWithTheGrammar) {
    EXPECT_EQ(agrees(GetParam().text), GetParam().fastReads) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FastRegistryReader,
    testing::Values(
        // Read: every construct of a valid registry file.
        Case{"", true}, Case{" \r\n// c\n/* c */", true}, Case{"projects { }", true},
        Case{"tools { }", true}, Case{"projects {} tools {}", true},
        Case{"projects { app \"/p/a\" rel \"sub/x\" e \"\" App \"/q\" app \"./t\" }", true},
        Case{"tools { cc { } cc { x = 1 } T_1-a { ^y += \"s\" !z ?= [] w } }", true},
        Case{"tools { cc { !cmdline = [\"a\", R\"(r \"q\")\", P\"(x/*.c)\", 3, -4, d.f[1][2:5][k]] "
             "} }",
             true},
        // A block as a value has no value in a registry; a list leaves it out.
        Case{"tools { cc { b = {} c = { a = 1 !m } l = [{ a = 1 }, 2, {}] } }", true},
        Case{"tools { cc { if m = \"d\" { !f += \"-g\" if x { } } if l > 2 { } if a < { } { } "
             "y = 1 } }",
             true},
        Case{"projects {\r\n  a \"/\xc3\xa9\"\r\n}\r\ntools { /* \xe2\x82\xac */ cc { x = "
             "\"\xc3\xbc\" "
             "} }// \xc3\xa9",
             true},
        Case{"tools { iff { if_ = units_x tools2 = projects_ } }", true},
        // Refused by the grammar: the fast reader declines.
        Case{"tools { } projects { }", false}, Case{"projects { app }", false},
        Case{"projects { app x }", false}, Case{"projects { \"a\" \"b\" }", false},
        Case{"projects { app R\"(x)\" }", false}, Case{"projects { app P\"(x)\" }", false},
        Case{"tools { cc }", false}, Case{"tools { unit { } }", false},
        Case{"tools { cc { x = } }", false}, Case{"projects {", false},
        Case{"tools { cc { } } }", false}, Case{"projects { } projects { }", false},
        Case{"tools { cc { } } /* open", false}, Case{"tools { cc { x = \"a } }", false},
        Case{"tools { cc { x = \"\xff\" } }", false}, Case{"tools { \xc3\xa9 { } }", false},
        Case{"tools { cc { x = a[R\"(.*)\"] } }", false},
        Case{"tools { cc { x = 2147483648 } }", false}, Case{"tools { cc { ! } }", false},
        Case{"tools { cc { x = [1,] } }", false}, Case{"unit u", false},
        // Accepted by the grammar, left to it all the same.
        Case{"tools { cc { x = { n = 99999999999 } } }", false},
        Case{"\xef\xbb\xbftools { }", false}));

TEST(FastRegistryReaderDepth, DeepNestingIsLeftToTheGrammar) {
    const auto nested = [](std::size_t depth) {
        return "tools { cc { x = " + std::string(depth, '[') + std::string(depth, ']') + " } }";
    };
    EXPECT_FALSE(agrees(nested(300)));
    EXPECT_TRUE(agrees(nested(40)));
}

/// Registries put together at random from every piece the language allows.
class RegistryGenerator {
public:
    explicit RegistryGenerator(unsigned seed) : random_(seed) {}

    std::string registry() {
        std::string text = blank();
        if (chance(3)) {
            text += "projects" + blank() + "{";
            for (int i = pick(4); i > 0; --i) {
                text += blank() + name() + blank() + from(kPaths) + blank();
            }
            text += "}" + blank();
        }
        if (chance(4)) {
            text += "tools" + blank() + "{";
            for (int i = pick(4); i > 0; --i) text += blank() + name() + blank() + block(0);
            text += "}" + blank();
        }
        return text;
    }

private:
    static constexpr const char* kNames[] = {
        "gcc", "T_1-a", "x86_64-linux-gnu-gcc-12", "_", "iff", "units_x", "tools2", "Projects"};
    static constexpr const char* kPaths[] = {"\"/p/a/.rilk_project.txt\"", "\"sub/p\"", "\"\"",
                                             "\"/\xc3\xa9 space\"", "\"./x\""};
    static constexpr const char* kValues[] = {"\"str\"",
                                              "\"\"",
                                              "\"a\r\nb\"",
                                              "\"\xc3\xa9\xe2\x82\xac\"",
                                              "R\"(a \"q\" (b) )\"",
                                              "R\"()\"",
                                              "P\"(src/*.c)\"",
                                              "P\"(/abs)\"",
                                              "42",
                                              "-7",
                                              "2147483647",
                                              "-2147483648",
                                              "ident",
                                              "a.b[0][1:2][k][-1]",
                                              "[]",
                                              "[1, \"x\", [y]]",
                                              "{ a = 1 }",
                                              "[{ a = 1 }, 2]",
                                              "{}"};
    static constexpr const char* kBlanks[] = {
        " ", "\n", "\r\n", " /* c \xc3\xa9 */ ", " // line \xe2\x82\xac\n", "\n\n", "\t"};
    static constexpr const char* kOperators[] = {" = ", " += ", " ?= ", "="};
    static constexpr const char* kModifiers[] = {"", "", "^", "!"};
    static constexpr const char* kComparisons[] = {" = ", " != ", " < ", " > "};

    int pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random_); }
    bool chance(int outOf) { return pick(outOf) != 0; }
    template <std::size_t N>
    std::string from(const char* const (&items)[N]) {
        return items[pick(static_cast<int>(N))];
    }
    std::string blank() { return chance(3) ? " " : from(kBlanks); }
    std::string name() { return from(kNames); }

    std::string value(int depth) {
        if (depth < 3 && pick(5) == 0) {
            return "[" + value(depth + 1) + "," + blank() + value(depth + 1) + "]";
        }
        return from(kValues);
    }

    std::string block(int depth) {
        std::string text = "{" + blank();
        for (int i = pick(5); i > 0; --i) {
            if (depth < 4 && pick(4) == 0) {
                text += "if " + name();
                if (chance(2)) text += from(kComparisons) + value(depth);
                text += blank() + block(depth + 1) + blank();
                continue;
            }
            text += from(kModifiers) + name();
            if (chance(4)) text += from(kOperators) + value(depth);
            text += blank();
        }
        return text + "}";
    }

    std::mt19937 random_;
};

TEST(FastRegistryReaderGenerated, ReadsEveryGeneratedRegistryAsTheGrammarDoes) {
    RegistryGenerator generator(20261208);
    for (int i = 0; i < 300; ++i) {
        const std::string text = generator.registry();
        EXPECT_TRUE(agrees(text)) << text;
    }
}

TEST(FastRegistryReaderGenerated, DeclinesEveryErrorOfAGeneratedRegistry) {
    RegistryGenerator generator(7);
    for (int i = 0; i < 6; ++i) checkDamagedForms(generator.registry());
    checkDamagedForms(readFile(kSource / "fuzz/registry_corpus/hand_written_tool.txt"));
}

TEST(FastRegistryReaderFiles, FuzzInputsAndTheirCutsAgree) {
    std::vector<fs::path> files;
    for (const char* folder :
         {"fuzz/registry_corpus", "fuzz/registry_regressions", "fuzz/corpus", "fuzz/regressions"}) {
        if (!fs::is_directory(kSource / folder)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(kSource / folder)) {
            if (entry.is_regular_file()) files.push_back(entry.path());
        }
    }
    ASSERT_FALSE(files.empty());
    int read = 0;
    for (const fs::path& file : files) {
        const std::string text = readFile(file);
        read += agrees(text) ? 1 : 0;
        const std::size_t step = std::max<std::size_t>(1, text.size() / 64);
        for (std::size_t length = 0; length < text.size(); length += step) {
            agrees(text.substr(0, length));
        }
    }
    EXPECT_GT(read, 5);
}

TEST(FastRegistryReaderFiles, EveryTextInTheTestsAgrees) {
    int texts = 0;
    int read = 0;
    for (const std::string& text : RilkTest::suiteStringLiterals(kSource)) {
        read += agrees(text) ? 1 : 0;
        ++texts;
    }
    // Most literals are no registry (an empty one is); enough are for the check to count.
    EXPECT_GT(texts, 1000);
    EXPECT_GT(read, 50);
}

}  // namespace
