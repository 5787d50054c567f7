#include "app/jobs/run_journal.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <utility>

#include <fmt/format.h>

#include "support/started_process.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
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
    text.insert(text.find('\n') + 1, "run b-1 t0 1 2 3 4 5 6\ngroup 12 34\n");

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
         {"rilk run journal 5\n", "rilk run journal 4\n", "rilk run journal 1\n1 0 0 0 0 0 1 a\n",
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
        std::optional<RunJournal::Writer> writer = std::nullopt;
    } cases[] = {
        {"rilk run journal 4\nrun b-1 t0 7 8 9 10 11 12\ngroup 12 34\n" + entry, true, "b-1", "t0",
         {{12, 34}}, 1, RunJournal::Writer{7, 8, 9, 10, 11, 12}},
        // Session 0: its leader lies outside the writer's PID namespace (a container's run).
        {"rilk run journal 4\nrun b-1 t0 7 8 0 10 11 12\n", true, "b-1", "t0", {}, 0,
         RunJournal::Writer{7, 8, 0, 10, 11, 12}},
        {"rilk run journal 4\nrun b-1 t0 7 8 -1 10 11 12\n", false, "", "", {}},
        {"rilk run journal 4\nrun b-1 t0\ngroup 12 34\n", false, "", "", {}},
        {"rilk run journal 4\nrun b-1 t0 0 8 9 10 11 12\n", false, "", "", {}},
        {"rilk run journal 4\n" + entry, false, "", "", {}},
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
        EXPECT_EQ(contents->writer, c.writer) << c.text;
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
    struct stat folder {};
    ASSERT_EQ(::stat(dir.path().c_str(), &folder), 0);
    EXPECT_EQ(onDisk->writer,
              (RunJournal::Writer{::getpid(), Util::processStartTime(::getpid()), ::getsid(0),
                                  Util::pidNamespaceId(), folder.st_dev, folder.st_ino}));
    struct stat state {};
    ASSERT_EQ(::stat(file.c_str(), &state), 0);
    EXPECT_EQ(state.st_mode & 07777, 0600U) << "only its owner may write it";
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


/// A process that has ended, as a record names its writer: id and start.
std::pair<pid_t, std::uint64_t> goneProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    siginfo_t info{};
    ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT);
    const std::uint64_t start = Util::processStartTime(child);
    ::waitpid(child, nullptr, 0);
    return {child, start};
}

/// The run line of a record naming its writer.
std::string runLine(const std::string& boot, const std::string& token,
                    std::pair<pid_t, std::uint64_t> writer, pid_t session,
                    const fs::path& folder) {
    struct stat state {};
    ::stat(folder.c_str(), &state);
    return fmt::format("run {} {} {} {} {} {} {} {}\n", boot, token, writer.first, writer.second,
                       session, Util::pidNamespaceId(), state.st_dev, state.st_ino);
}

/// A child of this process in a process group of its own, which runs `body` and then ends.
template <typename Body>
pid_t startGroupRunning(Body body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::setpgid(0, 0);
        body();
        ::_exit(0);
    }
    ::setpgid(child, child);
    return child;
}

