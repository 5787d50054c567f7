// Text quoted from a damaged state file is cut to a line's worth with its control bytes, the
// bytes that are no UTF-8 and the bidirectional controls shown escaped, and a warning repeated
// for many lines of one file is printed at most 20 times, then once with the count.
#include <algorithm>
#include <filesystem>
#include <string>

#include "e2e/rilk_run.h"

namespace {

class DamagedStateText : public RilkRun {
protected:
    void SetUp() override { write({{"rilk.txt", "unit u\nall: { cmdline = \"echo built\" }\n"}}); }

    static std::size_t count(const std::string& text, const std::string& part) {
        std::size_t found = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
            ++found;
        }
        return found;
    }
};

TEST_F(DamagedStateText, QuotedTextIsCutAndEscaped) {
    const std::string codes = "\x1b[31m\r\x07";
    std::string key = codes;
    while (key.size() < (5u << 20)) key += "red" + codes;
    // A record whose assignment cannot be read, and a header with a carriage return.
    const struct {
        std::string cache;
        std::string shown;
    } cases[] = {
        {"RILK_CACHE_V5\n1\n" + std::to_string(key.size()) + "\n" + key +
             "\n1\n1\nA 1 0\n5\nX = [\n0\n0\n0\n",
         "Build cache record '\\x1b[31m\\x0d\\x07red\\x1b[31m\\x0d\\x07red"},
        {"RILK_CACHE_V5\r\x1b[2Kgone\n0\n",
         "has unsupported header 'RILK_CACHE_V5\\x0d\\x1b[2Kgone'"},
        // A right-to-left override would show the rest of the line reversed.
        {"RILK_CACHE_V5\u202eevil\xff\n0\n",
         "has unsupported header 'RILK_CACHE_V5\\u202eevil\\xff'"},
    };
    for (const auto& c : cases) {
        work.write(".rilk_cache", c.cache);
        const auto run = rilk({});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_NE(run.out.find(c.shown), std::string::npos) << run.out.substr(0, 500);
        const std::string firstLine = run.out.substr(0, run.out.find('\n'));
        EXPECT_LT(firstLine.size(), 300u) << firstLine.substr(0, 500);
        EXPECT_EQ(std::count_if(run.out.begin(), run.out.end(),
                                [](char b) {
                                    return b == '\x1b' || b == '\r' || b == '\x07' || b == '\xff' ||
                                           b == '\xae';
                                }),
                  0)
            << run.out.substr(0, 500);
    }
}

TEST_F(DamagedStateText, AWarningForManyLinesOfOneFileIsPrintedTwentyTimesThenCounted) {
    RilkTest::TempDir elsewhere;
    const std::string victim = (elsewhere.path() / "victim.txt").string();
    elsewhere.write("victim.txt", "keep me\n");
    std::string journal = "rilk run journal 2\n";
    const std::string line =
        "0 0 0 0 0 0 0 0 " + std::to_string(victim.size()) + " " + victim + "\n";
    for (int i = 0; i < 100000; ++i) journal += line;
    std::string cache = "RILK_CACHE_V5\n100\n";
    for (int i = 0; i < 100; ++i) cache += "3\nbad\n1\n1\nA 1 0\n5\nX = [\n0\n0\n0\n";
    write({{".rilk_journal", journal}, {".rilk_cache", cache}});
    const auto run = rilk({});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(count(run.out, "Left '" + victim + "' as it is"), 20u) << run.out.substr(0, 3000);
    EXPECT_EQ(count(run.out,
                    "... and 99980 more files the record of the killed run names were "
                    "left as they are.\n"),
              1u)
        << run.out.substr(0, 3000);
    EXPECT_EQ(count(run.out, "Build cache record 'bad' is damaged. Dropping it.\n"), 20u);
    EXPECT_EQ(count(run.out, "... and 80 more damaged build cache records dropped.\n"), 1u)
        << run.out.substr(0, 3000);
}

}  // namespace
