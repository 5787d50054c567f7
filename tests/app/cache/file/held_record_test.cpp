// A cache holding its records as their bytes in the file must load, plan and save exactly
// as one holding them parsed: the same messages, decisions, intermediate flags, files read
// and written bytes, for canonical, hand-edited, damaged and repeated records alike.
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cache/cache_test_support.h"
#include "app/cache/file/build_cache.h"
#include "app/cache/planning/planning_through_cache.h"
#include "support/temp_dir.h"
#include "types/context_template.h"
#include "types/types_test_support.h"

namespace Rilk {
namespace {

using RilkTest::capture;
using RilkTest::path;
using RilkTest::PlanBuilder;
using RilkTest::text;
using RilkTest::workItem;

constexpr AssignModifier kUp = AssignModifier::Up;

/// The same cache file loaded twice: `parsed` holds every record parsed, `held` holds
/// records as bytes where it may.
class HeldRecords : public ::testing::Test {
protected:
    std::filesystem::path file(const char* which) const { return dir.path() / which / ".rilk_cache"; }

    void loadBoth(const std::string& bytes) {
        dir.write("parsed/.rilk_cache", bytes);
        dir.write("held/.rilk_cache", bytes);
        parsed = std::make_unique<BuildCache>(file("parsed"));
        held = std::make_unique<BuildCache>(file("held"));
        held->holdRecordsAsBytes(true);
        const std::string printed = capture(9, [&] { parsed->load(); });
        EXPECT_EQ(capture(9, [&] { held->load(); }), printed);
        EXPECT_EQ(held->size(), parsed->size());
    }

    /// Saves both caches (a new record makes each write its file) and expects the same bytes.
    std::string saveBoth(bool addRecord = true) {
        for (BuildCache* cache : {parsed.get(), held.get()}) {
            if (addRecord) cache->upsert("u::new", RecordContents(), 0);
            capture(9, [&] { cache->save(); });
        }
        const std::string written = RilkTest::readFile(file("parsed"));
        EXPECT_EQ(RilkTest::readFile(file("held")), written);
        return written;
    }

    bool isHeld(const std::string& key) const {
        auto record = held->find(key);
        return record && record->heldAsBytes();
    }

    /// A file dated `age` seconds before a fixed moment in the past.
    std::filesystem::path dated(const std::string& name, int age) {
        const auto written = dir.write(name, name);
        std::filesystem::last_write_time(written, base - std::chrono::seconds(age));
        return written;
    }

