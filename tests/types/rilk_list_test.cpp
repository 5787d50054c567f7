#include "types/rilk_list.h"

#include <gtest/gtest.h>

#include "types/rilk_int.h"
#include "types/rilk_string.h"
#include "types/value_test_helpers.h"

namespace Rilk {
namespace {

std::shared_ptr<RilkList> listOf(std::vector<RilkValuePtr> elements) {
    return std::make_shared<RilkList>(std::move(elements));
}

RilkValuePtr str(const char* text) { return makeString(text); }
RilkValuePtr num(std::int32_t n) { return std::make_shared<RilkInt>(n); }

/// A resolvable value that resolves to a fixed value and records its resolver.
class FakeResolvable : public ForeignValue, public Resolvable {
  public:
    explicit FakeResolvable(RilkValuePtr result) : result_(std::move(result)) {}
    RilkValuePtr resolve() override { return result_; }

  private:
    RilkValuePtr result_;
};

class NullResolver : public Resolver {
  public:
    RilkValuePtr resolve(const Identifier&) override { return nullptr; }
};

TEST(RilkListTest, AppendOfAValueAddsAClone) {
    RilkList list;
    const auto x = str("x");
    list.append(*x);
    ASSERT_EQ(list.elements().size(), 1u);
    EXPECT_NE(list.elements()[0], x);
    EXPECT_EQ(list.elements()[0]->toString(), "x");
}

TEST(RilkListTest, AppendOfAListAddsTheSameElements) {
    const auto a = str("a");
    const auto b = str("b");
    auto list = listOf({a});
    list->append(*listOf({b}));
    EXPECT_EQ(list->elements(), (std::vector<RilkValuePtr>{a, b}));
    list->append(RilkList());
    EXPECT_EQ(list->elements().size(), 2u);
    list->append(*list);
    EXPECT_EQ(list->elements(), (std::vector<RilkValuePtr>{a, b, a, b}));
}

TEST(RilkListTest, AddLeavesBothOperandsUnchanged) {
    const auto left = listOf({str("a")});
    const auto right = listOf({str("b"), str("c")});
    const auto sum = left->add(*right);
    EXPECT_EQ(sum->toString(), "a b c");
    EXPECT_EQ(left->elements().size(), 1u);
    EXPECT_EQ(right->elements().size(), 2u);
    EXPECT_EQ(left->add(RilkInt(4))->toString(), "a 4");
}

TEST(RilkListTest, CloneIsDeep) {
    const auto inner = str("a");
    const auto list = listOf({inner, nullptr});
    const auto copy = std::dynamic_pointer_cast<RilkList>(list->clone());
    ASSERT_EQ(copy->elements().size(), 2u);
    EXPECT_NE(copy->elements()[0], inner);
    EXPECT_EQ(copy->elements()[0]->toString(), "a");
    EXPECT_EQ(copy->elements()[1], nullptr);
}

TEST(RilkListTest, GetReturnsTheSharedElement) {
    const auto b = str("b");
    const auto list = listOf({str("a"), b});
    EXPECT_EQ(list->get(std::int64_t{1}), b);
    const std::string shown = "Variable [ \"a\", \"b\" ] cannot be indexed with ";
    expectRilkError<IndexException>([&] { list->get(std::int64_t{2}); }, shown + "[2]");
    expectRilkError<IndexException>([&] { list->get(std::int64_t{-1}); }, shown + "[-1]");
    expectRilkError<IndexException>([&] { list->get(Range{0, 1, 1}); }, shown + "[0:1:1]");
    expectRilkError<IndexException>([&] { list->get(nameKey("k")); }, shown + "k");
}

TEST(RilkListTest, TextForms) {
    EXPECT_EQ(listOf({str("a"), str(""), str("b")})->toString(), "a  b");
    EXPECT_EQ(RilkList().toString(), "");
    EXPECT_EQ(listOf({str("a"), str("b")})->toDisplayString(), "[ \"a\", \"b\" ]");
    EXPECT_EQ(listOf({num(1)})->toDisplayString(), "[ 1 ]");
    EXPECT_EQ(RilkList().toDisplayString(), "[]");
    EXPECT_EQ(listOf({str("a"), nullptr})->toDisplayString(), "[ \"a\" ]");
}

TEST(RilkListTest, IteratesTheElementsThemselvesInOrder) {
    const auto a = str("a");
    const auto b = num(2);
    const auto list = listOf({a, b});
    std::vector<RilkValuePtr> seen;
    for (auto it = valueBegin(*list), e = valueEnd(*list); it != e; ++it) seen.push_back(*it);
    EXPECT_EQ(seen, (std::vector<RilkValuePtr>{a, b}));
}

TEST(RilkListTest, EqualityIsElementWise) {
    EXPECT_TRUE(RilkList().equals(RilkList()));
    EXPECT_TRUE(listOf({str("A"), num(1)})->equals(*listOf({str("a"), num(1)})));
    EXPECT_FALSE(listOf({str("a")})->equals(*listOf({str("a"), str("b")})));
    EXPECT_FALSE(listOf({str("a")})->equals(*str("a")));
    EXPECT_TRUE(listOf({nullptr})->equals(*listOf({nullptr})));
    EXPECT_FALSE(listOf({nullptr})->equals(*listOf({str("a")})));
    EXPECT_FALSE(listOf({str("1")})->equals(*listOf({num(1)})));
    // The left element decides: an integer does not accept a string.
    expectRilkError<BadConversion>([] { listOf({num(1)})->equals(*listOf({str("1")})); },
                                   "Cannot convert RilkInt 1 to RilkString");
    EXPECT_THROW(listOf({num(1)})->notEquals(*listOf({str("1")})), BadConversion);
}

TEST(RilkListTest, OrderingIsLexicographic) {
    const auto a = str("a");
    EXPECT_FALSE(RilkList().greater(RilkList()));
    EXPECT_FALSE(RilkList().less(RilkList()));
    EXPECT_TRUE(RilkList().less(*listOf({a})));
    EXPECT_FALSE(RilkList().greater(*listOf({a})));
    EXPECT_TRUE(listOf({a, num(1)})->less(*listOf({a, num(2)})));
    EXPECT_TRUE(listOf({a, num(3)})->greater(*listOf({a, num(2)})));
    EXPECT_TRUE(listOf({a})->less(*listOf({a, num(0)})));
    EXPECT_FALSE(listOf({a})->greater(*listOf({a})));
    expectRilkError<BadConversion>([] { RilkList().less(RilkInt(3)); },
                                   "Cannot convert RilkInt 3 to RilkList");
}

TEST(RilkListTest, IteratorsOfDifferentTypesRaiseInternalError) {
    const RilkList list;
    const RilkInt number(1);
    EXPECT_THROW((void)(valueBegin(list) == valueBegin(number)), InternalError);
}

TEST(RilkListTest, SetResolverReachesResolvableElements) {
    const auto s = makeString("a");
    const auto list = listOf({s, num(1), nullptr});
    NullResolver resolver;
    list->setResolver(&resolver);
    EXPECT_EQ(list->resolver(), &resolver);
    EXPECT_EQ(s->resolver(), &resolver);
}

TEST(RilkListTest, ResolveFlattensListResultsByOneLevel) {
    const auto one = num(1);
    const auto deep = listOf({str("d")});
    const auto three = listOf({str("x"), deep, str("z")});
    const auto list = listOf({one, std::make_shared<FakeResolvable>(three), nullptr});
    const auto resolved = std::dynamic_pointer_cast<RilkList>(list->resolve());
    ASSERT_NE(resolved, list);
    ASSERT_EQ(resolved->elements().size(), 5u);
    EXPECT_EQ(resolved->elements()[0], one);
    EXPECT_EQ(resolved->elements()[1]->toString(), "x");
    EXPECT_EQ(resolved->elements()[2], deep);
    EXPECT_EQ(resolved->elements()[3]->toString(), "z");
    EXPECT_EQ(resolved->elements()[4], nullptr);
    EXPECT_EQ(resolved->resolver(), nullptr);
    EXPECT_EQ(list->elements().size(), 3u);
}

}  // namespace
}  // namespace Rilk
