#include "app/jobs/command_groups.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/started_process.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "util/process_table.h"
#include "util/random_token.h"

namespace Rilk {
namespace {

/// Starts `command` through the shell in a process group of its own, as a build's command,
/// with `environment` only; in a session of its own too with `ownSession`.
pid_t startGroup(const std::string& command, const std::vector<std::string>& environment,
                 bool ownSession = false) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, ownSession ? POSIX_SPAWN_SETSID : POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    std::vector<char*> envp;
    for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);
    char shell[] = "sh";
    char option[] = "-c";
    char* argv[] = {shell, option, const_cast<char*>(command.c_str()), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, "/bin/sh", nullptr, &attributes, argv, envp.data()), 0);
    posix_spawnattr_destroy(&attributes);
    return pid;
}

constexpr auto kLimit = std::chrono::seconds(30);

TEST(CommandGroups, OnlyGroupsShownToBeTheKilledRunsAreEnded) {
    const std::string token = Util::randomRunToken();
    const std::string boot = Util::currentBootId();
    ASSERT_FALSE(boot.empty());
    ASSERT_EQ(token.size(), 32U);
    ASSERT_NE(Util::randomRunToken(), token);
    const std::string carried = std::string(kRunTokenVariable) + "=" + token;
    const std::string otherBoot = "00000000-0000-0000-0000-000000000000";
    const pid_t session = ::getsid(0);
    const struct {
        const char* what;
        bool rightStart;  ///< the journal names the leader's start time
        std::string boot;
        std::string environment;  ///< of the group's members
        bool ownSession;          ///< the group left the run's session
        pid_t runSession;         ///< the session of the run that recorded it
        bool ended;
    } cases[] = {
        {"its leader, started when recorded", true, boot, "A=1", false, session, true},
        {"a number given to another group since", false, boot, "A=1", false, session, false},
        {"a leader of that start on another boot", true, otherBoot, "A=1", false, session, false},
        {"a member carrying the run's token", false, boot, carried, false, session, true},
        {"a member carrying another run's token", false, boot, carried + "0", false, session,
         false},
        {"a member of a run nested in it", false, boot,
         std::string(kRunTokenVariable) + "=" + token + " " + Util::randomRunToken(), false,
         session, true},
        {"a session of its own carrying the token", true, boot, carried, true, session, false},
        {"its leader, in another session than the run's", true, boot, carried, false,
         session + 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const pid_t leader = startGroup("exec sleep 60", {c.environment}, c.ownSession);
        ASSERT_TRUE(RilkTest::waitUntil([&] { return Util::processStartTime(leader) != 0; }));
        const std::uint64_t start = Util::processStartTime(leader) + (c.rightStart ? 0 : 1);
        // Once it runs sleep, its environment is the one it was given.
        ASSERT_TRUE(RilkTest::waitUntil([&] {
            return RilkTest::readFile("/proc/" + std::to_string(leader) + "/cmdline")
                .starts_with("sleep");
        }));
        const EndedGroups result =
            endKilledRunGroups({{leader, start}}, c.boot, token, c.runSession, kLimit);
        EXPECT_EQ(result.ended, c.ended ? 1U : 0U);
        EXPECT_EQ(RilkTest::processEnded(leader), c.ended);
        ::kill(leader, SIGKILL);
        RilkTest::waitExit(leader);
    }
    // Nor this process's own group, nor group 1 (every process), nor 0 (this one's); none
    // of them is counted as left alone either.
    const pid_t own = ::getpgrp();
    const EndedGroups none = endKilledRunGroups(
        {{own, Util::processStartTime(own)}, {0, 0}, {1, Util::processStartTime(1)}}, boot, token,
        session, kLimit);
    EXPECT_EQ(none.ended + none.leftAlone, 0U);
}

// The proof, and the wait after the first SIGKILL, over tables of processes as they change
// from one look to the next: a group is killed again only while it is still shown to be
// the run's, never once its number names another group, and what it had started meanwhile
// in a group of its own is killed too.
TEST(CommandGroups, TheWaitKillsAgainOnlyWhatStillPassesTheProof) {
    constexpr pid_t kSession = 100;
    using Entry = Util::ProcessEntry;
    /// A living process: pid, group, session, start.
    const auto living = [](pid_t pid, pid_t group, pid_t session, std::uint64_t start) {
        return Entry{.pid = pid, .parent = 1, .group = group, .session = session, .state = 'S',
                     .start = start};
    };
    struct Look {
        std::vector<Entry> table;
        std::set<pid_t> carrying = {};  ///< the processes that carry the run's token
    };
    const struct {
        const char* what;
        std::vector<CommandGroup> recorded;
        std::vector<Look> looks;  ///< one per round; the last one stays
        std::vector<pid_t> kills;
        std::size_t ended, stillLiving, leftAlone;
    } cases[] = {
        {"a recorded group, gone once killed", {{500, 7}}, {{{living(500, 500, kSession, 7)}}, {}},
         {500}, 1, 0, 0},
        {"its number taken by another group once it was gone",
         {{500, 7}},
         {{{living(500, 500, kSession, 7)}}, {{living(500, 500, kSession, 9)}}},
         {500}, 1, 0, 0},
        {"its zombie leader holds the number while a member lives on",
         {{500, 7}},
         {{{living(500, 500, kSession, 7), living(501, 500, kSession, 8)}},
          {{Entry{.pid = 500, .group = 500, .session = kSession, .state = 'Z', .start = 7},
            living(501, 500, kSession, 8)}},
          {}},
         {500, 500}, 1, 0, 0},
        {"a member that still dies, its group no longer shown",
         {{500, 7}},
         {{{living(500, 500, kSession, 7), living(501, 500, kSession, 8)}},
          {{living(501, 500, kSession, 8)}}},
         {500}, 0, 1, 0},
        {"a carrier of the token that moved into a group of its own meanwhile",
         {},
         {{{living(600, 600, kSession, 3)}, {600}},
          {{living(601, 601, kSession, 4)}, {601}},
          {}},
         {600, 601}, 2, 0, 0},
        {"a carrier of the token in another session", {}, {{{living(700, 700, 200, 3)}, {700}}},
         {}, 0, 0, 0},
        {"a recorded group whose number another group has", {{500, 7}},
         {{{living(500, 500, kSession, 8)}}}, {}, 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t round = 0;
        std::vector<pid_t> kills;
        const ProcessAccess access{
            [&] { return c.looks[std::min(round++, c.looks.size() - 1)].table; },
            [&](pid_t pid) {
                // The look just read is the one before `round`.
                return c.looks[std::min(round - 1, c.looks.size() - 1)].carrying.contains(pid);
            },
            [&](pid_t group) { kills.push_back(group); }};
        const RunProof proof{c.recorded, "token", kSession, {}};
        const EndedGroups result = endProvenGroups(proof, access, std::chrono::milliseconds(200));
        EXPECT_EQ(kills, c.kills);
        EXPECT_EQ(result.ended, c.ended);
        EXPECT_EQ(result.stillLiving, c.stillLiving);
        EXPECT_EQ(result.leftAlone, c.leftAlone);
    }
}

// A group the journal does not name (the run was killed before it could), whose leader is
// gone: its member carries the run's token, and is ended; a daemon that carries it but leads
// a session of its own is left.
TEST(CommandGroups, AGroupTheJournalDoesNotNameIsKnownByItsMembersToken) {
    RilkTest::TempDir dir;
    const std::string token = Util::randomRunToken();
    const std::string pids = (dir.path() / "pids").string();
    const pid_t leader =
        startGroup("sleep 60 & m=$!; setsid sleep 60 & echo $m $! > '" + pids + "'",
                   {std::string(kRunTokenVariable) + "=" + token, "PATH=/usr/bin:/bin"});
    RilkTest::waitExit(leader);
    ASSERT_TRUE(RilkTest::waitUntil([&] { return RilkTest::readFile(pids).ends_with("\n"); }));
    pid_t member = 0;
    pid_t daemon = 0;
    std::istringstream(RilkTest::readFile(pids)) >> member >> daemon;
    // Until the daemon has its own session it is still a member of the group.
    ASSERT_TRUE(RilkTest::waitUntil([&] {
        const std::optional<Util::ProcessEntry> entry = Util::readProcess(daemon);
        return entry && entry->session == daemon;
    }));
    const EndedGroups result =
        endKilledRunGroups({}, Util::currentBootId(), token, ::getsid(0), kLimit);
    EXPECT_EQ(result.ended, 1U);
    EXPECT_TRUE(RilkTest::processEnded(member));
    EXPECT_FALSE(RilkTest::processEnded(daemon));
    ::kill(daemon, SIGKILL);
}

}  // namespace
}  // namespace Rilk
