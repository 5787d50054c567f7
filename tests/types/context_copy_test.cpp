#include "types/types_test_support.h"

using namespace Rilk;
using namespace RilkTest;

namespace {

Resolver* resolverOf(const RilkValuePtr& value) {
    return dynamic_cast<Resolvable&>(*value).resolver();
}

}  // namespace

TEST(ContextCopy, AppendingOrResolvingInTheCopyLeavesTheSourceUnchanged) {
    auto inner = std::make_shared<Context>();
    set(*inner, "x", raw("1"));
    Context source;
    set(set(set(source, "s", raw("x")), "a", ref("b")), "b", raw("source"));
    set(source, "cfg", nested(inner));
    Context copy(source);
    set(set(copy, "s", raw("y"), AssignType::Append), "b", raw("copy"));
    set(copy, "cfg", str("z"), AssignType::Append).resolveAll();
    EXPECT_EQ(textOf(copy, "s") + "|" + textOf(copy, "a") + "|" + textOf(copy, "cfg"),
              "x y|copy|x z");
    EXPECT_EQ(textOf(source, "s") + "|" + textOf(source, "cfg"), "x|x");
    EXPECT_EQ(source.getVariable("a")->typeName(), "RilkIdentifier");
    EXPECT_EQ(resolverOf(source.getVariable("a")), &source);

    // The same holds for a target merged from a copy of a runtime context.
    Context runtime;
    set(set(runtime, "FLAGS", raw("-O2")), "ref", ref("FLAGS"));
    auto target = std::make_shared<TargetContext>(Context(), QualifiedTargetName("", "u", "t"));
    target->addContext(Context(runtime), 0, kTakeModifier, false);
    set(*target, "FLAGS", raw("-g"), AssignType::Append).resolveAll();
    EXPECT_EQ(textOf(*target, "ref"), "-O2 -g");
    EXPECT_EQ(textOf(runtime, "FLAGS"), "-O2");
    EXPECT_EQ(runtime.getVariable("ref")->typeName(), "RilkIdentifier");
}

TEST(ContextCopy, MergedCopiesShareOnlyPlainTextsAndNeverChangeTheSource) {
    Context runtime;
    set(set(runtime, "FLAGS", str("-O2")), "cmd", str("cc ${FLAGS}"));
    auto first = std::make_shared<TargetContext>(Context(), QualifiedTargetName("", "u", "a"));
    first->addCopyOf(runtime, kTakeModifier);
    // The plain text is the runtime's own object; the one with a reference is a copy.
    EXPECT_EQ(first->getVariable("FLAGS"), runtime.getVariable("FLAGS"));
    EXPECT_NE(first->getVariable("cmd"), runtime.getVariable("cmd"));
    set(*first, "FLAGS", str("-g"), AssignType::Append).resolveAll();
    EXPECT_EQ(textOf(*first, "cmd"), "cc -O2 -g");

    // Passed on to another context with the value itself, it still changes by copy.
    Context parent;
    set(parent, "FLAGS", runtime.getVariable("FLAGS"));
    set(parent, "FLAGS", str("-s"), AssignType::Append);
    EXPECT_EQ(textOf(parent, "FLAGS"), "-O2 -s");

    auto second = std::make_shared<TargetContext>(Context(), QualifiedTargetName("", "u", "b"));
    second->addCopyOf(runtime, kTakeModifier);
    second->resolveAll();
    EXPECT_EQ(textOf(*second, "cmd"), "cc -O2");
    // Resolved, the shared text is still the runtime's object, and still changes by copy.
    EXPECT_EQ(second->getVariable("FLAGS"), runtime.getVariable("FLAGS"));
    set(*second, "FLAGS", str("-c"), AssignType::Append);
    EXPECT_EQ(textOf(*second, "FLAGS"), "-O2 -c");
    EXPECT_EQ(textOf(runtime, "FLAGS") + "|" + textOf(runtime, "cmd"), "-O2|cc ${FLAGS}");
}