TEST(RunJournal, RecoveryEndsTheKilledRunsCommandsOnlyWhereItsRecordShowsThem) {
    RilkTest::TempDir dir;
    const fs::path d = dir.path();
    const fs::path file = d / "journal";
    fs::create_directory(d / "other");
    const std::string boot = Util::currentBootId();
    const auto gone = goneProcess();
    const std::pair<pid_t, std::uint64_t> self{::getpid(), Util::processStartTime(::getpid())};
    using Proof = RunJournal::Proof;
    const struct {
        const char* what;
        std::string header;
        std::string run;
        int owner = -1;  ///< another owner's uid: needs root
        mode_t mode = 0600;
        Proof proof;
        bool ended;
    } cases[] = {
        {"a killed run's record", "rilk run journal 4\n", runLine(boot, "t", gone, ::getsid(0), d),
         -1, 0600, Proof::Shown, true},
        {"a record its writer still writes", "rilk run journal 4\n",
         runLine(boot, "t", self, ::getsid(0), d), -1, 0600, Proof::WriterRuns, false},
        {"a record copied from another folder", "rilk run journal 4\n",
         runLine(boot, "t", gone, ::getsid(0), d / "other"), -1, 0600, Proof::OtherFolder, false},
        {"a record of another user", "rilk run journal 4\n",
         runLine(boot, "t", gone, ::getsid(0), d), 65534, 0600, Proof::OtherUser, false},
        {"a record others may write", "rilk run journal 4\n",
         runLine(boot, "t", gone, ::getsid(0), d), -1, 0620, Proof::OtherUser, false},
        {"a record of another boot", "rilk run journal 4\n",
         runLine("00000000-0000-0000-0000-000000000000", "t", gone, ::getsid(0), d), -1, 0600,
         Proof::OtherSystem, false},
        {"a record of an older rilk", "rilk run journal 3\n", "run " + boot + " t\n", -1, 0600,
         Proof::Unnamed, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.owner >= 0 && ::geteuid() != 0) continue;
        const pid_t command = startGroupRunning([] { ::pause(); });
        ASSERT_TRUE(RilkTest::waitUntil([&] { return Util::processStartTime(command) != 0; }));
        dir.write("journal", c.header + c.run + fmt::format("group {} {}\n", command,
                                                              Util::processStartTime(command)));
        ASSERT_EQ(::chmod(file.c_str(), c.mode), 0);
        if (c.owner >= 0) {
            ASSERT_EQ(::chown(file.c_str(), c.owner, c.owner), 0);
        }
        const RunJournal::Recovery recovery = RunJournal::recoverKilledRun(file, d / "cache");
        EXPECT_EQ(recovery.proof, c.proof);
        EXPECT_EQ(recovery.groups.ended, c.ended ? 1U : 0U);
        EXPECT_EQ(RilkTest::processEnded(command), c.ended);
        EXPECT_FALSE(fs::exists(file));
        ::kill(command, SIGKILL);
        ::waitpid(command, nullptr, 0);
    }
}

// The killed run's command must be gone before any output is removed, or it might write
// again: one queue of events orders its end (the file it holds closes as it exits) and the
// output's removal.
TEST(RunJournal, RecoveryEndsTheCommandsBeforeItRemovesAnyOutput) {
    RilkTest::TempDir dir;
    const fs::path d = dir.path();
    const OutputSnapshot snapshot({d / "out.o"});
    dir.write("out.o", "part");
    dir.write("held", "");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const std::string held = (d / "held").string();
    const pid_t command = startGroupRunning([&] {
        const int fd = ::open(held.c_str(), O_RDONLY);
        (void)!::write(ready[1], fd >= 0 ? "r" : "e", 1);
        ::pause();
    });
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    std::string text = RunJournal::format({&snapshot});
    text.insert(text.find('\n') + 1,
                runLine(Util::currentBootId(), "t", goneProcess(), ::getsid(0), d) +
                    fmt::format("group {} {}\n", command, Util::processStartTime(command)));
    dir.write("journal", text);
    ::chmod((d / "journal").c_str(), 0600);
    const int events = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(::inotify_add_watch(events, d.c_str(), IN_CLOSE | IN_DELETE), 0);

    const RunJournal::Recovery recovery = RunJournal::recoverKilledRun(d / "journal", d / "cache");
    EXPECT_EQ(recovery.groups.ended, 1U);
    EXPECT_EQ(recovery.removed, std::vector<fs::path>{d / "out.o"});
    ::kill(command, SIGKILL);  // should recovery have left it
    ::waitpid(command, nullptr, 0);
    std::vector<std::string> order;
    alignas(inotify_event) char buffer[8192];
    for (ssize_t got; (got = ::read(events, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            const std::string name = event->len > 0 ? event->name : "";
            if (name == "held" || name == "out.o") order.push_back(name);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    ::close(events);
    EXPECT_EQ(order, (std::vector<std::string>{"held", "out.o"}))
        << "the command ended only after its output was removed";
}

}  // namespace
}  // namespace Rilk
