#include "app/jobs/run_journal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "support/temp_dir.h"
#include "util/process_table.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

using RilkTest::readFile;

TEST(RunJournal, TextHoldsEveryEntryWithAnyPathAndRejectsDamage) {
    RilkTest::TempDir dir;
    const fs::path d = dir.path();
    dir.write("old", "bytes");
    const OutputSnapshot snapshot(
        {d / "old", d / "with blank", d / "line\nbreak", d / "9 9 9", "relative.o"});
    std::string text = RunJournal::format({&snapshot});
    text.insert(text.find('\n') + 1, "run b-1 t0\ngroup 12 34\n");

    const auto contents = RunJournal::parse(text);
    ASSERT_TRUE(contents.has_value());
    const auto* parsed = &contents->entries;
    EXPECT_EQ(contents->groups, (std::vector<CommandGroup>{{12, 34}}));
    ASSERT_EQ(parsed->size(), snapshot.entries().size());
    for (std::size_t i = 0; i < parsed->size(); ++i) {
        const OutputSnapshot::Entry& want = snapshot.entries()[i];
        const OutputSnapshot::Entry& got = (*parsed)[i];
        EXPECT_EQ(got.file, fs::absolute(want.file)) << "a later run may start elsewhere";
        EXPECT_EQ(got.existed, want.existed);
        EXPECT_EQ(got.state.st_ino, want.state.st_ino);
        EXPECT_EQ(got.state.st_size, want.state.st_size);
        EXPECT_EQ(got.state.st_mtim.tv_nsec, want.state.st_mtim.tv_nsec);
        EXPECT_EQ(got.state.st_ctim.tv_sec, want.state.st_ctim.tv_sec);
    }

    // A cut record either reads as the entries before the cut or not at all.
    for (std::size_t cut = 0; cut < text.size(); ++cut) {
        const auto cutContents = RunJournal::parse(std::string_view(text).substr(0, cut));
        if (!cutContents) continue;
        const auto* part = &cutContents->entries;
        ASSERT_LT(part->size(), parsed->size()) << "cut at " << cut;
        for (std::size_t i = 0; i < part->size(); ++i)
            EXPECT_EQ((*part)[i].file, (*parsed)[i].file);
    }
    for (const char* damaged :
         {"rilk run journal 4\n", "rilk run journal 1\n1 0 0 0 0 0 1 a\n",
          "rilk run journal 2\n1 0 0 0 0 0 1 a\n", "rilk run journal 2\n2 0 0 0 0 0 0 0 1 a\n",
          "rilk run journal 2\n1 0 0 0 0 0 0 0 5 a\n", "rilk run journal 2\n1 0 0 0 -1 0 0 0 1 a\n",
          "rilk run journal 2\n1 0 0 0 0 0 0 0 0 \n", "rilk run journal 2\n1 0 0 0 0 0 0 0 1 ab\n"}) {
        EXPECT_FALSE(RunJournal::parse(damaged).has_value()) << damaged;
    }
}

TEST(RunJournal, RecordNamesItsRunAndTheProcessGroupsOfItsCommands) {
    const std::string entry = "1 0 0 0 0 0 0 0 1 a\n";
    const struct {
        std::string text;
        bool read;
        std::string boot;
        std::string token;
        std::vector<CommandGroup> groups;
        std::size_t entries = 0;
    } cases[] = {
        {"rilk run journal 3\nrun b-1 t0\ngroup 12 34\n", true, "b-1", "t0", {{12, 34}}},
        {"rilk run journal 3\nrun - t0\n" + entry + "group 5 0\n" + entry, true, "", "t0",
         {{5, 0}}, 2},
        {"rilk run journal 2\n" + entry, true, "", "", {}, 1},
        {"rilk run journal 2\ngroup 12 34\n", false, "", "", {}},
        {"rilk run journal 3\ngroup 0 34\n", false, "", "", {}},
        {"rilk run journal 3\ngroup 12\n", false, "", "", {}},
        {"rilk run journal 3\nrun b\n", false, "", "", {}},
        {"rilk run journal 3\n" + entry + "run b t\n", false, "", "", {}},
    };
    for (const auto& c : cases) {
        const auto contents = RunJournal::parse(c.text);
        ASSERT_EQ(contents.has_value(), c.read) << c.text;
        if (!contents) continue;
        EXPECT_EQ(contents->bootId, c.boot) << c.text;
        EXPECT_EQ(contents->token, c.token) << c.text;
        EXPECT_EQ(contents->groups, c.groups) << c.text;
        EXPECT_EQ(contents->entries.size(), c.entries) << c.text;
    }
}