TEST(ContextCopy, MergedCopyEndsWhereTheGeneralMergeOfACopyEnds) {
    // The target's own names fall between, before and after the source's, some the same
    // ignoring case; the source's operators apply to those.
    Context source;
    source.addAssignment(assign("a", str("1")), kKeepModifier);
    source.addAssignment(assign("B", str("2"), AssignType::Append, AssignModifier::Up),
                         kKeepModifier);
    source.addAssignment(assign("c", str("${a}")), kKeepModifier);
    source.addAssignment(assign("D", str("4"), AssignType::SetIfUnset), kKeepModifier);
    source.addAssignment(assign("e", strings({"x", "y"})), kKeepModifier);
    source.addAssignment(assign("F", nullptr, AssignType::Declare), kKeepModifier);
    source.addAssignment(assign("g", str("7")), kKeepModifier);
    auto targetWithOwn = [] {
        auto target = std::make_shared<TargetContext>(Context(), QualifiedTargetName("", "u", "t"));
        set(set(set(*target, "b", str("own")), "d", nullptr, AssignType::Declare), "f", str("f"));
        set(*target, "zz", str("last"));
        return target;
    };
    const auto walked = targetWithOwn();
    const auto general = targetWithOwn();
    EXPECT_EQ(walked->addCopyOf(source, kTakeModifier).size(),
              general->addContext(Context(source), 0, kTakeModifier, false).size());
    auto dump = [](Context& context) {
        context.resolveAll();
        std::string text;
        for (const auto& [name, stored] : context.assignments) {
            text += stored.toString() + " m" + std::to_string(static_cast<int>(stored.modifier)) +
                    "; ";
        }
        return text;
    };
    EXPECT_EQ(dump(*walked), dump(*general));
    EXPECT_EQ(walked->assignments.size(), 8u);
    EXPECT_EQ(textOf(source, "c"), "${a}");
}

TEST(ContextCopy, ConditionsOfTheCopyTestTheCopyAndMovingRebindsTheValues) {
    const auto body = std::make_shared<ContextTemplate>(std::vector{assign("Y", num(1))});
    const Condition ifX{ref("X"), nullptr, Condition::OperatorType::Resolves, body};
    const ContextPtr source = ContextTemplate({}, {ifX}).createContext();
    Context copy(*source);
    set(copy, "X", num(1)).evaluateConditions();
    EXPECT_TRUE(copy.hasVariable("Y"));
    EXPECT_FALSE(source->hasVariable("Y"));
    EXPECT_EQ(source->conditions.size(), 1u);

    Context from;
    set(set(from, "a", ref("b")), "b", raw("v"));
    const auto moved = std::make_shared<Context>(std::move(from));
    EXPECT_EQ(resolverOf(moved->getVariable("a")), moved.get());
    moved->resolveAll();
    EXPECT_EQ(textOf(*moved, "a"), "v");
}

TEST(ContextMerge, BadOperationsAreLoggedAndReturned) {
    Context source, target;
    source.addAssignment(assign("a", raw("x"), AssignType::Set, AssignModifier::Up), 0);
    set(source, "b", raw("z"));
    const RilkValuePtr pending = ref("later");
    set(target, "a", pending);
    std::vector<Assignment> failed;
    EXPECT_EQ(capture(1, [&] { failed = target.addContext(source, 2, kTakeModifier, false); }),
              "Exception when adding implicit context: later is not resolved yet and '\"x\"' "
              "cannot be appended to it.\n");
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0].type, AssignType::Append);
    EXPECT_EQ(failed[0].modifier, AssignModifier::Up);
    EXPECT_EQ(target.getVariable("a"), pending);
    EXPECT_EQ(textOf(target, "b"), "z");
    EXPECT_THROW(target.addContext(source, 7, kKeepModifier, false), AssignmentException);
}

TEST(ContextMerge, MergingAContextIntoItselfCopiesEachConditionOnce) {
    Context context;
    set(context, "a", raw("x"));
    context.conditions.assign(20, Condition{ref("a"), nullptr, Condition::OperatorType::Resolves,
                                            std::make_shared<ContextTemplate>()});
    context.addContext(context, 0, kKeepModifier, true);
    EXPECT_EQ(context.conditions.size(), 40u);
    EXPECT_EQ(textOf(context, "a"), "x");
}

TEST(ContextFromLists, EachNameKeepsItsFirstSpellingAndTheValuesAreTheContextsOwn) {
    const std::vector<Assignment> list = {
        assign("Flags", str("-O2"), AssignType::Set, AssignModifier::Up),
        assign("b", ref("flags")),
        assign("FLAGS", str("-g"), AssignType::Append),
        assign("c", str("x"), AssignType::SetIfUnset, AssignModifier::Must),
    };
    Context context(list, {});
    ASSERT_EQ(context.assignments.size(), 3u);
    const Assignment& flags = context.assignments.at(Util::CiString("flags"));
    EXPECT_EQ(flags.name + "|" + context.assignments.find("FLAGS")->first.str(), "Flags|Flags");
    EXPECT_EQ(flags.modifier, AssignModifier::Up);
    EXPECT_EQ(context.assignments.at(Util::CiString("c")).modifier, AssignModifier::Must);
    EXPECT_EQ(context.assignments.at(Util::CiString("c")).type, AssignType::SetIfUnset);
    for (const auto& [name, stored] : context.assignments) {
        EXPECT_FALSE(stored.resolved) << name.str();
        EXPECT_EQ(resolverOf(stored.value), &context) << name.str();
    }
    context.resolveAll();
    EXPECT_EQ(textOf(context, "b") + "|" + textOf(context, "flags"), "-O2 -g|-O2 -g");
    // The lists' values are copied: neither the append nor resolving reached them.
    EXPECT_EQ(list[0].value->toString() + "|" + list[1].value->typeName(), "-O2|RilkIdentifier");
    EXPECT_EQ(list[0].value.use_count(), 1);
}

