// A C project built through the distcc toolchain directory of examples/distributed against
// two distccd daemons on the loopback address: every compile is sent to a daemon, a build
// with nothing to do sends none, and a touched source is compiled remotely again.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"
#include "support/started_process.h"
#include "support/temp_dir.h"
#include "support/wait_until.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kDistcc = "/usr/bin/distcc";
const fs::path kDistccd = "/usr/bin/distccd";

/// A TCP port on 127.0.0.1 that nothing listens on now; 0 when none can be had.
int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

/// Whether something accepts connections on 127.0.0.1:`port`.
bool accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

using RilkTest::readFile;

/// One distccd on 127.0.0.1, logging every job to a file; stopped by its process id.
struct Daemon {
    int port = 0;
    pid_t pid = -1;
    fs::path log;
};

class DistributedBuild : public RilkRun {
protected:
    static constexpr int kSources = 6;

    void SetUp() override {
        for (const fs::path& program : {kDistcc, kDistccd, fs::path("/usr/bin/gcc")}) {
            if (!fs::exists(program)) {
                GTEST_SKIP() << program.string()
                             << " is not installed (scripts/install-deps.sh installs distcc)";
            }
        }
        for (int i = 0; i < 2; ++i) {
            Daemon daemon;
            daemon.port = freePort();
            daemon.log = home.path() / ("distccd" + std::to_string(i) + ".log");
            if (daemon.port == 0) GTEST_SKIP() << "no free TCP port on 127.0.0.1";
            daemon.pid = RilkTest::startProcess(
                {kDistccd.string(), "--daemon", "--no-detach", "--listen", "127.0.0.1", "--port",
                 std::to_string(daemon.port), "--allow", "127.0.0.1", "--jobs", "2", "--log-stderr",
                 "--log-level", "info"},
                home.path(), {}, daemon.log);
            daemons.push_back(daemon);
            if (!RilkTest::waitUntil([&] { return accepts(daemon.port); })) {
                GTEST_SKIP() << "distccd cannot serve on 127.0.0.1:" << daemon.port << ": "
                             << readFile(daemon.log);
            }
        }
    }

    void TearDown() override {
        for (const Daemon& daemon : daemons) {
            ::kill(daemon.pid, SIGTERM);
            RilkTest::waitExit(daemon.pid);
        }
    }

    /// The environment of a build: the daemons as the only hosts, no local fallback.
    std::map<std::string, std::string> distccEnvironment() const {
        std::map<std::string, std::string> environment = userEnvironment();
        std::string hosts;
        for (const Daemon& daemon : daemons) {
            hosts += "127.0.0.1:" + std::to_string(daemon.port) + "/2 ";
        }
        environment["DISTCC_HOSTS"] = hosts;
        environment["DISTCC_FALLBACK"] = "0";
        return environment;
    }

    RilkTest::ProcessResult build() const {
        return RilkTest::runRilk(
            {"-j", "4"}, {.workingDirectory = work.path(), .environment = distccEnvironment()});
    }

    /// The sources the daemons have compiled, one entry per compile, in log order.
    std::vector<std::string> remoteCompiles() const {
        std::vector<std::string> compiled;
        for (const Daemon& daemon : daemons) {
            std::ifstream in(daemon.log);
            for (std::string line; std::getline(in, line);) {
                if (line.find("COMPILE_OK") == std::string::npos) continue;
                compiled.push_back(fs::path(line.substr(line.rfind(' ') + 1)).filename());
            }
        }
        return compiled;
    }

    /// Waits until the daemons have logged `count` compiles (a daemon logs a job just after
    /// it has answered); returns them.
    std::vector<std::string> awaitRemoteCompiles(std::size_t count) const {
        RilkTest::waitUntil([&] { return remoteCompiles().size() >= count; });
        return remoteCompiles();
    }

