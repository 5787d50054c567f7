#include "util/logger.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <exception>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "support/run_process.h"

namespace Rilk {
namespace {

using RilkTest::Console;
using RilkTest::runInChild;

TEST(Logger, ColoursLevelsAndPrefixesLinesOnATerminal) {
    const std::pair<int, const char*> colours[] = {
        {1, "35"}, {2, "33"}, {3, "36"}, {4, "38;5;208"}, {5, "37"},
        {6, "33"}, {7, "31"}, {0, "37"}, {9, "37"},       {-1, "37"},
    };
    std::string expected;
    for (const auto& [level, colour] : colours) {
        expected += fmt::format("\033[{}mlevel {}\n\033[0m", colour, level);
    }
    // This process asks first: its answer must not reach the child, whose output is a
    // terminal.
    static_cast<void>(isStdoutTerminal());
    const auto result = runInChild(
        [&] {
            verbosity = -5;
            for (const auto& c : colours) log(c.first, "{} {}\n", "level", c.first);
            verbosity = 5;
            LogIndentGuard guard("[app::main] ");
            log(5, "a\n\nb\n");
            log(5, "");
            verbosity = 99;  // explicit colours ignore the threshold
            printColored(32, "{}", "c");
        },
        Console::Terminal);
    EXPECT_EQ(result.out,
              expected +
                  "\033[37m[app::main] a\n[app::main] \n[app::main] b\n\033[0m\033[37m\033[0m"
                  "\033[32m[app::main] c\033[0m");
}

TEST(Logger, WritesPlainTextFromTheThresholdUpWithoutATerminal) {
    const auto result = runInChild([] {
        log(4, "hidden\n");
        log(7, "{}: {}\n", "Error", "bad");
        printColored(208, "orange\n");
        log(5, "{{\n");
        printColored(32, "}}\n");
        for (const auto& [threshold, level] : {std::pair{7, 6}, {7, 7}, {8, 7}, {0, 0}, {5, 9}}) {
            verbosity = threshold;
            log(level, "{}/{}\n", threshold, level);
        }
    });
    EXPECT_EQ(result.out, "Error: bad\norange\n{\n}\n7/7\n0/0\n5/9\n");
    EXPECT_EQ(result.err, "");
}

TEST(Logger, PrefixedMessagesPrintAsIndentTextGivesThem) {
    // Long and short messages in turn, so that a message never shows a longer one's rest.
    const std::vector<std::string> texts = {
        "a long first message\nof two lines\n", "m", "", "a\n\nb", "x\n", "{}\n"};
    std::string expected;
    {
        LogIndentGuard guard("[u::t] ");
        for (const std::string& text : texts) {
            expected += indentText(text) + indentText(text);
        }
    }
    const auto result = runInChild([&] {
        LogIndentGuard guard("[u::t] ");
        for (const std::string& text : texts) {
            log(5, text == "{}\n" ? "{{}}\n" : text);
            printColored(37, "{}", text);
        }
    });
    EXPECT_EQ(result.out, expected);
}

TEST(Logger, IndentGuardsRestoreTheCallersPrefix) {
    LogIndentGuard outer("[a::x] ");
    try {
        LogIndentGuard inner("[b::y] ");
        EXPECT_EQ(indentText("m"), "[b::y] m");
        EXPECT_EQ(indentText("a\n\nb"), "[b::y] a\n[b::y] \n[b::y] b");
        EXPECT_EQ(indentText("a\n"), "[b::y] a\n");
        throw std::runtime_error("build failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(logIndent, "[a::x] ");
}

TEST(Logger, AFailedFormatLeavesTheLockFree) {
    EXPECT_THROW(log(7, "{"), fmt::format_error);
    ASSERT_EQ(consoleLock.load(), 0);
    EXPECT_THROW(log(7, "{:{}}\n", "x", -1), fmt::format_error);  // a negative width
    ASSERT_EQ(consoleLock.load(), 0);
    EXPECT_THROW(printColored(31, "{:{}}\n", "x", -1), fmt::format_error);
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

// As in a build: the main thread enters and leaves targets, changing the prefix, while the
// jobs of a target log from threads of their own. Every message is printed whole under one
// prefix, and the caller's prefix is back at the end.
TEST(Logger, PrefixChangesWhileThreadsLogKeepEachMessageWhole) {
    constexpr int threads = 8;
    constexpr int perThread = 200;
    const auto result = runInChild([] {
        {
            LogIndentGuard outer("[u::outer] ");
            std::atomic<int> finished{0};
            std::vector<std::thread> workers;
            for (int t = 0; t < threads; ++t) {
                workers.emplace_back([t, &finished] {
                    for (int i = 0; i < perThread; ++i) log(5, "{} {}\nmore {} {}\n", t, i, t, i);
                    ++finished;
                });
            }
            for (int n = 0; n < 100 || finished.load() < threads; ++n) {
                LogIndentGuard inner("[u::t" + std::to_string(n) + "] ");
                log(5, "inner {}\n", n);
            }
            for (std::thread& worker : workers) worker.join();
            log(5, "end\n");
        }
        log(5, "after\n");
    });
    const std::regex message(
        "(\\[u::(?:outer|t\\d+)\\] )(\\d+) (\\d+)\n\\1more \\2 \\3\n|\\[u::t(\\d+)\\] inner \\4\n");
    std::vector<int> seen(threads * perThread, 0);
    auto at = result.out.cbegin();
    for (std::smatch m; std::regex_search(at, result.out.cend(), m, message,
                                          std::regex_constants::match_continuous);
         at = m[0].second) {
        if (m[2].matched) ++seen.at(std::stoi(m[2]) * perThread + std::stoi(m[3]));
    }
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(std::string(at, result.out.cend()), "[u::outer] end\nafter\n");
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), threads * perThread);
}

TEST(TerminateHandler, ReportsTheCurrentExceptionKeepsEarlierOutputAndAborts) {
    const std::tuple<std::exception_ptr, const char*, const char*> cases[] = {
        {std::make_exception_ptr(std::runtime_error("boom")), "before\n", "boom\n"},
        {std::make_exception_ptr(42), "before\nUnknown exception!\n", ""},
        {nullptr, "", ""},  // no exception is active
    };
    for (const auto& [failure, out, err] : cases) {
        const auto result = runInChild([&] {
            std::set_terminate(terminateHandler);
            if (!failure) std::terminate();
            log(5, "before\n");
            try {
                std::rethrow_exception(failure);
            } catch (...) {
                std::terminate();
            }
        });
        EXPECT_EQ(result.exitCode, 128 + SIGABRT) << out;
        EXPECT_EQ(result.out, out);
        EXPECT_EQ(result.err, err) << out;
    }
}

}  // namespace
}  // namespace Rilk
