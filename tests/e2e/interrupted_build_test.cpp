// Builds stopped by a signal at random moments: the outputs and the cache file stay whole
// and the next run succeeds.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>

#include "e2e/rilk_run.h"

namespace {

class InterruptedBuild : public RilkRun {
protected:
    static constexpr int kSlow = 5;

    /// `kSlow` targets whose command writes its output in two steps with a pause between,
    /// then `quick` targets that each add a large record, all under the main target `all`.
    void writeProject(int quick) const {
        std::string deps;
        std::string targets;
        std::map<std::string, std::string> files;
        for (int i = 0; i < kSlow; ++i) {
            const std::string n = "s" + std::to_string(i);
            deps += " " + n;
            targets += n + ": { SRC = P\"(src/" + n + ".in)\" ^OUT = P\"(out/" + n +
                       ".txt)\" cmdline = [ \"mkdir -p out\", \"printf partial > out/" + n +
                       ".txt; sleep 0.1; printf done >> out/" + n + ".txt\" ] }\n";
            files["src/" + n + ".in"] = n;
        }
        for (int i = 0; i < quick; ++i) {
            const std::string n = "q" + std::to_string(i);
            deps += " " + n;
            targets += n + ": { NAME = \"" + std::string(4000, 'q') + "\" ^OUT = P\"(out/" + n +
                       ".txt)\" cmdline = [ \"touch out/" + n + ".txt\" ] }\n";
        }
        files["rilk.txt"] = "unit u\nall:" + deps + " { cmdline = [ \"true\" ] }\n" + targets;
        write(files);
    }

    std::string read(const std::string& relative) const {
        std::ifstream in(work.path() / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    /// Starts rilk in the working directory without waiting for it.
    pid_t start() const {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir(work.path().c_str()) != 0) ::_exit(127);
            ::setenv("HOME", home.path().c_str(), 1);
            const int in = ::open("/dev/null", O_RDONLY);
            const int out = ::open("/dev/null", O_WRONLY);
            ::dup2(in, 0);
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::execl(RILK_BINARY, RILK_BINARY, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        return pid;
    }

    static int wait(pid_t pid) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0) {
        }
        return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
    }

    /// Makes every source newer than every output, so the next run builds all again.
    void touchSources() const {
        const auto later = std::filesystem::file_time_type::clock::now() + std::chrono::hours(1);
        for (int i = 0; i < kSlow; ++i) {
            std::filesystem::last_write_time(work.path() / ("src/s" + std::to_string(i) + ".in"),
                                             later);
        }
    }

    /// Every output that exists was written whole.
    void expectNoPartialOutput(const std::string& when) const {
        for (int i = 0; i < kSlow; ++i) {
            const std::string file = "out/s" + std::to_string(i) + ".txt";
            if (std::filesystem::exists(work.path() / file)) {
                EXPECT_EQ(read(file), "partialdone") << file << " " << when;
            }
        }
    }

    /// Returns once the temporary file of the cache save exists or `pid` has ended.
    void waitForSaveToBegin(pid_t pid) const {
        for (;;) {
            siginfo_t info{};
            if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
                info.si_pid != 0) {
                return;
            }
            std::error_code error;
            for (const auto& entry : std::filesystem::directory_iterator(work.path(), error)) {
                if (entry.path().filename().string().starts_with("..rilk_cache.tmp")) return;
            }
        }
    }

    std::mt19937 random{std::random_device{}()};
};

TEST_F(InterruptedBuild, SigintAndSigtermLeaveNoPartialOutputAndARightCache) {
    writeProject(0);
    ASSERT_EQ(rilk({}).exitCode, 0);
    const std::string cache = read(".rilk_cache");
    std::uniform_int_distribution<int> moment(0, kSlow * 110);
    for (const int signal : {SIGINT, SIGTERM, SIGINT, SIGTERM}) {
        touchSources();
        const int delay = moment(random);
        const pid_t pid = start();
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        ::kill(pid, signal);
        const int status = wait(pid);
        const std::string when =
            "signal " + std::to_string(signal) + " after " + std::to_string(delay) + " ms";
        EXPECT_TRUE(status == 128 + signal || status == 0) << status << " " << when;
        expectNoPartialOutput(when);

        const auto next = rilk({});
        EXPECT_EQ(next.exitCode, 0) << when << "\n" << next.out << next.err;
        for (int i = 0; i < kSlow; ++i) {
            EXPECT_EQ(read("out/s" + std::to_string(i) + ".txt"), "partialdone") << when;
        }
        EXPECT_EQ(withoutStamps(read(".rilk_cache")), withoutStamps(cache)) << when;
        // What the stopped run finished was kept; what it did not was built now.
        const auto third = rilk({"-v", "1"});
        EXPECT_EQ(third.out.find("Cache claimed"), std::string::npos) << when << third.out;
    }
}

TEST_F(InterruptedBuild, SigkillLeavesTheOldCacheOrTheNewOneWhole) {
    // Many records make the save long enough for a kill to land in it.
    writeProject(40);
    ASSERT_EQ(rilk({}).exitCode, 0);
    const std::string oldCache = read(".rilk_cache");
    writeProject(50);
    const auto timed = std::chrono::steady_clock::now();
    ASSERT_EQ(rilk({}).exitCode, 0);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - timed);
    const std::string newCache = read(".rilk_cache");
    ASSERT_NE(oldCache, newCache);

    std::uniform_int_distribution<long> moment(0, took.count() + took.count() / 4);
    for (int round = 0; round < 3; ++round) {
        work.write(".rilk_cache", oldCache);
        touchSources();
        const pid_t pid = start();
        // Some rounds kill at a random moment, one as soon as the save has begun.
        const long delay = round % 2 == 0 ? moment(random) : -1;
        if (delay >= 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        } else {
            waitForSaveToBegin(pid);
        }
        ::kill(pid, SIGKILL);
        wait(pid);
        const std::string after = read(".rilk_cache");
        EXPECT_TRUE(after == oldCache || withoutStamps(after) == withoutStamps(newCache))
            << "killed after " << delay << " ms: " << after.size() << " bytes";
        // The killed run's commands may still be running: the next build must cope.
        const auto next = rilk({});
        EXPECT_EQ(next.exitCode, 0) << next.out << next.err;
        EXPECT_EQ(withoutStamps(read(".rilk_cache")), withoutStamps(newCache));
    }
}

}  // namespace
