// A syntax error or non-ASCII text in a large unit file: the error the grammar gives for the
// whole file, at the right line and column, in memory near what a valid file needs.
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include <fmt/format.h>

#include "e2e/rilk_run.h"
#include "support/watched_run.h"

namespace {

using LargeUnitErrors = RilkRun;

/// The watch's time bound for a run on a large file: a sanitizer build on a busy machine
/// takes a minute and more, and the bound only guards against a hang.
constexpr std::chrono::minutes kLongRun{10};

TEST_F(LargeUnitErrors, TheFirstErrorIsTheWholeFilesAtItsLineAndColumn) {
    struct Case {
        std::string text;
        std::string err;
    };
    const Case cases[] = {
        {"unit u\na: { x = 1 }\nb: { y = }\nc: { }\n",
         "line 3:9 extraneous input '}' expecting {'{', STRING, RAW_STRING, PATH_STRING, NUMBER, "
         "'[', IDENTIFIER}\nline 4:1 extraneous input ':' expecting {LINE_COMMENT, BLOCK_COMMENT, "
         "'}', '^', '!', 'if', IDENTIFIER}\n"},
        // Columns count characters, not bytes; the error shares its line with a good target.
        {"unit u\n// \xc3\xa9\na: { x = \"\xc3\xa9\" } b: { y = 1 ~ }\nc: { }\n",
         "line 3:26 token recognition error at: '~'\n"},
        // The error in a target that a lone '}' line ends: the errors after it are its own.
        {"unit u\r\na: { x = 1 }\r\nb: c d e { y = [1, 2 }\r\n}\r\nc: { }\r\n",
         "line 3:21 extraneous input '}' expecting {']', ','}\n"},
        {"unit u\na: { x = 1 }\nb: { y = \"open }\nc: { }\n",
         "line 3:9 token recognition error at: '\"open }\\nc: { }\\n'\nline 5:0 mismatched input "
         "'<EOF>' expecting {'{', STRING, RAW_STRING, PATH_STRING, NUMBER, '[', IDENTIFIER}\n"},
        {"a: { } b: { /* \xc3\xa9 */ if x { z = 1 }\n",
         "line 2:0 extraneous input '<EOF>' expecting {LINE_COMMENT, BLOCK_COMMENT, '}', '^', "
         "'!', 'if', IDENTIFIER}\n"},
    };
    for (const Case& c : cases) {
        write({{"rilk.txt", c.text}});
        const auto result = rilk({"-l", "1"});
        EXPECT_EQ(result.err, c.err) << c.text;
        EXPECT_EQ(result.out, "Error: " + dir() + "/rilk.txt Parsing failed due to syntax errors.\n")
            << c.text;
        EXPECT_EQ(result.exitCode, 1) << c.text;
    }
}

/// A unit of `targets` targets, each with a comment holding a non-ASCII character.
std::string largeUnit(std::size_t targets) {
    std::string text = "unit big\n";
    for (std::size_t i = 0; i < targets; ++i) {
        text += fmt::format("t{}: t{} {{\n  x = \"value {}\" // \xc3\xa9 comment\n  y = [\"a\", "
                            "\"b\"]\n}}\n",
                            i, i + 1, i);
    }
    return text;
}

TEST_F(LargeUnitErrors, ALargeFileWithUtf8OrASyntaxErrorNeedsAboutTwentyTimesItsSize) {
    // A sanitizer build's memory is several times a release build's, and it keeps freed
    // memory aside for a while: less of it here, so that the bound still means something.
    std::map<std::string, std::string> environment = userEnvironment();
#if defined(__SANITIZE_ADDRESS__)
    constexpr std::uintmax_t kTimesSize = 100;
    environment["ASAN_OPTIONS"] = "detect_leaks=1:abort_on_error=1:quarantine_size_mb=16";
#else
    constexpr std::uintmax_t kTimesSize = 25;
#endif
    const std::string valid = largeUnit(80000);
    const std::string broken = valid + "last: { x = }\n";
    const std::size_t lastLine = 1 + 4 * 80000 + 1;
    struct Case {
        std::string text;
        std::string err;
        int exitCode;
    };
    const Case cases[] = {
        {valid, "", 0},
        {broken,
         fmt::format("line {}:12 mismatched input '}}' expecting {{'{{', STRING, RAW_STRING, "
                     "PATH_STRING, NUMBER, '[', IDENTIFIER}}\n",
                     lastLine),
         1},
    };
    for (const Case& c : cases) {
        write({{"rilk.txt", c.text}});
        const std::uintmax_t limit = kTimesSize * c.text.size();
        const auto result = RilkTest::runRilkWatched(
            {.maxResidentBytes = 2 * limit, .maxTime = kLongRun}, {"-l", "1"},
            {.workingDirectory = work.path(), .environment = environment});
        EXPECT_EQ(result.killedFor, "") << c.exitCode;
        EXPECT_EQ(result.err, c.err);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_LE(result.peakResidentBytes, limit) << c.exitCode;
    }
}

// A file of stray bytes or an unclosed string: a few lines on standard error, however large.
TEST_F(LargeUnitErrors, ErrorReportsStayShortWhateverTheFileHolds) {
    std::string strays;
    for (int i = 0; i < 200000; ++i) strays += static_cast<char>(1 + i % 8);
    const std::string unclosed = "unit u\na: { x = \"" + std::string(300000, 'y') + "\n";
    for (const std::string& text : {strays, "a: { }\n" + strays + "\nb: { }\n", unclosed}) {
        write({{"rilk.txt", text}});
        const auto result = rilk({"-l", "1"});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.out, "Error: " + dir() + "/rilk.txt Parsing failed due to syntax errors.\n");
        EXPECT_LT(result.err.size(), 4000u) << result.err.substr(0, 4000);
    }
    write({{"rilk.txt", strays}});
    const std::string err = rilk({"-l", "1"}).err;
    EXPECT_EQ(err.substr(0, 41), "line 1:0 token recognition error at: '\x01'\n");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 21) << err;
    EXPECT_NE(err.find("\n... and 199980 more token recognition errors\n"), std::string::npos)
        << err;
}

