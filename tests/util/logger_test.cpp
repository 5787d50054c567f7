#include "util/logger.h"

#include <algorithm>
#include <csignal>
#include <exception>
#include <functional>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

#include <gtest/gtest.h>

#include "support/run_process.h"

/// An argument whose formatting fails, as an out-of-memory error would.
struct Explosive {};

template <>
struct fmt::formatter<Explosive> : fmt::formatter<std::string_view> {
    auto format(const Explosive&, fmt::format_context&) const -> fmt::format_context::iterator {
        throw std::runtime_error("formatting failed");
    }
};

namespace Rilk {
namespace {

using RilkTest::Console;
using RilkTest::runInChild;

TEST(Logger, PrintsLevelsFromTheThresholdUp) {
    struct Case {
        int verbosity, level;
        bool printed;
    };
    const Case cases[] = {{5, 4, false}, {5, 5, true}, {5, 9, true}, {7, 6, false},
                          {7, 7, true},  {8, 7, false}, {0, 0, true}};
    for (const Case& c : cases) {
        const auto result = runInChild([&] {
            verbosity = c.verbosity;
            log(c.level, "x\n");
            log(c.level, "{}\n", "y");
        });
        EXPECT_EQ(result.out, c.printed ? "x\ny\n" : "") << c.verbosity << "/" << c.level;
    }
}

TEST(Logger, ColoursEachLevelOnATerminal) {
    const std::pair<int, const char*> colours[] = {
        {1, "35"}, {2, "33"}, {3, "36"}, {4, "38;5;208"}, {5, "37"},
        {6, "33"}, {7, "31"}, {0, "37"}, {9, "37"},       {-1, "37"},
    };
    std::string expected;
    for (const auto& [level, colour] : colours) {
        expected += fmt::format("\033[{}mlevel {}\n\033[0m", colour, level);
    }
    const auto result = runInChild(
        [&] {
            verbosity = -5;
            for (const auto& c : colours) log(c.first, "{} {}\n", "level", c.first);
        },
        Console::Terminal);
    EXPECT_EQ(result.out, expected);
}

TEST(Logger, PrefixesEveryLineAndColoursExplicitlyOnATerminal) {
    const auto result = runInChild(
        [] {
            verbosity = 99;
            printColored(208, "plain\n");
            verbosity = 5;
            LogIndentGuard guard("[app::main] ");
            log(5, "a\n\nb\n");
            log(5, "");
            printColored(32, "{}", "c");
        },
        Console::Terminal);
    EXPECT_EQ(result.out,
              "\033[38;5;208mplain\n\033[0m"
              "\033[37m[app::main] a\n[app::main] \n[app::main] b\n\033[0m\033[37m\033[0m"
              "\033[32m[app::main] c\033[0m");
}

TEST(Logger, WritesPlainTextToAPipe) {
    const auto result = runInChild([] {
        log(4, "hidden\n");
        log(7, "{}: {}\n", "Error", "bad");
        printColored(208, "orange\n");
        log(5, "{{\n");
        printColored(32, "}}\n");
    });
    EXPECT_EQ(result.out, "Error: bad\norange\n{\n}\n");
    EXPECT_EQ(result.err, "");
}

TEST(Logger, IndentGuardsRestoreTheCallersPrefix) {
    {
        LogIndentGuard outer("[a::x] ");
        try {
            LogIndentGuard inner("[b::y] ");
            EXPECT_EQ(indentText("m"), "[b::y] m");
            throw std::runtime_error("build failed");
        } catch (const std::runtime_error&) {
        }
        EXPECT_EQ(logIndent, "[a::x] ");
    }
    EXPECT_EQ(logIndent, "");
    EXPECT_EQ(consoleLock.load(), 0);
}

TEST(Logger, AFailedFormatLeavesTheLockFree) {
    EXPECT_THROW(log(7, "{"), fmt::format_error);
    ASSERT_EQ(consoleLock.load(), 0);
    EXPECT_THROW(log(7, "{}\n", Explosive{}), std::runtime_error);
    ASSERT_EQ(consoleLock.load(), 0);
    EXPECT_THROW(printColored(31, "{}\n", Explosive{}), std::runtime_error);
    EXPECT_EQ(consoleLock.load(), 0);
}

TEST(Logger, ThreadsWriteWholeMessages) {
    const int perThread = 300;
    const auto result = runInChild(
        [] {
            LogIndentGuard guard("[u::t] ");
            auto print = [](char letter) {
                for (int i = 0; i < perThread; ++i) log(5, "{}\n", std::string(40, letter));
            };
            std::thread first(print, 'a'), second(print, 'b');
            first.join();
            second.join();
        },
        Console::Terminal);
    const std::regex whole("\033\\[37m\\[u::t\\] (a{40}|b{40})\n\033\\[0m");
    EXPECT_EQ(std::regex_replace(result.out, whole, ""), "");
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), 'a'), 40 * perThread);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), 'b'), 40 * perThread);
}

TEST(TerminateHandler, ReportsTheCurrentExceptionKeepsEarlierOutputAndAborts) {
    struct Case {
        std::function<void()> raise;  // empty: terminate with no exception active
        Console console;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {[] { throw std::runtime_error("boom"); }, Console::Pipe, "before\n", "boom\n"},
        {[] { throw 42; }, Console::Pipe, "before\nUnknown exception!\n", ""},
        {[] { throw 42; }, Console::Terminal,
         "\033[37mbefore\n\033[0m\033[31mUnknown exception!\n\033[0m", ""},
        {nullptr, Console::Pipe, "", ""},
    };
    for (const Case& c : cases) {
        const auto result = runInChild(
            [&] {
                std::set_terminate(terminateHandler);
                if (!c.raise) std::terminate();
                log(5, "before\n");
                try {
                    c.raise();
                } catch (...) {
                    std::terminate();
                }
            },
            c.console);
        EXPECT_EQ(result.exitCode, 128 + SIGABRT) << c.out;
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, c.err) << c.out;
    }
}

}  // namespace
}  // namespace Rilk