    /// The sources that the compile commands a run printed name, one per compile it sent:
    /// what the daemons log, and no more, once they have logged that run's jobs.
    static std::size_t compilesSent(const std::string& out) {
        std::size_t sources = 0;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) {
            if (line.find(" -c ") == std::string::npos) continue;
            for (std::size_t at = line.find(".c\""); at != std::string::npos;
                 at = line.find(".c\"", at + 1)) {
                ++sources;
            }
        }
        return sources;
    }

    std::vector<Daemon> daemons;
};

TEST_F(DistributedBuild, EveryCompileGoesToADaemonAndANoOpSendsNone) {
    const auto toolchain = RilkTest::runProcess(
        {RILK_SOURCE_DIR "/examples/distributed/make-toolchain-dir", home.path().string()});
    ASSERT_EQ(toolchain.exitCode, 0) << toolchain.err;
    std::string sources;
    std::string calls;
    std::map<std::string, std::string> files;
    for (int i = 0; i < kSources; ++i) {
        const std::string n = std::to_string(i);
        files["src/part" + n + ".c"] = "int part" + n + "(void) { return " + n + "; }\n";
        sources += "P\"(src/part" + n + ".c)\", ";
        calls += " + part" + n + "()";
    }
    files["src/main.c"] = "#include <stdio.h>\n";
    for (int i = 0; i < kSources; ++i) {
        files["src/main.c"] += "int part" + std::to_string(i) + "(void);\n";
    }
    files["src/main.c"] += "int main(void) { printf(\"%d\\n\", 0" + calls + "); return 0; }\n";
    files[".rilk_project.txt"] =
        "name dist\ntools {\n    distributed {\n"
        "        tool_type = \"gnu-gcc\"\n        toolchain_path = P\"(" +
        (home.path() / "bin").string() + ")\"\n    }\n}\nunits {\n    u { \"rilk.txt\" }\n}\n";
    // Every source is compiled on its own ("-c"); the program is linked from the objects.
    files["rilk.txt"] =
        "unit u\napp: +parts {\n    OBJS\n    OUTPUT_NAME = \"app\"\n}\n"
        "parts: {\n    C_FILES = [" +
        sources + "P\"(src/main.c)\"]\n    C_FLAGS = \"-O2 -c\"\n}\n";
    write(files);

    const auto first = build();
    ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
    ASSERT_EQ(compilesSent(first.out), static_cast<std::size_t>(kSources + 1)) << first.out;
    std::vector<std::string> compiled = awaitRemoteCompiles(kSources + 1);
    std::sort(compiled.begin(), compiled.end());
    std::vector<std::string> expected;
    for (int i = 0; i < kSources; ++i) expected.push_back("part" + std::to_string(i) + ".c");
    expected.insert(expected.begin(), "main.c");
    EXPECT_EQ(compiled, expected) << first.out;

    const auto noOp = build();
    ASSERT_EQ(noOp.exitCode, 0) << noOp.out << noOp.err;
    EXPECT_EQ(compilesSent(noOp.out), 0u) << noOp.out;
    EXPECT_EQ(remoteCompiles().size(), static_cast<std::size_t>(kSources + 1)) << noOp.out;

    fs::last_write_time(work.path() / "src/part3.c",
                        fs::last_write_time(work.path() / "src/part3.c") + 2s);
    const auto touched = build();
    ASSERT_EQ(touched.exitCode, 0) << touched.out << touched.err;
    EXPECT_EQ(compilesSent(touched.out), 1u) << touched.out;
    compiled = awaitRemoteCompiles(kSources + 2);
    ASSERT_EQ(compiled.size(), static_cast<std::size_t>(kSources + 2)) << touched.out;
    EXPECT_EQ(std::count(compiled.begin(), compiled.end(), "part3.c"), 2);

    const auto program =
        RilkTest::runProcess({(work.path() / "out/x86_64-linux-gnu/dist/u/app/app").string()});
    EXPECT_EQ(program.out, "15\n");
}

}  // namespace
