#include "app/jobs/command_groups.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
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
/// with `environment` only.
pid_t startGroup(const std::string& command, const std::vector<std::string>& environment) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
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
    const struct {
        const char* what;
        bool rightStart;  ///< the journal names the leader's start time
        std::string boot;
        std::string environment;  ///< of the group's members
        bool ended;
    } cases[] = {
        {"its leader, started when recorded", true, boot, "A=1", true},
        {"a number given to another group since", false, boot, "A=1", false},
        {"a leader of that start on another boot", true, otherBoot, "A=1", false},
        {"a member carrying the run's token", false, boot, carried, true},
        {"a member carrying another run's token", false, boot, carried + "0", false},
        {"a member of a run nested in it", false, boot,
         std::string(kRunTokenVariable) + "=" + token + " " + Util::randomRunToken(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const pid_t leader = startGroup("exec sleep 60", {c.environment});
        ASSERT_TRUE(RilkTest::waitUntil([&] { return Util::processStartTime(leader) != 0; }));
        const std::uint64_t start = Util::processStartTime(leader) + (c.rightStart ? 0 : 1);
        // Once it runs sleep, its environment is the one it was given.
        ASSERT_TRUE(RilkTest::waitUntil([&] {
            return RilkTest::readFile("/proc/" + std::to_string(leader) + "/cmdline")
                .starts_with("sleep");
        }));
        const EndedGroups result = endKilledRunGroups({{leader, start}}, c.boot, token, kLimit);
        EXPECT_EQ(result.ended, c.ended ? 1U : 0U);
        EXPECT_EQ(result.leftAlone, c.ended ? 0U : 1U);
        EXPECT_EQ(RilkTest::processEnded(leader), c.ended);
        ::kill(leader, SIGKILL);
        RilkTest::waitExit(leader);
    }
    // Nor this process's own group, nor group 1 (every process), nor 0 (this one's).
    const pid_t own = ::getpgrp();
    EXPECT_EQ(endKilledRunGroups({{own, Util::processStartTime(own)}, {0, 0}, {1, Util::processStartTime(1)}},
                                 boot, token, kLimit)
                  .ended,
              0U);
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
    const EndedGroups result = endKilledRunGroups({}, Util::currentBootId(), token, kLimit);
    EXPECT_EQ(result.ended, 1U);
    EXPECT_TRUE(RilkTest::processEnded(member));
    EXPECT_FALSE(RilkTest::processEnded(daemon));
    ::kill(daemon, SIGKILL);
}

}  // namespace
}  // namespace Rilk