    RilkTest::TempDir dir;
    std::unique_ptr<BuildCache> parsed;
    std::unique_ptr<BuildCache> held;
    const std::filesystem::file_time_type base =
        std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
};

std::string sized(const std::string& text) {
    return std::to_string(text.size()) + "\n" + text + "\n";
}

/// A record "u::<name>" as the writer gives it, its text lines given whole.
std::string canonicalRecord(const std::string& name, const std::string& files = "0\n0\n",
                            const std::string& context = "PROFILE = \"debug\"") {
    return sized("u::" + name) + "1\n" + "1\nA 1 0\n" + sized("SRC = P\"(/p/" + name + ".c)\"") +
           "1\nA 1 0\n" + sized("OBJ = P\"(/p/" + name + ".i)\"") + "1\nA 1 1\n" +
           sized("OUT = P\"(/p/" + name + ".o)\"") + files + "1\nA 1 0\n" +
           sized(context);
}

std::string fileOf(const std::vector<std::string>& records,
                   const std::string& header = "RILK_CACHE_V8") {
    std::string bytes = header + "\n" + std::to_string(records.size()) + "\n";
    for (const std::string& record : records) bytes += record;
    return bytes;
}

TEST_F(HeldRecords, LoadAndSaveAsRecordsParsed) {
    const std::string a = canonicalRecord("a");
    const std::string b =
        canonicalRecord("b", "3\n6\n/p/a.h\n6\n/p/b.h\n4\n1765000000000000000\n1 2 3\n?\n-5 6 7\n");
    std::string spelled = canonicalRecord("c");
    spelled.replace(spelled.find("1\n1\nA"), 1, "+1");  // a count spelled otherwise
    const std::string damaged = canonicalRecord("d", "0\n0\n", "= broken");
    const std::string again = sized("U::A") + canonicalRecord("a").substr(7);
    std::string zero = canonicalRecord("e");
    zero.replace(zero.find("1\n1\nA"), 1, "01");  // a count with a leading zero
    std::string wide = canonicalRecord("f");  // ten context assignments
    wide.resize(wide.rfind("1\nA 1 0\n"));
    wide += "10\n";
    for (int i = 0; i < 10; ++i) wide += "A 1 0\n" + sized("V" + std::to_string(i) + " = \"x\"");
    const struct {
        const char* label;
        std::string bytes;
        std::vector<std::string> heldKeys, parsedKeys;
    } cases[] = {
        {"canonical", fileOf({a, b}), {"u::a", "u::b"}, {}},
        {"a count spelled otherwise", fileOf({a, spelled}), {"u::a"}, {"u::c"}},
        {"a count with a leading zero", fileOf({a, zero}), {"u::a"}, {"u::e"}},
        {"a count of two digits", fileOf({wide, a}), {"u::f", "u::a"}, {}},
        {"a damaged record", fileOf({damaged, b}), {"u::b"}, {}},
        {"a key given twice", fileOf({a, b, again}), {"u::a", "u::b"}, {}},
        {"bytes after the last record", fileOf({a, b}) + "junk", {"u::a", "u::b"}, {}},
        {"fewer records than counted", fileOf({a, b}).replace(14, 1, "3"), {}, {}},
        {"an older layout", fileOf({canonicalRecord("a", "")}, "RILK_CACHE_V5"), {}, {"u::a"}},
        {"malformed", fileOf({a, b.substr(0, 20)}), {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        loadBoth(c.bytes);
        for (const std::string& key : c.heldKeys) EXPECT_TRUE(isHeld(key)) << key;
        for (const std::string& key : c.parsedKeys) {
            ASSERT_TRUE(held->find(key)) << key;
            EXPECT_FALSE(isHeld(key)) << key;
        }
        saveBoth();
        // A file read whole is left as it is by both.
        loadBoth(RilkTest::readFile(file("parsed")));
        saveBoth(false);
    }
}

// Held records lie in the bytes they were read from: those must stay with the cache when
// the caller's copy is gone or the file itself has been replaced since.
TEST_F(HeldRecords, OutliveWhatTheyWereReadFrom) {
    const std::string original = fileOf({canonicalRecord("a"), canonicalRecord("b")});
    loadBoth(original);
    std::filesystem::remove(file("held"));
    EXPECT_TRUE(isHeld("u::a"));
    const std::string written = saveBoth();
    EXPECT_NE(written.find(canonicalRecord("b")), std::string::npos);

    auto given = std::make_unique<std::string>(original);
    BuildCache cache(dir.path() / "given" / ".rilk_cache");
    cache.holdRecordsAsBytes(true);
    cache.loadBytes(*given);
    given->assign(given->size(), 'x');
    given.reset();
    ASSERT_TRUE(cache.find("u::b") && !cache.find("u::b")->heldBytes.empty());
    cache.upsert("u::new", RecordContents(), 0);
    capture(9, [&] { cache.save(); });
    EXPECT_EQ(RilkTest::readFile(dir.path() / "given" / ".rilk_cache"), written);
}

// A file changed in place (by a command) no longer holds the bytes read: they are not read
// again, and the save leaves their records out, whether the change was found after the
// commands or only at the save.
TEST_F(HeldRecords, AreDroppedWhenTheFileIsChangedInPlace) {
    const std::string warning = "was changed during the run, not by rilk";
    const struct {
        bool cut;
        bool commandsRan;
    } cases[] = {{true, true}, {true, false}, {false, true}};
    for (const auto& c : cases) {
        loadBoth(fileOf({canonicalRecord("a"), canonicalRecord("b")}));
        if (c.cut) std::filesystem::resize_file(file("held"), 3);
        std::string printed;
        if (c.commandsRan) printed = capture(6, [&] { held->checkFileAfterCommands(); });
        EXPECT_EQ(printed.find(warning) != std::string::npos, c.cut && c.commandsRan);
        std::string copy;
        const std::optional<std::string_view> bytes =
            held->heldBytesToRead(*held->find("u::a"), copy);
        EXPECT_EQ(bytes.has_value(), !c.cut || !c.commandsRan);
        if (bytes) {
            EXPECT_EQ(*bytes, held->find("u::a")->heldBytes);
        }

        held->upsert("u::new", RecordContents(), 0);
        printed = capture(6, [&] { held->save(); });
        EXPECT_EQ(printed.find(warning) != std::string::npos, c.cut && !c.commandsRan);
        const std::string kept = c.cut ? "" : canonicalRecord("a") + canonicalRecord("b");
        EXPECT_EQ(
            RilkTest::readFile(file("held")),
            "RILK_CACHE_V8\n" + std::string(c.cut ? "1" : "3") + "\n" + kept + "6\nu::new\n0\n0\n");
    }
}

TEST_F(HeldRecords, PlanAsRecordsParsed) {
    const auto src = dated("a.c", 30);
    const auto obj = dated("a.o", 10);
    const auto fresh = dated("b.c", 5);
    const auto inter = dated("a.i", 20);
    const auto header = dated("h.h", 40);
    const auto late = dated("late.h", 5);
    const Assignment ctx = text("PROFILE", "debug");
    auto item = [&](const std::filesystem::path& source, const std::string& outName) {
        WorkItem made = workItem({}, {path(outName, obj, kUp)});
        made.inputs.emplace_back(path("SRC", source), path("OBJ", inter));
        return made;
    };
    auto tracked = [&](WorkItem made) {
        made.dependencyFiles = DependencyFiles::besideOutputs(dir.path());
        return made;
    };
    // A block's path relative to its directory: written as its full path.
    auto block = [&](bool relative) {
        auto outputs = std::make_shared<Context>();
        outputs->addAssignment(
            relative ? Assignment("OBJ", makePathString("a.o", dir.path().string()),
                                  AssignType::Set, kUp)
                     : path("OBJ", obj, kUp),
            kKeepModifier);
        return workItem({Assignment("dep", std::make_shared<RilkContext>(outputs),
                                    AssignType::Set, AssignModifier::None)},
                        {path("EXE", obj, kUp)});
    };
    // A condition has no exact comparison, and no record.
    auto conditional = [&] {
        Condition condition;
        condition.lhs = RilkTest::ref("MODE");
        condition.body = std::make_shared<ContextTemplate>(
            std::vector<Assignment>{text("FLAG", "-g")});
        auto outputs = std::make_shared<Context>(std::vector<Assignment>{path("OBJ", obj, kUp)},
                                                 std::vector<Condition>{condition});
        return workItem({Assignment("dep", std::make_shared<RilkContext>(outputs),
                                    AssignType::Set, AssignModifier::None)},
                        {path("EXE", obj, kUp)});
    };
    const std::vector<std::string> older{header.string()};
    const std::vector<std::string> newer{header.string(), late.string()};
    const struct {
        const char* label;
        std::vector<WorkItem> before;
        std::optional<std::vector<std::string>> filesRead;
        std::vector<WorkItem> now;
        std::vector<Assignment> context;
    } cases[] = {
        {"unchanged", {item(src, "OUT")}, std::nullopt, {item(src, "OUT")}, {ctx}},
        {"an input newer", {item(fresh, "OUT")}, std::nullopt, {item(fresh, "OUT")}, {ctx}},
        {"another input", {item(src, "OUT")}, std::nullopt, {item(fresh, "OUT")}, {ctx}},
        {"an output named in another case", {item(src, "OUT")}, std::nullopt, {item(src, "out")},
         {ctx}},
        {"another context", {item(src, "OUT")}, std::nullopt, {item(src, "OUT")},
         {text("PROFILE", "release")}},
        {"headers older", {tracked(item(src, "OUT"))}, older, {tracked(item(src, "OUT"))}, {ctx}},
        {"a header newer", {tracked(item(src, "OUT"))}, newer, {tracked(item(src, "OUT"))}, {ctx}},
        {"headers not known", {tracked(item(src, "OUT"))}, std::nullopt,
         {tracked(item(src, "OUT"))}, {ctx}},
        {"two work items, one new", {item(src, "OUT")}, std::nullopt,
         {item(src, "OUT"), item(fresh, "OUT")}, {ctx}},
        {"a block input", {block(false)}, std::nullopt, {block(false)}, {ctx}},
        {"a block input with a relative path", {block(true)}, std::nullopt, {block(true)}, {ctx}},
        {"a block input still holding a condition", {conditional()}, std::nullopt,
         {conditional()}, {ctx}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
      // The earlier build's record, as its file holds it, and as hand-edited: the work item
      // count or the count of files read spelled otherwise, which no plan writes to.
      for (const char* spelled : {"", "+", "0"}) {
        SCOPED_TRACE(spelled);
        BuildCache earlier(dir.path() / "earlier");
        RecordContents recorded;
        recorded.addAll(c.before);
        recorded.context = {ctx};
        if (c.filesRead) {
            recorded.workItem(0).filesRead = std::make_shared<std::vector<std::string>>(*c.filesRead);
        }
        earlier.upsert("u::t", recorded, 0);
        earlier.save();
        std::string bytes = RilkTest::readFile(dir.path() / "earlier");
        // After the header, the count and the key "u::t": the work item count.
        if (spelled == std::string("+") && bytes.size() > 23) bytes.insert(23, "+");
        const std::string files = "\n" + std::to_string(c.filesRead ? c.filesRead->size() + 1 : 0) +
                                  "\n" + std::to_string(header.string().size()) + "\n";
        if (spelled == std::string("0") && bytes.find(files) != std::string::npos) {
            bytes.insert(bytes.find(files) + 1, "0");
        }
        loadBoth(bytes);
        // A block still holding a condition is not kept in the file: there is no record. One
        // spelled otherwise is held parsed.
        EXPECT_EQ(isHeld("u::t"), std::string(c.label).find("condition") == std::string::npos &&
                                      bytes == RilkTest::readFile(dir.path() / "earlier"));

        PlanBuilder builder;
        builder.plan.maxParallelJobs = 8;
        std::vector<JobPlan> results;
        std::vector<std::string> printed;
        for (BuildCache* cache : {parsed.get(), held.get()}) {
            builder.plan.workItems = c.now;
            builder.plan.context = c.context;
            auto target = RilkTest::targetContext("u", "t");
            printed.push_back(capture(
                0, [&] { results.push_back(planThroughCache(*cache, builder, *target, 8)); }));
        }
        EXPECT_EQ(printed[1], printed[0]);
        const JobPlan& want = results[0];
        const JobPlan& got = results[1];
        EXPECT_EQ(got.claimToken != 0, want.claimToken != 0);
        EXPECT_EQ(got.jobItems, want.jobItems);
        ASSERT_EQ(got.work.workItems().size(), want.work.workItems().size());
        for (std::size_t i = 0; i < want.work.workItems().size(); ++i) {
            const WorkItem& w = want.work.workItems()[i];
            const WorkItem& g = got.work.workItems()[i];
            for (std::size_t k = 0; k < w.inputs.size(); ++k) {
                EXPECT_EQ(g.inputs[k].intermediateFlag, w.inputs[k].intermediateFlag) << i;
            }
            EXPECT_EQ(!g.filesRead, !w.filesRead) << i;
            if (g.filesRead && w.filesRead) {
                EXPECT_EQ(*g.filesRead, *w.filesRead) << i;
            }
        }
        // Stored as the build would store it, both write the same file.
        if (want.claimToken != 0) {
            parsed->upsert("u::t", RilkTest::recordOf(want), want.claimToken);
            held->upsert("u::t", RilkTest::recordOf(got), got.claimToken);
            EXPECT_FALSE(isHeld("u::t"));
        }
        saveBoth();
      }
    }
}

}  // namespace
}  // namespace Rilk
