#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

TEST(Context, OperatorsChangeOnlyTheValueOfAnExistingVariable) {
    const std::tuple<const char*, AssignType, const char*, const char*> cases[] = {
        // held (null: declared without value), operator, applied, result
        {"a", AssignType::Set, "b", "b"},
        {"a", AssignType::Append, "b", "a b"},
        {nullptr, AssignType::Append, "b", "b"},
        {"a", AssignType::Append, nullptr, "a"},
        {"a", AssignType::SetIfUnset, "b", "a"},
        {nullptr, AssignType::SetIfUnset, "b", "b"},
        {"a", AssignType::Declare, nullptr, "<null>"}};
    const auto value = [](const char* text) { return text ? raw(text) : nullptr; };
    for (const auto& [held, type, applied, expected] : cases) {
        Context context;
        context.addAssignment(assign("V", value(held), AssignType::Set, AssignModifier::Up), 0);
        context.resolveAll();
        context.addAssignment(assign("v", value(applied), type, AssignModifier::Must), 0);
        const Assignment& stored = context.assignments.at("V");
        EXPECT_EQ(textOf(context, "V"), expected);
        EXPECT_EQ(stored.name, "V");
        EXPECT_EQ(stored.type, AssignType::Set);
        EXPECT_EQ(stored.modifier, AssignModifier::Up);
        EXPECT_FALSE(stored.resolved);
    }
}

TEST(Context, TakeModeCopiesModifiersExceptForSetIfUnsetAndUnknownOperatorsChangeNothing) {
    Context context;
    set(set(context, "a", raw("1")), "b", raw("1")).resolveAll();
    context.addAssignment(assign("a", raw("2"), AssignType::Set, AssignModifier::Up),
                          kTakeModifier);
    context.addAssignment(assign("b", raw("2"), AssignType::SetIfUnset, AssignModifier::Up),
                          kTakeModifier);
    EXPECT_EQ(context.assignments.at("a").modifier, AssignModifier::Up);
    EXPECT_EQ(context.assignments.at("b").modifier, AssignModifier::None);
    context.resolveAll();
    EXPECT_THROW(context.addAssignment(assign("a", raw("3"), AssignType(9)), 0),
                 AssignmentException);
    EXPECT_EQ(textOf(context, "a"), "2");
    EXPECT_TRUE(context.assignments.at("a").resolved);
}

TEST(Context, PrintDumpsTheAssignmentsInNameOrder) {
    Context context;
    set(set(context, "b", raw("{x}")), "A", num(1));
    EXPECT_EQ(capture(6, [&] { context.print(5); }), "");
    EXPECT_EQ(capture(1, [&] { context.print(5), Context().print(5); }),
              "{\nA = 1\nb = \"{x}\"\n}\n\n{\n}\n\n");
}

TEST(Context, AddIfNewStoresOnlyANameNotHeldInAnyCase) {
    // held name (null: none), added name, whether it is stored, then the text of "V".
    const std::tuple<const char*, const char*, bool, const char*> cases[] = {
        {nullptr, "V", true, "${w}"},
        {"V", "V", false, "old"},
        {"v", "V", false, "old"},
        {"X", "V", true, "${w}"}};
    for (const auto& [held, added, stored, expected] : cases) {
        Context context;
        set(context, "w", raw("from here"));
        if (held) set(context, held, raw("old"));
        const auto value = str("${w}");
        EXPECT_EQ(context.addIfNew(assign(added, value, AssignType::Append, AssignModifier::Up)),
                  stored)
            << added;
        const Assignment& kept = context.assignments.at("V");
        EXPECT_EQ(kept.value->toString(), expected);
        EXPECT_EQ(kept.name, stored ? added : held);
        if (!stored) continue;
        // Stored as `addAssignment` stores a new name: operator, modifier, bound here.
        EXPECT_EQ(kept.type, AssignType::Append);
        EXPECT_EQ(kept.modifier, AssignModifier::Up);
        EXPECT_EQ(context.resolveName("V")->toString(), "from here");
    }
}
