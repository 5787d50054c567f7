#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/cache/cache_equality.h"
#include "app/cache/cache_test_support.h"
#include "app/cache/file/build_cache.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"
#include "types/types_test_support.h"

namespace Rilk {
namespace {

using RilkTest::capture;
using RilkTest::list;
using RilkTest::text;
using RilkTest::workItem;

using RilkTest::readFile;

bool sameContents(const RecordContents& a, const RecordContents& b) {
    auto sameList = [](const std::vector<Assignment>& x, const std::vector<Assignment>& y) {
        if (x.size() != y.size()) return false;
        for (std::size_t i = 0; i < x.size(); ++i) {
            if (!cacheEqual(x[i], y[i])) return false;
        }
        return true;
    };
    if (a.workItems().size() != b.workItems().size() || !sameList(a.context, b.context)) {
        return false;
    }
    for (std::size_t i = 0; i < a.workItems().size(); ++i) {
        const WorkItem& x = a.workItems()[i];
        const WorkItem& y = b.workItems()[i];
        if (x.inputs.size() != y.inputs.size() || !sameList(x.outputs, y.outputs)) return false;
        if (!x.filesRead != !y.filesRead || (x.filesRead && *x.filesRead != *y.filesRead))
            return false;
        for (std::size_t k = 0; k < x.inputs.size(); ++k) {
            if (!cacheEqual(x.inputs[k].input, y.inputs[k].input) ||
                !cacheEqual(x.inputs[k].intermediate(), y.inputs[k].intermediate())) {
                return false;
            }
        }
    }
    return true;
}

class BuildCacheFile : public ::testing::Test {
protected:
    std::filesystem::path file() const { return dir.path() / ".rilk_cache"; }

    /// Loads `bytes` as the cache file into a cache that held a record before; returns
    /// what the load printed at level 6.
    std::string load(const std::string& bytes, BuildCache& cache) {
        dir.write(".rilk_cache", bytes);
        cache.upsert("old", RecordContents(), 0);
        return capture(6, [&] { cache.load(); });
    }

    /// Two records: one of every value the file keeps, one with an intermediate.
    std::vector<std::pair<std::string, RecordContents>> samples() const {
        RecordContents all;
        const auto values = RilkTest::sampleAssignments();
        all.add(workItem(values, values));
        all.context = values;
        RecordContents compile;
        WorkItem item = workItem({}, {text("OBJS", "a.o", AssignModifier::Up)});
        item.inputs.emplace_back(text("SRC", "a.c"), text("OBJ", "a.o"));
        item.filesRead = std::make_shared<std::vector<std::string>>(
            std::vector<std::string>{"/p/a b.h", "/p/\n1\n"});
        compile.add(item);
        WorkItem none = workItem({text("SRC", "c.c")}, {});
        none.filesRead = std::make_shared<std::vector<std::string>>();
        compile.add(none);
        compile.add(workItem({text("SRC", "b.c")}, {}));
        return {{"main/app::all", all}, {"u::compile@0123456789abcdef", compile}};
    }