TEST(RunJournal, RecordIsOnDiskUntilFinishedAndOnlyWhenThereIsSomethingToRecord) {
    RilkTest::TempDir dir;
    const fs::path file = dir.path() / "journal";
    RunJournal journal(file);
    const OutputSnapshot none(std::vector<fs::path>{});
    journal.record({&none}, false);
    journal.recordCommandGroup(::getpid());
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(journal.token(), "");

    // Commands without outputs: the record names the run, and then their groups.
    journal.record({&none}, true);
    journal.recordCommandGroup(::getpid());
    const OutputSnapshot first({dir.path() / "a"});
    const OutputSnapshot second({dir.path() / "b"});
    journal.record({&first});
    journal.record({&second});
    journal.recordCommandGroup(::getppid());
    const auto onDisk = RunJournal::parse(readFile(file));
    ASSERT_TRUE(onDisk.has_value());
    ASSERT_EQ(onDisk->entries.size(), 2u);
    EXPECT_EQ(onDisk->entries[1].file, dir.path() / "b");
    EXPECT_EQ(onDisk->token, journal.token());
    EXPECT_EQ(onDisk->bootId, Util::currentBootId());
    EXPECT_EQ(onDisk->groups,
              (std::vector<CommandGroup>{{::getpid(), Util::processStartTime(::getpid())},
                                         {::getppid(), Util::processStartTime(::getppid())}}));
    journal.finish();
    EXPECT_FALSE(fs::exists(file));
}

TEST(RunJournal, RecoveryRemovesWhatTheKilledRunChangedOrRemovesTheCacheWhenUnreadable) {
    RilkTest::TempDir dir;
    const fs::path d = dir.path();
    const fs::path file = d / "journal";
    const fs::path cache = d / "cache";
    EXPECT_FALSE(RunJournal::recoverKilledRun(file, cache).found);

    dir.write("same.o", "old");
    dir.write("rewritten.o", "old");
    {
        RunJournal journal(file);
        const OutputSnapshot snapshot({d / "same.o", d / "rewritten.o", d / "new.o"});
        journal.record({&snapshot});
    }  // killed: never finished
    dir.write("rewritten.o", "part");
    dir.write("new.o", "part");
    dir.write("cache", "records");
    const RunJournal::Recovery recovery = RunJournal::recoverKilledRun(file, cache);
    EXPECT_TRUE(recovery.found);
    EXPECT_FALSE(recovery.damaged);
    EXPECT_EQ(recovery.removed, (std::vector<fs::path>{d / "rewritten.o", d / "new.o"}));
    EXPECT_TRUE(fs::exists(d / "same.o"));
    EXPECT_TRUE(fs::exists(cache));
    EXPECT_FALSE(fs::exists(file));

    for (const std::string& unreadable : {std::string("rilk run journal 1\n1 2"), std::string()}) {
        dir.write("journal", unreadable);
        const RunJournal::Recovery again = RunJournal::recoverKilledRun(file, cache);
        EXPECT_TRUE(again.found && again.damaged);
        EXPECT_FALSE(fs::exists(cache));
        EXPECT_FALSE(fs::exists(file));
        EXPECT_TRUE(fs::exists(d / "same.o"));
        dir.write("cache", "records");
    }
}

}  // namespace
}  // namespace Rilk
