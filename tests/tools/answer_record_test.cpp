#include "tools/answer_record.h"

#include <gtest/gtest.h>

#include <limits>

namespace Rilk {
namespace {

constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
constexpr std::uint64_t kMax = std::numeric_limits<std::int64_t>::max();

TEST(AnswerRecordReader, NumbersStayWithinTheirBounds) {
    struct Case {
        std::string_view text;
        std::int64_t low;
        std::uint64_t high;
        RecordRead read;
        std::int64_t value;
    };
    const Case cases[] = {
        {"0 ", 0, 1, RecordRead::Ok, 0},
        {"1 ", 0, 1, RecordRead::Ok, 1},
        {"5 ", 0, 1, RecordRead::Bad, 0},  // one digit beyond a bound below ten
        {"255 ", 0, 255, RecordRead::Ok, 255},
        {"256 ", 0, 255, RecordRead::Bad, 0},
        {"-3 ", 0, 255, RecordRead::Bad, 0},
        {"-3 ", kMin, kMax, RecordRead::Ok, -3},
        {"-9223372036854775808 ", kMin, kMax, RecordRead::Ok, kMin},
        {"-9223372036854775809 ", kMin, kMax, RecordRead::Bad, 0},
        {"9223372036854775808 ", kMin, kMax, RecordRead::Bad, 0},
        {"12", 0, 255, RecordRead::Short, 0},
        {"12x", 0, 255, RecordRead::Bad, 0},
    };
    for (const Case& c : cases) {
        AnswerRecordReader reader(c.text, 0, 100);
        std::int64_t value = 0;
        EXPECT_EQ(reader.number(value, c.low, c.high), c.read) << c.text;
        if (c.read == RecordRead::Ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(AnswerRecordReader, TextsAndRecordsReadBackWhatTheWriterWrote) {
    std::string out;
    AnswerRecordWriter writer(out);
    writer.text("a b\nc");
    writer.number(-7);
    appendRecordChecksum(out, 0);

    AnswerRecordReader reader(out, 0, 100);
    std::string text;
    std::int64_t number = 0;
    EXPECT_EQ(reader.text(text), RecordRead::Ok);
    EXPECT_EQ(text, "a b\nc");
    EXPECT_EQ(reader.number(number, kMin, kMax), RecordRead::Ok);
    EXPECT_EQ(number, -7);
    EXPECT_EQ(reader.end(0), RecordRead::Ok);
    EXPECT_TRUE(reader.atEnd());

    // Cut short anywhere: Short; a text over the reader's limit, or a changed byte: Bad.
    for (std::size_t cut = 1; cut < out.size(); ++cut) {
        AnswerRecordReader partial(std::string_view(out).substr(0, cut), 0, 100);
        RecordRead read = partial.text(text);
        if (read == RecordRead::Ok) read = partial.number(number, kMin, kMax);
        if (read == RecordRead::Ok) read = partial.end(0);
        EXPECT_EQ(read, RecordRead::Short) << cut;
    }
    AnswerRecordReader limited(out, 0, 4);
    EXPECT_EQ(limited.text(text), RecordRead::Bad);
    std::string changed = out;
    changed[2] = 'x';
    AnswerRecordReader damaged(changed, 0, 100);
    EXPECT_EQ(damaged.text(text), RecordRead::Ok);
    EXPECT_EQ(damaged.number(number, kMin, kMax), RecordRead::Ok);
    EXPECT_EQ(damaged.end(0), RecordRead::Bad);
}

}  // namespace
}  // namespace Rilk