// Many syntax errors: the first twenty, then one line with how many more there are, as for
// characters that start no token; whether the fast reader's target or the whole file shows them.
TEST_F(LargeUnitErrors, SyntaxErrorsPastTwentyAreCounted) {
    std::string lines = "unit u\n";
    for (int i = 0; i < 3000; ++i) lines += "x: = = {\n";
    std::string oneTarget = "unit u\nt: {\n";
    for (int i = 0; i < 3000; ++i) oneTarget += "  = x\n";
    oneTarget += "}\n";
    // In the one target, every other line is an error: "x" is an assignment of its own.
    const std::pair<std::string, const char*> cases[] = {
        {lines, "\n... and 2980 more syntax errors\n"},
        {oneTarget, "\n... and 1480 more syntax errors\n"}};
    for (const auto& [text, more] : cases) {
        write({{"rilk.txt", text}});
        const auto result = rilk({"-l", "1"});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 21) << result.err;
        EXPECT_EQ(result.err.substr(0, 5), "line ") << result.err;
        EXPECT_NE(result.err.find(more), std::string::npos) << result.err;
    }
}

enum class Layout { LineEach, OneLine, NoTargets, OneTarget };

/// `targets` one-line targets, or all on one line, the first one broken; or as many tokens
/// that fit nowhere after a good target.
std::string brokenUnit(std::size_t targets, Layout layout) {
    std::string text = "unit big\nt0: { x = }\n";
    if (layout == Layout::NoTargets) text = "unit big\nt0: { x = 1 }\n";
    if (layout == Layout::OneTarget) {
        // One target of twice as many assignments as the others have targets, so that its
        // file is a little larger than theirs and a sanitizer build's start-up (over two
        // hundred megabytes) leaves its bound meaningful.
        text = "unit big\nt0: {\n  x = }\n";
        for (std::size_t i = 1; i < targets * 2; ++i) {
            text += fmt::format("  v{} = \"value {}\"\n", i, i);
        }
        return text + "}\n";
    }
    for (std::size_t i = 1; i < targets; ++i) {
        if (layout == Layout::NoTargets) {
            text += ": } ] = : } ] = : } ] = : } ] = : } ] = : } ] = ";
            continue;
        }
        text += fmt::format("t{}: t{} {{ x = \"value {}\" y = [\"a\", \"b\"] }}{}", i, i + 1, i,
                            layout == Layout::OneLine ? " " : "\n");
    }
    return text;
}

TEST_F(LargeUnitErrors, AnEarlySyntaxErrorNeedsAtMostTwentyTimesTheFileInAnyLayout) {
    std::map<std::string, std::string> environment = userEnvironment();
#if defined(__SANITIZE_ADDRESS__)
    constexpr std::uintmax_t kTimesSize = 100;
    environment["ASAN_OPTIONS"] = "detect_leaks=1:abort_on_error=1:quarantine_size_mb=16";
#else
    constexpr std::uintmax_t kTimesSize = 20;
#endif
    const std::string unexpected =
        "line 2:10 extraneous input '}' expecting {'{', STRING, RAW_STRING, PATH_STRING, NUMBER, "
        "'[', IDENTIFIER}\nline 3:2 extraneous input ':' expecting {LINE_COMMENT, BLOCK_COMMENT, "
        "'}', '^', '!', 'if', IDENTIFIER}\nline 3:7 extraneous input '{' expecting "
        "{LINE_COMMENT, BLOCK_COMMENT, '}', '^', '!', 'if', IDENTIFIER}\n";
    // One-line targets: the errors the whole file gives, as the '}' is taken for a value.
    const std::pair<Layout, std::string> cases[] = {
        {Layout::LineEach, unexpected},
        {Layout::OneLine, unexpected},
        {Layout::NoTargets, "line 3:0 mismatched input ':' expecting <EOF>\n"},
        {Layout::OneTarget,
         "line 3:6 extraneous input '}' expecting {'{', STRING, RAW_STRING, PATH_STRING, NUMBER, "
         "'[', IDENTIFIER}\nline 4:5 extraneous input '=' expecting {LINE_COMMENT, "
         "BLOCK_COMMENT, '}', '^', '!', 'if', IDENTIFIER}\n"}};
    for (const auto& [layout, err] : cases) {
        const int which = static_cast<int>(layout);
        const std::string text = brokenUnit(100000, layout);
        write({{"rilk.txt", text}});
        const std::uintmax_t limit = kTimesSize * text.size();
        const auto result = RilkTest::runRilkWatched(
            {.maxResidentBytes = 2 * limit, .maxTime = kLongRun}, {"-l", "1"},
            {.workingDirectory = work.path(), .environment = environment});
        EXPECT_EQ(result.killedFor, "") << which;
        EXPECT_EQ(result.err, err) << which;
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_LE(result.peakResidentBytes, limit) << which;
    }
}

}  // namespace
