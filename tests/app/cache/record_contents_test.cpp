// Work items are found by the hash of their inputs: a path must hash by its full path,
// however its base directory and text divide it, or a record read back from the cache file
// (whose paths have no base) never finds the planned work item again.
#include "app/cache/record_contents.h"

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"

namespace Rilk {
namespace {

std::vector<WorkItemEntry> inputs(RilkValuePtr value) {
    return {WorkItemEntry(Assignment("SRC", value, AssignType::Set, AssignModifier::None))};
}

TEST(RecordContents, PathsHashAndMatchByTheirFullPath) {
    const std::pair<const char*, const char*> planned[] = {
        {"/p", "src/a.c"}, {"/p/", "src/a.c"}, {"/elsewhere", "/p/src/a.c"}, {"", "/p/src/a.c"}};
    const auto stored = inputs(makePathString("/p/src/a.c", {}));
    RecordContents record;
    WorkItem item;
    item.inputs = stored;
    record.add(item);
    for (const auto& [base, text] : planned) {
        const auto now = inputs(makePathString(text, base));
        EXPECT_EQ(hashWorkItemInputs(now), hashWorkItemInputs(stored)) << base << " " << text;
        EXPECT_NE(record.find(now), nullptr) << base << " " << text;
    }
    // Lists hash their elements' texts with one blank between them; a string and a path of
    // the same text hash alike, but are not the same input.
    const auto both = inputs(std::make_shared<RilkList>(std::vector<RilkValuePtr>{
        makePathString("a.c", "/p"), makeString("-O2")}));
    EXPECT_EQ(hashWorkItemInputs(both), hashWorkItemInputs(inputs(makeString("/p/a.c -O2"))));
    EXPECT_EQ(hashWorkItemInputs(stored), hashWorkItemInputs(inputs(makeString("/p/src/a.c"))));
    EXPECT_EQ(record.find(inputs(makeString("/p/src/a.c"))), nullptr);
}

TEST(RecordContents, FindsEachWorkItemOnceWhetherScannedOrMapped) {
    // Past a few work items the lookup changes from a scan to a map: every size up to well
    // beyond that finds each held work item, refuses it again and finds nothing else.
    // "AB" + "c" and "A" + "Bc" hash alike but are different work.
    auto item = [](const char* name, const std::string& text) {
        WorkItem made;
        made.inputs.emplace_back(
            Assignment(name, makeString(text), AssignType::Set, AssignModifier::None));
        return made;
    };
    std::vector<WorkItem> added;
    RecordContents record;
    for (int n = 0; n < 40; ++n) {
        added.push_back(n == 25   ? item("AB", "c")
                        : n == 30 ? item("A", "Bc")
                                  : item("SRC", std::to_string(n)));
        ASSERT_TRUE(record.add(added.back())) << n;
        for (std::size_t i = 0; i < added.size(); ++i) {
            EXPECT_EQ(record.find(added[i].inputs), &record.workItems()[i]) << n << " " << i;
        }
        EXPECT_FALSE(record.add(added.front())) << n;
        EXPECT_EQ(record.find(item("SRC", "none").inputs), nullptr) << n;
    }
    std::vector<WorkItem> released = record.releaseWorkItems();
    ASSERT_EQ(released.size(), added.size());
    EXPECT_TRUE(sameInputs(released[30].inputs, added[30].inputs));
    EXPECT_TRUE(record.workItems().empty());
    EXPECT_EQ(record.find(added[30].inputs), nullptr);
    EXPECT_TRUE(record.add(added[30]));
}

TEST(RecordContents, LoneWorkItemIsFoundAsByItsHash) {
    // A record of one work item holds no hash, yet finds exactly what a hash lookup would:
    // the same inputs with equal hashes. Names compare ignoring case but hash as spelled.
    auto one = [](const char* name, RilkValuePtr value) {
        return std::vector<WorkItemEntry>{
            WorkItemEntry(Assignment("cwd", makeString("/p"), AssignType::Set,
                                     AssignModifier::None)),
            WorkItemEntry(Assignment(name, std::move(value), AssignType::Set,
                                     AssignModifier::None))};
    };
    auto list = [](std::vector<RilkValuePtr> elements) {
        return std::make_shared<RilkList>(std::move(elements));
    };
    auto block = [](const char* name) {
        return std::make_shared<RilkContext>(std::make_shared<Context>(
            std::vector<Assignment>{
                Assignment(name, makeString("x"), AssignType::Set, AssignModifier::None)},
            std::vector<Condition>{}));
    };
    const struct {
        const char* label;
        std::vector<WorkItemEntry> held, planned;
    } cases[] = {
        {"same text", one("in", makeString("a")), one("in", makeString("a"))},
        {"name case", one("in", makeString("a")), one("IN", makeString("a"))},
        {"other text", one("in", makeString("a")), one("in", makeString("b"))},
        {"path split", one("in", makePathString("/p/a", "")), one("in", makePathString("a", "/p"))},
        {"integers", one("n", std::make_shared<RilkInt>(7)), one("n", std::make_shared<RilkInt>(7))},
        {"lists", one("l", list({makeString("a"), makePathString("b", "/p")})),
         one("l", list({makeString("a"), makePathString("/p/b", "")}))},
        {"list name case", one("l", list({makeString("a")})), one("L", list({makeString("a")}))},
        {"same block", one("b", block("x")), one("b", block("x"))},
        {"block name case", one("b", block("x")), one("b", block("X"))},
        {"null values", one("in", nullptr), one("in", nullptr)},
    };
    for (const auto& c : cases) {
        const bool expected = sameInputs(c.held, c.planned) &&
                              hashWorkItemInputs(c.held) == hashWorkItemInputs(c.planned);
        RecordContents record;
        WorkItem held;
        held.inputs = c.held;
        record.add(held);
        EXPECT_EQ(record.find(c.planned) != nullptr, expected) << c.label;
        RecordContents plan;
        WorkItem planned;
        planned.inputs = c.planned;
        plan.add(planned);
        EXPECT_EQ(record.findSame(plan, 0) != nullptr, expected) << c.label;
        EXPECT_EQ(matchInputs(c.held, c.planned) != InputMatch::Different,
                  sameInputs(c.held, c.planned))
            << c.label;
    }
}

TEST(RecordContents, CopyFindsOnItsOwnWhetherScannedOrMapped) {
    // A copy (constructed or assigned) keeps a lookup of its own: it finds every work item
    // after the original is gone, and additions to either do not reach the other.
    auto item = [](int n) {
        WorkItem made;
        made.inputs = inputs(makeString("f" + std::to_string(n)));
        return made;
    };
    for (int size : {1, 2, 16, 17, 40}) {
        auto original = std::make_unique<RecordContents>();
        for (int n = 0; n < size; ++n) original->add(item(n));
        RecordContents constructed(*original);
        RecordContents assigned;
        assigned.add(item(1000));
        assigned = *original;
        original->add(item(500));
        original.reset();
        for (RecordContents* copy : {&constructed, &assigned}) {
            ASSERT_EQ(copy->workItems().size(), static_cast<std::size_t>(size)) << size;
            for (int n = 0; n < size; ++n) {
                EXPECT_EQ(copy->find(item(n).inputs), &copy->workItems()[n]) << size << " " << n;
            }
            EXPECT_EQ(copy->find(item(500).inputs), nullptr) << size;
            EXPECT_EQ(copy->find(item(1000).inputs), nullptr) << size;
            EXPECT_FALSE(copy->add(item(0))) << size;
            EXPECT_TRUE(copy->add(item(size))) << size;
            EXPECT_NE(copy->find(item(size).inputs), nullptr) << size;
        }
    }
}

}  // namespace
}  // namespace Rilk
