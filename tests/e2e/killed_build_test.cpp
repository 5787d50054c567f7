// Builds killed outright (SIGKILL to rilk and the commands it runs, as an out-of-memory kill
// or a time-out would) at moments spread over a parallel C build: the next normal run
// leaves every object exactly as a clean build makes it.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>

#include "e2e/rilk_run.h"
#include "support/started_process.h"

namespace {

namespace fs = std::filesystem;

class KilledBuild : public RilkRun {
protected:
    static constexpr int kSources = 32;
    static constexpr int kMoments = 20;
    static constexpr int kFunctions = 4;

    void SetUp() override {
        if (!fs::exists("/usr/bin/gcc")) GTEST_SKIP() << "no gcc in /usr/bin";
    }

    /// A program linked from an archive of `kSources` objects, each with enough code that
    /// its compile takes a while.
    void writeProject() const {
        std::string sources;
        std::string calls;
        std::map<std::string, std::string> files;
        for (int i = 0; i < kSources; ++i) {
            const std::string n = std::to_string(i);
            std::string code = "#include \"shared.h\"\n";
            for (int f = 0; f < kFunctions; ++f) {
                const std::string fn = "f" + n + "_" + std::to_string(f);
                code += "static long " + fn +
                        "(long x) { long s = 0; for (long k = 0; k < x; ++k) "
                        "{ s += (k * " +
                        std::to_string(f + 3) +
                        ") ^ (s >> 3); "
                        "if (s % 7 == 3) s -= k; } return s; }\n";
            }
            code += "long entry" + n + "(long x) { return ";
            for (int f = 0; f < kFunctions; ++f)
                code += "f" + n + "_" + std::to_string(f) + "(x) + ";
            code += "0; }\n";
            files["src/s" + n + ".c"] = code;
            sources += std::string(i == 0 ? "" : ", ") + "P\"(src/s" + n + ".c)\"";
            calls += "    total += entry" + n + "(3);\n";
        }
        files["src/shared.h"] = "#pragma once\n";
        files["src/main.c"] = "#include <stdio.h>\n";
        for (int i = 0; i < kSources; ++i) {
            files["src/main.c"] += "long entry" + std::to_string(i) + "(long);\n";
        }
        files["src/main.c"] += "int main(void) {\n    long total = 0;\n" + calls +
                               "    printf(\"%ld\\n\", total);\n    return 0;\n}\n";
        files[".rilk_project.txt"] =
            "name killed\ntools {\n    gcc { tool_type = \"gnu-gcc\" toolchain_path = "
            "P\"(/usr/bin)\" }\n}\nunits {\n    u { \"rilk.txt\" }\n}\n";
        files["rilk.txt"] =
            "unit u\napp: +archive {\n    C_FILES = P\"(src/main.c)\"\n"
            "    OUTPUT_NAME = \"app\"\n}\narchive: +parts {\n    OBJS\n"
            "    OUTPUT_NAME = \"libparts.a\"\n}\nparts: {\n    C_FILES = [" +
            sources + "]\n    C_FLAGS = \"-O2 -c\"\n    INCLUDE = P\"(src)\"\n}\n";
        write(files);
    }

    /// Every object file below out/, by its path there, with its bytes.
    std::map<std::string, std::string> objects() const {
        std::map<std::string, std::string> found;
        const fs::path out = work.path() / "out";
        if (!fs::exists(out)) return found;
        for (const auto& entry : fs::recursive_directory_iterator(out)) {
            if (entry.path().extension() != ".o") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            found[fs::relative(entry.path(), out).string()] =
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return found;
    }

    /// Makes every source newer than every object, so the next run compiles all again.
    void touchSources() const {
        const auto now = fs::file_time_type::clock::now();
        for (int i = 0; i < kSources; ++i) {
            fs::last_write_time(work.path() / ("src/s" + std::to_string(i) + ".c"), now);
        }
    }

    pid_t startBuild() const {
        std::map<std::string, std::string> environment = userEnvironment();
        return RilkTest::startProcess({RILK_BINARY, "-j", "8"}, work.path(), environment);
    }

    /// The time a full rebuild takes.
    std::chrono::milliseconds timeRebuild() const {
        touchSources();
        const auto start = std::chrono::steady_clock::now();
        const int status = RilkTest::waitExit(startBuild());
        EXPECT_EQ(status, 0);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
    }
};

TEST_F(KilledBuild, NextRunLeavesEveryObjectAsACleanBuildMakesIt) {
    writeProject();
    const auto clean = rilk({"-j", "8"});
    ASSERT_EQ(clean.exitCode, 0) << clean.out << clean.err;
    const std::map<std::string, std::string> expected = objects();
    ASSERT_EQ(expected.size(), static_cast<std::size_t>(kSources));
    const std::chrono::milliseconds took = timeRebuild();

    for (int moment = 0; moment < kMoments; ++moment) {
        const auto delay = took * moment / kMoments;
        SCOPED_TRACE(testing::Message()
                     << "killed after " << delay.count() << " ms of " << took.count());
        touchSources();
        const pid_t pid = startBuild();
        std::this_thread::sleep_for(delay);
        RilkTest::killWithCommands(pid);

        const auto next = rilk({"-j", "8"});
        ASSERT_EQ(next.exitCode, 0) << next.out << next.err;
        const std::map<std::string, std::string> built = objects();
        ASSERT_EQ(built.size(), expected.size());
        for (const auto& [name, bytes] : expected) {
            EXPECT_TRUE(built.at(name) == bytes) << name << " differs from the clean build's";
        }
        EXPECT_FALSE(fs::exists(work.path() / ".rilk_journal"));
    }
    const auto program =
        RilkTest::runProcess({(work.path() / "out/x86_64-linux-gnu/killed/u/app/app").string()});
    EXPECT_EQ(program.exitCode, 0);
}

}  // namespace
