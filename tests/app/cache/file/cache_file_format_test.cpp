#include "app/cache/file/cache_file_format.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include <gtest/gtest.h>

namespace Rilk {
namespace {

// The writer's own lines take a short path; every other spelling the general one. Both must
// agree wherever their inputs meet.
TEST(CacheFileFormat, CountLinesReadAsLeadingDigits) {
    struct Case {
        std::string bytes;
        bool ok;
        std::uint64_t count;
    };
    const std::string padding(64, 'x');
    const Case cases[] = {
        {"0\n", true, 0},
        {"7\n" + padding, true, 7},
        {"1234567890123456789\n" + padding, false, 0},  // more than the bytes left
        {"12abc\n" + padding, true, 12},
        {"  +12\n" + padding, true, 12},
        {"\t12\n" + padding, true, 12},
        {"007\n" + padding, true, 7},
        {"-1\n" + padding, false, 0},
        {"abc\n" + padding, false, 0},
        {"\n" + padding, false, 0},
        {"18446744073709551615\n", false, 0},  // too large for the bytes, not for 64 bits
        {"18446744073709551616\n", false, 0},  // beyond 64 bits
        {"5", false, 0},                       // the last line, but 5 bytes are not left
        {"0", true, 0},
    };
    for (const Case& c : cases) {
        CacheInput in(c.bytes);
        std::uint64_t count = 0;
        ASSERT_EQ(readCountLine(in, count), c.ok) << c.bytes;
        if (c.ok) {
            EXPECT_EQ(count, c.count) << c.bytes;
        }
    }
}

TEST(CacheFileFormat, RecordLinesReadOperatorAndModifier) {
    struct Case {
        std::string line;
        bool ok;
        long long type;
        long long modifier;
    };
    const Case cases[] = {
        {"A 1 0", true, 1, 0},       {"A 4 2", true, 4, 2},   {"A 12 0", true, 12, 0},
        {"A 1 05", true, 1, 5},      {"A 1 0x", true, 1, 0},  {"A 1 0 9", true, 1, 0},
        {" A\t+1  -2", true, 1, -2}, {"A -1 0", true, -1, 0}, {"A 1", false, 0, 0},
        {"A1 0", false, 0, 0},       {"B 1 0", false, 0, 0},  {"a 1 0", false, 0, 0},
        {"A 1 x", false, 0, 0},      {"", false, 0, 0},
    };
    for (const Case& c : cases) {
        const std::string bytes = c.line + "\n3\nX y\n";
        CacheInput in(bytes);
        AssignmentRecordFields fields;
        ASSERT_EQ(readAssignmentRecordFields(in, fields), c.ok) << c.line;
        if (!c.ok) continue;
        EXPECT_EQ(fields.type, c.type) << c.line;
        EXPECT_EQ(fields.modifier, c.modifier) << c.line;
        EXPECT_EQ(fields.text, "X y") << c.line;
        EXPECT_EQ(in.remaining(), 0u) << c.line;
    }
}

// The writer's count and record lines read by the short paths take exactly what the general
// line read takes; any other line is left whole for it.
TEST(CacheFileFormat, ShortLineReadsMatchTheGeneralRead) {
    const char* lines[] = {"0\n",       "42\n",      "1234567890123456789\n", "12345678901234567890\n",
                           "12abc\n",   "+1\n",      " 1\n",                  "\n",
                           "7",         "A 1 0\n",   "A 4 2\n",               "A 12 0\n",
                           "A 1 0 \n",  "A 1 0",     "a 1 0\n",               "A 1 x\n"};
    for (const char* line : lines) {
        const std::string bytes = std::string(line) + "rest";
        CacheInput fast(bytes);
        CacheInput general(bytes);
        std::string_view read;
        const bool lineRead = general.readLine(read, kMaxCacheLine);
        std::uint64_t number = 0;
        if (fast.readDigitLine(number)) {
            ASSERT_TRUE(lineRead) << line;
            EXPECT_EQ(std::to_string(number), read.substr(read.find_first_not_of('0') ==
                                                                  std::string_view::npos
                                                              ? read.size() - 1
                                                              : read.find_first_not_of('0')))
                << line;
            EXPECT_EQ(fast.position(), general.position()) << line;
        } else {
            EXPECT_EQ(fast.position(), 0u) << line;
        }
        long long type = 0;
        long long modifier = 0;
        CacheInput record(bytes);
        if (record.readShortRecordLine(type, modifier)) {
            EXPECT_EQ(read, "A " + std::to_string(type) + " " + std::to_string(modifier)) << line;
            EXPECT_EQ(record.position(), general.position()) << line;
        } else {
            EXPECT_EQ(record.position(), 0u) << line;
        }
    }
}

// A stamp line is read only in the writer's spelling, so that bytes holding equal stamps are
// equal bytes; its numbers are read fast (the file holds one per file of every work item),
// never past what their types hold.
TEST(CacheFileFormat, StampLinesReadOnlyAsTheWriterSpellsThem) {
    const struct {
        std::string bytes;
        bool ok;
        RecordedStamp stamp;
        std::size_t taken;  // bytes consumed
    } cases[] = {
        {"1765000000123456789 1905 3412345\nnext", true,
         Util::FileStamp{1765000000123456789, 1905, 3412345}, 33},
        {"-1 2 3\n", true, Util::FileStamp{-1, 2, 3}, 7},
        {"0 0 0\n", true, Util::FileStamp{0, 0, 0}, 6},
        {"?\n", true, std::nullopt, 2},
        {"?", true, std::nullopt, 1},  // the last line of the bytes
        {"12345678 9 10", true, Util::FileStamp{12345678, 9, 10}, 13},
        {"9223372036854775807 18446744073709551615 18446744073709551615\n", true,
         Util::FileStamp{INT64_MAX, UINT64_MAX, UINT64_MAX}, 62},
        {"-9223372036854775808 1 1\n", true, Util::FileStamp{INT64_MIN, 1, 1}, 25},
        {"9223372036854775808 1 1\n", false, {}, 0},
        {"-9223372036854775809 1 1\n", false, {}, 0},
        {"1 18446744073709551616 1\n", false, {}, 0},
        {"1 2 123456789012345678901\n", false, {}, 0},
        {"01 2 3\n", false, {}, 0},
        {"-0 2 3\n", false, {}, 0},
        {"1 -2 3\n", false, {}, 0},
        {"+1 2 3\n", false, {}, 0},
        {"1  2 3\n", false, {}, 0},
        {"1 2 3 \n", false, {}, 0},
        {"1 2\n", false, {}, 0},
        {"1 2 3x\n", false, {}, 0},
        {"12345678a 2 3\n", false, {}, 0},
        {"?x\n", false, {}, 0},
        {"1 2 3" + std::string(70, '0') + "\n", false, {}, 0},
    };
    for (const auto& c : cases) {
        CacheInput in(c.bytes);
        RecordedStamp stamp = Util::FileStamp{7, 7, 7};
        ASSERT_EQ(readStampLine(in, stamp), c.ok) << c.bytes;
        EXPECT_EQ(in.position(), c.taken) << c.bytes;
        if (c.ok) {
            EXPECT_EQ(stamp, c.stamp) << c.bytes;
            std::string written;
            writeStampLine(written, stamp);
            EXPECT_EQ(written, c.bytes.substr(0, c.taken).back() == '\n'
                                   ? c.bytes.substr(0, c.taken)
                                   : c.bytes.substr(0, c.taken) + "\n");
        }
    }
    // The line of the time since which a work item's files are known: no sign, no leading
    // zero.
    for (const auto& [bytes, ok] :
         std::initializer_list<std::pair<std::string, bool>>{{"1765000000123456789\n", true},
                                                             {"0\n", true},
                                                             {"-1\n", false},
                                                             {"012\n", false},
                                                             {"9223372036854775808\n", false},
                                                             {"12 3\n", false}}) {
        CacheInput in(bytes);
        std::int64_t time = 0;
        EXPECT_EQ(readStampsTime(in, time), ok) << bytes;
    }
}

}  // namespace
}  // namespace Rilk
