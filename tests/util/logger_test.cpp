#include "util/logger.h"

#include <csignal>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "support/child_process.h"

namespace Rilk {
namespace {

using RilkTest::Console;
using RilkTest::runInChild;

const int kAborted = 128 + SIGABRT;

/// An argument whose formatting fails, as an out-of-memory error would.
struct Explosive {};

}  // namespace
}  // namespace Rilk

template <>
struct fmt::formatter<Rilk::Explosive> : fmt::formatter<std::string_view> {
    auto format(const Rilk::Explosive&, fmt::format_context&) const
        -> fmt::format_context::iterator {
        throw std::runtime_error("formatting failed");
    }
};

namespace Rilk {
namespace {

TEST(Logger, PrintsLevelsFromTheThresholdUp) {
    struct Case {
        int verbosity;
        int level;
        bool printed;
    };
    const Case cases[] = {
        {5, 4, false}, {5, 5, true}, {5, 6, true},  {5, 7, true}, {7, 6, false},
        {7, 7, true},  {1, 1, true}, {8, 7, false}, {0, 0, true}, {5, 9, true},
    };
    for (const Case& c : cases) {
        const auto result = runInChild([&] {
            verbosity = c.verbosity;
            log(c.level, "x\n");
            log(c.level, "{}\n", "y");
        });
        EXPECT_EQ(result.out, c.printed ? "x\ny\n" : "")
            << "verbosity " << c.verbosity << ", level " << c.level;
    }
}

TEST(Logger, ColoursEachLevelOnATerminal) {
    struct Case {
        int level;
        const char* introducer;
    };
    const Case cases[] = {
        {1, "\033[35m"}, {2, "\033[33m"}, {3, "\033[36m"}, {4, "\033[38;5;208m"}, {5, "\033[37m"},
        {6, "\033[33m"}, {7, "\033[31m"}, {0, "\033[37m"}, {9, "\033[37m"},       {-1, "\033[37m"},
    };
    for (const Case& c : cases) {
        const auto result = runInChild(
            [&] {
                verbosity = -5;
                log(c.level, "{} {}\n", "level", c.level);
            },
            Console::Terminal);
        EXPECT_EQ(result.out, fmt::format("{}level {}\n\033[0m", c.introducer, c.level))
            << "level " << c.level;
    }
}

TEST(Logger, PrintColoredIgnoresTheThreshold) {
    const auto result = runInChild(
        [] {
            verbosity = 99;
            printColored(32, "{}\n", "main");
            printColored(208, "plain\n");
        },
        Console::Terminal);
    EXPECT_EQ(result.out, "\033[32mmain\n\033[0m\033[38;5;208mplain\n\033[0m");
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

TEST(Logger, PrefixesEveryLineOfAMessage) {
    const auto result = runInChild(
        [] {
            LogIndentGuard guard("[app::main] ");
            log(5, "a\nb\n");
            log(5, "");
            printColored(32, "{}", "c");
        },
        Console::Terminal);
    EXPECT_EQ(result.out,
              "\033[37m[app::main] a\n[app::main] b\n\033[0m\033[37m\033[0m"
              "\033[32m[app::main] c\033[0m");
}

TEST(Logger, IndentTextInsertsThePrefixAtLineStarts) {
    struct Case {
        const char* text;
        const char* indented;
    };
    const Case cases[] = {
        {"a\nb\n", "[u::t] a\n[u::t] b\n"},        {"\n", "[u::t] \n"}, {"", ""}, {"a", "[u::t] a"},
        {"a\n\nb", "[u::t] a\n[u::t] \n[u::t] b"},
    };
    LogIndentGuard guard("[u::t] ");
    for (const Case& c : cases) EXPECT_EQ(indentText(c.text), c.indented) << c.text;
}

TEST(Logger, IndentGuardsRestoreTheCallersPrefix) {
    ASSERT_EQ(logIndent, "");
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
    EXPECT_EQ(consoleLock.load(), 0);
    EXPECT_THROW(log(7, "{}\n", Explosive{}), std::runtime_error);
    EXPECT_EQ(consoleLock.load(), 0);
    EXPECT_THROW(printColored(31, "{}\n", Explosive{}), std::runtime_error);
    EXPECT_EQ(consoleLock.load(), 0);

    const auto result = runInChild([] {
        try {
            log(7, "{}\n", Explosive{});
        } catch (const std::runtime_error&) {
        }
        log(7, "later\n");
    });
    EXPECT_EQ(result.out, "later\n");
}

TEST(Logger, ThreadsWriteWholeMessages) {
    const int perThread = 300;
    const std::string a(40, 'a');
    const std::string b(40, 'b');
    const auto result = runInChild(
        [&] {
            LogIndentGuard guard("[u::t] ");
            auto print = [&](const std::string& text) {
                for (int i = 0; i < perThread; ++i) log(5, "{}\n", text);
            };
            std::thread first(print, a);
            std::thread second(print, b);
            first.join();
            second.join();
        },
        Console::Terminal);
    const std::string reset = "\033[0m";
    int seenA = 0, seenB = 0;
    std::size_t pos = 0;
    while (pos < result.out.size()) {
        const std::size_t end = result.out.find(reset, pos);
        ASSERT_NE(end, std::string::npos) << result.out.substr(pos);
        const std::string message = result.out.substr(pos, end - pos);
        if (message == "\033[37m[u::t] " + a + "\n") {
            ++seenA;
        } else {
            ASSERT_EQ(message, "\033[37m[u::t] " + b + "\n");
            ++seenB;
        }
        pos = end + reset.size();
    }
    EXPECT_EQ(seenA, perThread);
    EXPECT_EQ(seenB, perThread);
}

TEST(TerminateHandler, WritesAStandardExceptionToStandardError) {
    const auto result = runInChild([] {
        std::set_terminate(terminateHandler);
        log(5, "before\n");
        try {
            throw std::runtime_error("boom");
        } catch (...) {
            std::terminate();
        }
    });
    EXPECT_EQ(result.exitCode, kAborted);
    EXPECT_EQ(result.err, "boom\n");
    EXPECT_EQ(result.out, "before\n");
}

TEST(TerminateHandler, LogsAnyOtherExceptionAndKeepsEarlierOutput) {
    const auto result = runInChild([] {
        std::set_terminate(terminateHandler);
        log(5, "before\n");
        try {
            throw 42;
        } catch (...) {
            std::terminate();
        }
    });
    EXPECT_EQ(result.exitCode, kAborted);
    EXPECT_EQ(result.out, "before\nUnknown exception!\n");
    EXPECT_EQ(result.err, "");
}

TEST(TerminateHandler, ReportsUnknownExceptionsInRedOnATerminal) {
    const auto result = runInChild(
        [] {
            try {
                throw 42;
            } catch (...) {
                terminateHandler();
            }
        },
        Console::Terminal);
    EXPECT_EQ(result.exitCode, kAborted);
    EXPECT_EQ(result.out, "\033[31mUnknown exception!\n\033[0m");
}

TEST(TerminateHandler, AbortsSilentlyWithoutAnException) {
    const auto result = runInChild([] { terminateHandler(); });
    EXPECT_EQ(result.exitCode, kAborted);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

}  // namespace
}  // namespace Rilk
