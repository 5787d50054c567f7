#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;
using Values = std::vector<RilkValuePtr>;

TEST(RilkList, AppendAndAdd) {
    const RilkValuePtr a = str("a"), b = str("b");
    auto l = list();
    l->append(*a);  // a copy of a value
    ASSERT_EQ(l->elements().size(), 1u);
    EXPECT_NE(l->elements()[0], a);
    EXPECT_EQ(l->elements()[0]->toString(), "a");
    l = list({a});
    l->append(*list({b}));  // the same elements of a list, also of itself
    l->append(*l);
    EXPECT_EQ(l->elements(), (Values{a, b, a, b}));

    const auto left = list({str("a")});
    const auto right = strings({"b", "c"});
    EXPECT_EQ(left->add(*right)->toString(), "a b c");
    EXPECT_EQ(left->elements().size() + right->elements().size(), 3u);
}

TEST(RilkList, GetTextFormsAndIteration) {
    const Values elements{str("a"), num(2)};
    const auto l = list(elements);
    EXPECT_EQ(l->get(std::int64_t{1}), elements[1]);
    for (const auto& [key, shown] : {std::pair{AccessKey(std::int64_t{2}), "[2]"},
                                     std::pair{AccessKey(std::int64_t{-1}), "[-1]"},
                                     std::pair{AccessKey(Range{0, 1, 1}), "[0:1:1]"}}) {
        EXPECT_EQ(errorText<IndexException>([&] { l->get(key); }),
                  std::string("Variable [ \"a\", 2 ] cannot be indexed with ") + shown);
    }
    EXPECT_EQ(strings({"a", "", "b"})->toString(), "a  b");
    EXPECT_EQ(RilkList().toString(), "");
    EXPECT_EQ(list({str("a"), num(1), nullptr})->toDisplayString(), "[ \"a\", 1 ]");
    EXPECT_EQ(RilkList().toDisplayString(), "[]");
    Values seen;
    for (auto it = valueBegin(*l), e = valueEnd(*l); it != e; ++it) seen.push_back(*it);
    EXPECT_EQ(seen, elements);
    EXPECT_THROW((void)(valueBegin(RilkList()) == valueBegin(RilkInt(1))), InternalError);
}

TEST(RilkList, EqualityIsElementWiseByTheLeftElementOrderingLexicographic) {
    const auto a = str("a");
    EXPECT_TRUE(RilkList().equals(RilkList()));
    EXPECT_TRUE(list({str("A"), num(1)})->equals(*list({a, num(1)})));
    EXPECT_FALSE(list({a})->equals(*strings({"a", "b"})));
    EXPECT_FALSE(list({a})->equals(*a));
    EXPECT_TRUE(list({nullptr})->equals(*list({nullptr})));
    EXPECT_FALSE(list({nullptr})->equals(*list({a})));
    EXPECT_FALSE(list({str("1")})->equals(*list({num(1)})));
    EXPECT_EQ(errorText<BadConversion>([] { list({num(1)})->notEquals(*list({str("1")})); }),
              "Cannot convert RilkInt 1 to RilkString");

    EXPECT_FALSE(RilkList().greater(RilkList()) || RilkList().less(RilkList()));
    EXPECT_TRUE(RilkList().less(*list({a})));
    EXPECT_FALSE(RilkList().greater(*list({a})));
    EXPECT_TRUE(list({a, num(1)})->less(*list({a, num(2)})));
    EXPECT_TRUE(list({a, num(3)})->greater(*list({a, num(2)})));
    EXPECT_TRUE(list({a})->less(*list({a, num(0)})));
    EXPECT_EQ(errorText<BadConversion>([] { RilkList().less(RilkInt(3)); }),
              "Cannot convert RilkInt 3 to RilkList");
}
