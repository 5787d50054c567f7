#include "types/rilk_base_string.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <typeinfo>

#include "types/rilk_int.h"
#include "types/rilk_list.h"
#include "types/rilk_path_string.h"
#include "types/rilk_raw_string.h"
#include "types/rilk_string.h"
#include "types/value_test_helpers.h"

namespace Rilk {
namespace {

std::vector<std::string> words(const RilkValue& value) {
    std::vector<std::string> out;
    for (auto it = valueBegin(value), e = valueEnd(value); it != e; ++it) {
        out.push_back((*it)->toString());
    }
    return out;
}

std::shared_ptr<RilkList> listOf(std::vector<RilkValuePtr> elements) {
    return std::make_shared<RilkList>(std::move(elements));
}

TEST(RilkBaseStringTest, AddConcatenatesByOperandType) {
    const auto x = makeString("x");
    EXPECT_EQ(makeString("a")->add(*makeString("b"))->toString(), "ab");
    EXPECT_EQ(x->add(RilkInt(-5))->toString(), "x-5");
    EXPECT_EQ(x->add(*listOf({makeString("a"), makeString("b")}))->toString(), "x a b");
    EXPECT_EQ(x->toString(), "x");
}

TEST(RilkBaseStringTest, AddKeepsTheLeftOperandsType) {
    const auto sum = makePathString("src", "/p")->add(*makeString("/a.c"));
    const auto* path = dynamic_cast<const RilkPathString*>(sum.get());
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->baseDirectory(), "/p");
    EXPECT_EQ(path->toString(), "src/a.c");

    const auto raw = RilkRawString("r").add(*makeString("s"));
    EXPECT_EQ(raw->typeName(), "RilkRawString");
}

TEST(RilkBaseStringTest, AppendChangesTheValueInPlace) {
    auto s = makeString("a");
    s->append(*makeString("b"));
    EXPECT_EQ(s->toString(), "a b");
    s->append(RilkInt(7));
    EXPECT_EQ(s->toString(), "a b7");
    s->append(*listOf({makeString("c")}));
    EXPECT_EQ(s->toString(), "a b7 c");

    auto empty = makeString("");
    empty->append(*makeString("b"));
    EXPECT_EQ(empty->toString(), " b");
}

TEST(RilkBaseStringTest, UnacceptedOperandRaisesBadConversion) {
    const ForeignValue other;
    auto s = makeString("a");
    expectRilkError<BadConversion>([&] { s->add(other); },
                                   "Cannot convert Foreign <o> to RilkString");
    expectRilkError<BadConversion>([&] { s->append(other); },
                                   "Cannot convert Foreign <o> to RilkString");
    EXPECT_FALSE(s->equals(other));
    EXPECT_FALSE(s->greater(other));
    EXPECT_FALSE(s->less(other));
}

TEST(RilkBaseStringTest, GetTakesPositionsAndRanges) {
    const auto s = makeString("abc");
    EXPECT_EQ(s->get(std::int64_t{1})->toString(), "b");
    EXPECT_EQ(s->get(Range{1, 2, 1})->toString(), "b");
    EXPECT_EQ(s->get(Range{1, 0, 1})->toString(), "bc");
    EXPECT_EQ(s->get(Range{0, 99, 7})->toString(), "abc");
    EXPECT_EQ(s->get(Range{3, 5, 1})->toString(), "");
    EXPECT_EQ(makePathString("abc", "/d")->get(std::int64_t{0})->toDisplayString(), "P\"/d/a\"");
}

TEST(RilkBaseStringTest, GetRejectsOtherKeysAndOutsidePositions) {
    const auto s = makeString("abc");
    expectRilkError<IndexException>([&] { s->get(std::int64_t{3}); },
                                    "Variable \"abc\" cannot be indexed with [3]");
    expectRilkError<IndexException>([&] { s->get(std::int64_t{-1}); },
                                    "Variable \"abc\" cannot be indexed with [-1]");
    expectRilkError<IndexException>([&] { s->get(nameKey("n")); },
                                    "Variable \"abc\" cannot be indexed with n");
    expectRilkError<IndexException>([&] { s->get(patternKey("p.*")); },
                                    "Variable \"abc\" cannot be indexed with /p.*/");
    EXPECT_THROW(s->get(Range{4, 5, 1}), std::out_of_range);
    EXPECT_THROW(s->get(Range{-1, 2, 1}), std::out_of_range);
}

TEST(RilkBaseStringTest, EqualityIgnoresCaseAndOneQuotePair) {
    EXPECT_TRUE(makeString("\"ABC\"")->equals(*makeString("abc")));
    EXPECT_FALSE(makeString("abc")->equals(*makeString("abcd")));
    EXPECT_TRUE(RilkRawString("abc").equals(*makeString("ABC")));
    EXPECT_FALSE(RilkRawString("\"a\"").equals(*makeString("a")));
    EXPECT_FALSE(makeString("1")->equals(RilkInt(1)));
    EXPECT_TRUE(makeString("1")->notEquals(RilkInt(1)));
}

TEST(RilkBaseStringTest, OrderingComparesLengthsOnly) {
    EXPECT_FALSE(makeString("b")->greater(*makeString("a")));
    EXPECT_FALSE(makeString("b")->less(*makeString("a")));
    EXPECT_TRUE(makeString("ab")->greater(*makeString("z")));
    EXPECT_TRUE(makeString("z")->less(*makeString("ab")));
    // The stored text counts, quotes included.
    EXPECT_TRUE(makeString("\"a\"")->greater(*makeString("ab")));
}

TEST(RilkBaseStringTest, IteratesWhitespaceSeparatedWords) {
    EXPECT_EQ(words(*makeString("  one two\tthree ")),
              (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_TRUE(words(*makeString("")).empty());
    EXPECT_TRUE(words(*makeString(" \t\n\v\f\r")).empty());
    EXPECT_EQ(words(*makeString("\"a b\"")), (std::vector<std::string>{"a", "b"}));
}

TEST(RilkBaseStringTest, WordsHaveTheStringsOwnType) {
    const auto path = makePathString("x.c y.c", "/src");
    const auto word = std::dynamic_pointer_cast<RilkPathString>(*valueBegin(*path));
    ASSERT_NE(word, nullptr);
    EXPECT_EQ(word->fullPath(), "/src/x.c");

    const auto raw = std::make_shared<RilkRawString>("r s");
    EXPECT_EQ((*valueBegin(*raw))->typeName(), "RilkRawString");
}

TEST(RilkBaseStringTest, IteratorsOfDifferentTypesRaiseInternalError) {
    const auto s = makeString("a");
    const RilkList list;
    try {
        (void)(valueBegin(*s) == valueBegin(list));
        ADD_FAILURE() << "expected InternalError";
    } catch (const InternalError& error) {
        EXPECT_NE(error.message().find("virtual bool Rilk::RilkBaseString::Iterator::equals(const "
                                       "Rilk::IRilkValueIterator&) const"),
                  std::string::npos)
            << error.message();
    }
}

TEST(RilkBaseStringTest, IterationNeedsASharedOwner) {
    const RilkString unowned("a b");
    EXPECT_THROW(unowned.begin(), std::bad_weak_ptr);
}

}  // namespace
}  // namespace Rilk