    RilkTest::TempDir dir;
};

TEST_F(BuildCacheFile, WritesTheCurrentLayout) {
    BuildCache cache(file());
    RecordContents contents;
    WorkItem item = workItem({}, {RilkTest::path("OBJS", "/p/a.o", AssignModifier::Up)});
    item.inputs.emplace_back(RilkTest::path("SRC", "/p/a.c"), RilkTest::path("OBJ", "/p/a.o"));
    item.inputs.emplace_back(text("FLAG", "-g"));
    item.filesRead =
        std::make_shared<std::vector<std::string>>(std::vector<std::string>{"/p/a b.h", "/p/c.h"});
    item.stamps = std::make_shared<StampedFiles>(StampedFiles{
        1765000000987654321,
        {Util::FileStamp{-1, 2, 3}, std::nullopt, Util::FileStamp{1765000000123456789, 0, 42}}});
    contents.add(item);
    contents.add(workItem({text("FLAG", "-O")}, {}));
    contents.context = {text("PROFILE", "debug")};
    cache.upsert("u::t", contents, 0);
    cache.save();
    EXPECT_EQ(readFile(file()),
              "RILK_CACHE_V8\n1\n4\nu::t\n2\n2\n"
              "A 1 0\n17\nSRC = P\"(/p/a.c)\"\n1\nA 1 0\n17\nOBJ = P\"(/p/a.o)\"\n"
              "A 1 0\n11\nFLAG = \"-g\"\n0\n"
              "1\nA 1 1\n18\nOBJS = P\"(/p/a.o)\"\n"
              "3\n8\n/p/a b.h\n6\n/p/c.h\n"
              "4\n1765000000987654321\n-1 2 3\n?\n1765000000123456789 0 42\n"
              "1\nA 1 0\n11\nFLAG = \"-O\"\n0\n0\n0\n0\n"
              "1\nA 1 0\n17\nPROFILE = \"debug\"\n");
}

TEST_F(BuildCacheFile, EveryRecordReadsBackTheSame) {
    BuildCache cache(file());
    for (const auto& [key, contents] : samples()) cache.upsert(key, contents, 0);
    cache.save();
    BuildCache loaded(file());
    EXPECT_EQ(capture(1, [&] { loaded.load(); }), "");
    ASSERT_EQ(loaded.size(), 2u);
    for (const auto& [key, contents] : samples()) {
        auto record = loaded.find(key);
        ASSERT_TRUE(record) << key;
        EXPECT_TRUE(sameContents(record->contents, contents)) << key;
        EXPECT_FALSE(record->current);
    }
}

TEST_F(BuildCacheFile, WritesTheFileOnlyWhenItDiffersFromTheRecords) {
    BuildCache written(file());
    for (const auto& [key, contents] : samples()) written.upsert(key, contents, 0);
    written.save();
    const std::string saved = readFile(file());
    const auto inode = [&] {
        struct stat info {};
        return ::stat(file().c_str(), &info) == 0 ? info.st_ino : 0;
    };

    // A file read whole and nothing stored since: left as it is (the writer would have
    // put a new file in its place).
    BuildCache loaded(file());
    loaded.load();
    const auto before = inode();
    loaded.save();
    EXPECT_EQ(inode(), before);

    // What makes it differ: a stored record, a record created for a build, a file with
    // more than its records, an older layout.
    const std::vector<std::pair<std::string, std::function<void(BuildCache&)>>> changes = {
        {saved, [](BuildCache& c) { c.upsert("u::new", RecordContents(), 0); }},
        {saved, [](BuildCache& c) { c.findOrClaim("u::claimed"); }},
        {saved + "junk", [](BuildCache&) {}},
        {"RILK_CACHE_V4\n0\n", [](BuildCache&) {}},
        {"RILK_CACHE_V5\n0\n", [](BuildCache&) {}},
    };
    for (const auto& [bytes, change] : changes) {
        dir.write(".rilk_cache", bytes);
        BuildCache cache(file());
        capture(9, [&] { cache.load(); });
        change(cache);
        const auto old = inode();
        capture(9, [&] { cache.save(); });
        EXPECT_NE(inode(), old) << bytes;
        EXPECT_EQ(readFile(file()).rfind("RILK_CACHE_V8\n", 0), 0u) << bytes;
    }
}

TEST_F(BuildCacheFile, ReadsOlderVersions) {
    const std::string v4 =
        "RILK_CACHE_V4\n1\n4\nu::t\n1\n1\nA 1 0\n13\nSRC = P\"/p/a\"\n"
        "1\nA 1 1\n14\nOBJS = P\"/p/o\"\n1\nA 1 0\n17\nPROFILE = \"debug\"\n";
    BuildCache cache(file());
    EXPECT_EQ(load(v4, cache), "");
    auto record = cache.find("U::T");
    ASSERT_TRUE(record);
    ASSERT_EQ(record->contents.workItems().size(), 1u);
    const WorkItem& item = record->contents.workItems()[0];
    EXPECT_TRUE(cacheEqual(item.inputs[0].input, RilkTest::path("SRC", "/p/a")));
    EXPECT_TRUE(cacheEqual(item.outputs[0], RilkTest::path("OBJS", "/p/o", AssignModifier::Up)));
    EXPECT_EQ(record->contents.context.size(), 1u);

    std::string v3 = v4;
    v3.replace(0, 13, "RILK_CACHE_V3");
    EXPECT_EQ(load(v3, cache), "");
    ASSERT_TRUE(cache.find("u::t"));
    EXPECT_TRUE(cache.find("u::t")->contents.context.empty());

    // A V7 record does not say since when its files are known: its work item builds once.
    const std::string v7 =
        "RILK_CACHE_V7\n1\n4\nu::t\n1\n1\nA 1 0\n13\nSRC = P\"/p/a\"\n0\n"
        "1\nA 1 1\n14\nOBJS = P\"/p/o\"\n0\n3\n1 2 3\n4 5 6\n0\n";
    EXPECT_EQ(load(v7, cache), "");
    ASSERT_TRUE(cache.find("u::t"));
    ASSERT_EQ(cache.find("u::t")->contents.workItems().size(), 1u);
    EXPECT_FALSE(cache.find("u::t")->contents.workItems()[0].stamps);
}

TEST_F(BuildCacheFile, EachDefectEmptiesTheCacheWithItsMessage) {
    const std::string path = file().string();
    const std::string record = "4\nu::t\n1\n1\nA 1 0\n5\nX = 1\n";
    const struct {
        std::string bytes;
        std::string message;
    } cases[] = {
        {"RILK_CACHE_V5\n0\n", ""},
        {"", "has invalid header"},
        {std::string(200, 'R'), "has invalid header"},
        {"RILK_CACHE_V6\n0\n", ""},
        {"RILK_CACHE_V7\n0\n", ""},
        {"RILK_CACHE_V8\n0\n", ""},
        {"RILK_CACHE_V9\n0\n", "has unsupported header 'RILK_CACHE_V9'"},
        {"RILK_CACHE_V8\n1\n" + record + "0\n0\n0\n", "is malformed (stamps count)"},
        {"RILK_CACHE_V8\n1\n" + record + "0\n0\n0\n2\nx\n1 2 3\n", "is malformed (stamps time)"},
        {"RILK_CACHE_V8\n1\n" + record + "0\n0\n0\n2\n-5\n1 2 3\n", "is malformed (stamps time)"},
        {"RILK_CACHE_V8\n1\n" + record + "0\n0\n0\n2\n05\n1 2 3\n", "is malformed (stamps time)"},
        {"RILK_CACHE_V8\n1\n" + record + "0\n0\n0\n2\n5\n1 2\n", "is malformed (stamp)"},
        {"RILK_CACHE_V7\n1\n" + record + "0\n0\n0\n2\n1 2\n", "is malformed (stamp)"},
        {"RILK_CACHE_V7\n1\n" + record + "0\n0\n0\n2\n1 2 3 \n", "is malformed (stamp)"},
        {"RILK_CACHE_V6\n1\n" + record + "0\n0\n", "is malformed (read files count)"},
        {"RILK_CACHE_V6\n1\n" + record + "0\n0\n2\n3\nab\n", "is malformed (read file)"},
        {"rilk_cache_v5\n0\n", "has unsupported header 'rilk_cache_v5'"},
        {"RILK_CACHE_V5\r\n0\n", "has unsupported header 'RILK_CACHE_V5\\x0d'"},
        {"RILK_CACHE_V5\n", "has invalid records count"},
        {"RILK_CACHE_V5\nabc\n", "has invalid records count"},
        {"RILK_CACHE_V5\n-1\n", "has invalid records count"},
        {"RILK_CACHE_V5\n99999999999999999999\n", "has invalid records count"},
        {"RILK_CACHE_V5\n1000\n" + record + "2\n0\n0\n", "has invalid records count"},
        {"RILK_CACHE_V5\n1\n5\nu::t\n", "is malformed (record key)"},
        {"RILK_CACHE_V5\n1\n3\nu::t\n", "is malformed (record key)"},
        {"RILK_CACHE_V5\n1\n4\nu::t\nx\n", "is malformed (recipe count)"},
        {"RILK_CACHE_V5\n1\n4\nu::t\n1\n-1\n", "is malformed (inputs count)"},
        {"RILK_CACHE_V5\n1\n" + record + "2\n0\n0\n", "is malformed (input intermediate flag)"},
        {"RILK_CACHE_V5\n1\n" + record + "1\nB 1 0\n",
         "is malformed (input intermediate assignment)"},
        {"RILK_CACHE_V5\n1\n" + record + "0\n" + std::string(100, '1') + "\n",
         "is malformed (outputs count)"},
        {"RILK_CACHE_V5\n1\n" + record + "0\n1\nA 1\n", "is malformed (output assignment)"},
        {"RILK_CACHE_V5\n1\n" + record + "0\n0\n", "is malformed (env/context count)"},
        {"RILK_CACHE_V5\n1\n" + record + "0\n0\n1\nA 1 0\n9\nX",
         "is malformed (env/context assignment)"},
        {"RILK_CACHE_V5\n1\n4\nu::t\n1\n1\nA 1 0\n999999\nX = 1\n",
         "is malformed (input assignment)"},
    };
    for (const auto& c : cases) {
        BuildCache cache(file());
        const std::string printed = load(c.bytes, cache);
        const std::string expected = c.message.empty() ? ""
                                                       : "Cache file '" + path + "' " + c.message +
                                                             ". Starting with empty cache.\n";
        EXPECT_EQ(printed, expected) << c.bytes;
        EXPECT_EQ(cache.size(), 0u) << c.bytes;
    }
    // Leading digits are the number, as in "12abc".
    BuildCache cache(file());
    EXPECT_EQ(load("RILK_CACHE_V5\n1abc\n" + record + "0\n0\n0\n", cache), "");
    EXPECT_TRUE(cache.find("u::t"));
}

TEST_F(BuildCacheFile, UnreadableAssignmentDropsItsRecordOnly) {
    const std::string bytes =
        "RILK_CACHE_V5\n3\n"
        "3\nbad\n1\n1\nA 1 0\n5\nX = [\n0\n0\n0\n"
        "4\nalso\n0\n1\nA 9 0\n5\nX = 1\n"
        "4\ngood\n1\n1\nA 1 0\n5\nX = 1\n0\n0\n0\n";
    BuildCache cache(file());
    EXPECT_EQ(load(bytes, cache),
              "Build cache record 'bad' is damaged. Dropping it.\n"
              "Build cache record 'also' is damaged. Dropping it.\n");
    EXPECT_EQ(cache.size(), 1u);
    EXPECT_TRUE(cache.find("good"));
}

TEST_F(BuildCacheFile, TruncatedOrCorruptedFilesGiveWholeRecordsOrNone) {
    BuildCache written(file());
    for (const auto& [key, contents] : samples()) written.upsert(key, contents, 0);
    written.save();
    const std::string whole = readFile(file());
    const int saved = verbosity;
    verbosity = 8;  // nothing printed
    auto check = [&](const std::string& bytes, bool corrupted) {
        BuildCache cache(file());
        cache.loadBytes(bytes);
        if (corrupted) return;
        for (const auto& [key, contents] : samples()) {
            auto record = cache.find(key);
            if (record) {
                EXPECT_TRUE(sameContents(record->contents, contents)) << bytes.size();
            }
        }
    };
    for (std::size_t size = 0; size < whole.size(); ++size) {
        check(whole.substr(0, size), false);
    }
    for (std::size_t at = 0; at < whole.size(); at += 3) {
        std::string bytes = whole;
        bytes[at] = bytes[at] == '1' ? '9' : '1';
        check(bytes, true);
    }
    verbosity = saved;
    BuildCache cache(file());
    dir.write(".rilk_cache", whole);
    cache.load();
    EXPECT_EQ(cache.size(), 2u);
}

TEST_F(BuildCacheFile, TextsWithoutALiteralAreKeptAndOtherValuesLeftOutWithAWarning) {
    BuildCache cache(file());
    RecordContents odd;
    odd.add(workItem({text("SRC", "x")}, {Assignment("OUT", makeString("both \" and )\""),
                                                     AssignType::Set, AssignModifier::Up)}));
    RecordContents nested;
    nested.add(workItem({text("SRC", "x")},
                        {Assignment("OUT", list({list({makeString("a")})}), AssignType::Set,
                                    AssignModifier::Up)}));
    cache.upsert("odd", odd, 0);
    cache.upsert("nested", nested, 0);
    cache.upsert("fine", samples()[1].second, 0);
    EXPECT_EQ(capture(6, [&] { cache.save(); }),
              "Cache record for 'nested' holds a value the cache file cannot keep; not saved, "
              "so it builds again on the next run.\n");
    BuildCache loaded(file());
    loaded.load();
    EXPECT_EQ(loaded.size(), 2u);
    EXPECT_TRUE(loaded.find("fine"));
    ASSERT_TRUE(loaded.find("odd"));
    EXPECT_TRUE(sameContents(loaded.find("odd")->contents, odd));
}

TEST_F(BuildCacheFile, FailedSaveIsReportedAndLeavesTheOldFile) {
    dir.write("blocked", "a file where a directory should be");
    BuildCache nested(dir.path() / "blocked" / ".rilk_cache");
    EXPECT_NE(capture(7, [&] { nested.save(); }).find("Unable to create cache directory '"),
              std::string::npos);

    // A disk that fills up while the file is written: the old file stays whole.
    dir.write(".rilk_cache", "RILK_CACHE_V5\n0\n");
    BuildCache cache(file());
    for (const auto& [key, contents] : samples()) cache.upsert(key, contents, 0);
    const auto result = RilkTest::runInChildWithFileSizeLimit(100, [&] { cache.save(); });
    EXPECT_EQ(
        result.out.rfind(
            "Unable to save the build cache: Unable to write file '" + file().string() + "'", 0),
        0u)
        << result.out;
    EXPECT_EQ(readFile(file()), "RILK_CACHE_V5\n0\n");
}

}  // namespace
}  // namespace Rilk
