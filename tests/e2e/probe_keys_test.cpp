// Compiler probe answers kept across runs belong to the path a compiler was invoked by and
// to the state of the directories around it.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "e2e/rilk_run.h"
#include "tools/fake_toolchain.h"
#include "support/temp_dir.h"

namespace {

using RilkTest::readFile;

namespace fs = std::filesystem;

class ProbeKeys : public RilkRun {
protected:
    /// Tools of a toolchain directory besides its compilers that pass every call to the
    /// machine's.
    void passThroughTools(const fs::path& bin) const {
        for (const std::string tool : {"ar", "ld", "objcopy"}) {
            RilkTest::writeScript(bin / tool, "exec /usr/bin/" + tool + " \"$@\"\n");
        }
    }

    const fs::path log = work.path() / "probes.log";
};

TEST_F(ProbeKeys, TwoMasqueradeLinksToOneClientGetTheirOwnAnswers) {
    if (!fs::exists("/usr/bin/gcc")) GTEST_SKIP() << "no gcc in /usr/bin";
    // One multi-call client that answers by the name it is called: the triplet of the
    // directory its link is in.
    const fs::path client =
        RilkTest::writeScript(work.path() / "client/multi",
                              "echo \"$0 $1\" >> '" + log.string() +
                                  "'\ncase \"$1\" in\n"
                                  "-dumpmachine) case \"$0\" in */arm/*) echo arm-linux-gnueabi ;; "
                                  "*) echo x86_64-linux-gnu ;; esac ;;\n"
                                  "-dumpfullversion) echo 12.2.0 ;;\n-dumpversion) echo 12 ;;\n"
                                  "*) exec /usr/bin/gcc \"$@\" ;;\nesac\n");
    for (const char* name : {"x86", "arm"}) {
        const fs::path bin = work.path() / name / "bin";
        passThroughTools(bin);
        fs::create_symlink(client, bin / "gcc");
        fs::create_symlink(client, bin / "g++");
    }
    write({{"rilk.txt", "unit u\nparts: { C_FLAGS = \"-c\" C_FILES = P\"(a.c)\" }\n"},
           {"a.c", "int a(void) { return 1; }\n"}});
    for (const char* name : {"x86", "arm", "x86"}) {
        write({{".rilk_project.txt",
                std::string("name w tools { tc { tool_type = \"gnu-gcc\" toolchain_path = "
                            "P\"(") +
                    name + ")\" } } units { u { \"rilk.txt\" } }"}});
        const auto result = rilk({});
        ASSERT_EQ(result.exitCode, 0) << name << "\n" << result.out << result.err;
        const std::string triplet =
            std::string(name) == "arm" ? "arm-linux-gnueabi" : "x86_64-linux-gnu";
        EXPECT_TRUE(fs::exists(work.path() / "out" / triplet / "w/u/parts/a.o")) << name;
    }
    const std::string probes = readFile(log);
    EXPECT_NE(probes.find("/x86/bin/gcc -dumpmachine"), std::string::npos) << probes;
    EXPECT_NE(probes.find("/arm/bin/gcc -dumpmachine"), std::string::npos) << probes;
    EXPECT_EQ(probes.find("/x86/bin/gcc -dumpmachine"), probes.rfind("/x86/bin/gcc -dumpmachine"))
        << "the first link's answers are kept for it\n"
        << probes;
}

TEST_F(ProbeKeys, ACompilerUpgradedInPlaceBehindAWrapperIsProbedAgain) {
    // tc/bin/gcc links to a compiler-cache-like client, which forwards to the compiler
    // installed beside it; an upgrade replaces that compiler and leaves the client alone.
    const fs::path tools = work.path() / "tools";
    RilkTest::writeFakeCompiler(tools / "gcc-real", {"x86_64-linux-gnu", "12.2.0", ""}, log);
    const fs::path client = RilkTest::writeScript(
        tools / "cc-client", "exec '" + (tools / "gcc-real").string() + "' \"$@\"\n");
    const fs::path bin = work.path() / "tc/bin";
    passThroughTools(bin);
    fs::create_symlink(client, bin / "gcc");
    fs::create_symlink(client, bin / "g++");
    home.write(".config/rilk/.rilk_registry.txt",
               "tools { tc { tool_type = \"gnu-gcc\" toolchain_path = P\"(" +
                   (work.path() / "tc").string() + ")\" } }\n");
    write({{"in.txt", "x\n"},
           {"rilk.txt",
            "unit u\nall: copy { NO_TOOL = 1 }\n"
            "copy: { cmdline = \"cp in.txt out.txt\" ^out = P\"(out.txt)\" }\n"}});
    ASSERT_EQ(rilk({}).exitCode, 0);
    const std::string first = readFile(log);
    ASSERT_NE(first.find("-dumpfullversion"), std::string::npos) << first;
    ASSERT_EQ(rilk({}).exitCode, 0);
    EXPECT_EQ(readFile(log), first) << "kept answers: no probe runs";

    // The package manager's way: the new file is written beside the old and renamed over it.
    RilkTest::writeFakeCompiler(tools / "gcc-real.new", {"x86_64-linux-gnu", "13.1.0", ""}, log);
    fs::rename(tools / "gcc-real.new", tools / "gcc-real");
    ASSERT_EQ(rilk({}).exitCode, 0);
    const std::string again = readFile(log);
    EXPECT_EQ(again.size(), 2 * first.size()) << again;
    ASSERT_EQ(rilk({}).exitCode, 0);
    EXPECT_EQ(readFile(log), again) << "the new answers are kept";
}

}  // namespace