// Made from a list no other context is made from, the context takes the values that only
// the list holds and are plain (texts, paths, numbers bound nowhere); it copies the rest,
// and ends the same as one made from a kept list.
TEST(ContextFromLists, ATakenListGivesItsOwnPlainValuesAndCopiesTheRest) {
    auto inner = std::make_shared<Context>();
    set(*inner, "x", raw("1"));
    const RilkValuePtr heldElsewhere = str("${flags} -c");
    auto makeList = [&] {
        return std::vector<Assignment>{
            assign("flags", str("-O2")),
            assign("FLAGS", str("-g"), AssignType::Append),
            assign("cmd", heldElsewhere),
            assign("n", num(3)),
            assign("cfg", nested(inner)),
            assign("items", list({str("a")})),
            assign("b", ref("flags")),
        };
    };
    const std::vector<Assignment> kept = makeList();
    std::vector<Assignment> taken = makeList();
    const RilkValue* number = taken[3].value.get();
    Context fromKept(kept, {});
    Context fromTaken(std::move(taken), {});
    EXPECT_EQ(fromTaken.getVariable("n").get(), number);
    EXPECT_NE(fromTaken.getVariable("cmd"), heldElsewhere);
    EXPECT_NE(fromTaken.getVariable("cfg"), kept[4].value);
    for (const auto& [name, stored] : fromTaken.assignments) {
        if (name.str() == "n") continue;  // a number resolves nowhere
        EXPECT_EQ(resolverOf(stored.value), &fromTaken) << name.str();
    }
    fromKept.resolveAll();
    fromTaken.resolveAll();
    for (const char* name : {"flags", "cmd", "n", "cfg", "items", "b"}) {
        EXPECT_EQ(textOf(fromTaken, name), textOf(fromKept, name)) << name;
    }
    EXPECT_EQ(textOf(fromTaken, "cmd"), "-O2 -g -c");
    // The values held elsewhere never changed.
    EXPECT_EQ(heldElsewhere->toString() + "|" + textOf(*inner, "x"), "${flags} -c|1");
}

TEST(ContextCopy, CopyIntoAContextWithOtherNamesEndsLikeTheGeneralMerge) {
    Context source;
    source.addAssignment(assign("b", str("2"), AssignType::SetIfUnset, AssignModifier::Up),
                         kKeepModifier);
    source.addAssignment(assign("D", str("${b} ${m}")), kKeepModifier);
    source.addAssignment(assign("e", strings({"x", "${b}"}), AssignType::Append), kKeepModifier);
    source.addAssignment(assign("F", nullptr, AssignType::Declare), kKeepModifier);
    source.addAssignment(assign("h", str("7")), kKeepModifier);
    // Own names before, between and after the source's, none alike; the last case holds as
    // many names as the source.
    const std::vector<std::vector<std::string>> ownNames = {
        {}, {"a"}, {"c", "zz"}, {"A0", "g", "m", "z"}, {"a", "c", "g", "m", "z"}};
    auto dump = [](Context& context) {
        std::string text;
        for (const auto& [name, stored] : context.assignments) {
            text += name.str() + ":" + stored.toString() + " m" +
                    std::to_string(static_cast<int>(stored.modifier)) + " r" +
                    std::to_string(stored.resolved) + "; ";
            if (stored.value && dynamic_cast<Resolvable*>(stored.value.get())) {
                EXPECT_EQ(resolverOf(stored.value), &context) << name.str();
            }
        }
        context.resolveAll();
        for (const auto& [name, stored] : context.assignments) text += stored.toString() + "; ";
        return text;
    };
    for (const auto& names : ownNames) {
        auto withOwn = [&] {
            auto target = std::make_shared<TargetContext>(Context(), QualifiedTargetName("", "u", "t"));
            for (const std::string& name : names) set(*target, name, str(name + "!"));
            return target;
        };
        const auto copied = withOwn();
        const auto general = withOwn();
        EXPECT_TRUE(copied->addCopyOf(source, kTakeModifier).empty());
        EXPECT_TRUE(general->addContext(Context(source), 0, kTakeModifier, false).empty());
        set(*copied, "e", str("y"), AssignType::Append);
        set(*general, "e", str("y"), AssignType::Append);
        EXPECT_EQ(dump(*copied), dump(*general)) << names.size();
        EXPECT_EQ(copied->assignments.size(), names.size() + 5);
    }
    EXPECT_EQ(textOf(source, "D") + "|" + textOf(source, "e"), "${b} ${m}|x ${b}");
    EXPECT_EQ(resolverOf(source.getVariable("D")), &source);
}
