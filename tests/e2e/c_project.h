#pragma once

// A small C project built with the machine's gcc: a program linked from main.c and an
// archive of a.c, the layout of the runs that must never leave a wrong program behind.

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>

#include "e2e/rilk_run.h"
#include "support/run_process.h"
#include "support/wait_until.h"

class CProjectRun : public RilkRun {
protected:
    void SetUp() override {
        if (!std::filesystem::exists("/usr/bin/gcc")) GTEST_SKIP() << "no gcc in /usr/bin";
    }

    /// The project: `app` links main.c with the archive of a.c, both compiled with the
    /// profile's DEFS, through the toolchain in `toolchain`.
    void writeProject(const std::string& toolchain = "/usr/bin") const {
        write({{".rilk_project.txt",
                "name repro\ntools {\n    gcc { tool_type = \"gnu-gcc\" toolchain_path = P\"(" +
                    toolchain +
                    ")\" }\n}\nunits { main { \"rilk.txt\" } }\n"
                    "profiles { default { DEFS = [] } }\n"},
               {"rilk.txt",
                "unit main\napp: +lib { C_FILES = P\"(main.c)\" C_DEFINES = DEFS }\n"
                "lib: +objs { OBJS OUTPUT_NAME = \"liba.a\" }\n"
                "objs: { C_FILES = P\"(a.c)\" C_FLAGS = \"-c\" C_DEFINES = DEFS INCLUDE = "
                "P\"(.)\" }\n"},
               {"main.c",
                "#include <stdio.h>\nconst char* what(void);\n"
                "int main(void) { puts(what()); return 0; }\n"}});
        writeA("normal");
    }

    /// a.c answering `text`.
    void writeA(const std::string& text) const {
        write({{"a.c", "const char* what(void) { return \"" + text + "\"; }\n"}});
    }

    /// A toolchain directory `tc/bin` whose gcc runs the machine's and, for a compile while
    /// the file `slow` exists, then notes its process id in `compiled`, waits until the file
    /// `go` exists or `seconds` have passed, and only then dates the objects and dependency
    /// files in its folder, as a long compile that writes them at the end would; g++, ar, ld
    /// and objcopy are the machine's.
    std::string writeSlowToolchain(int seconds) const {
        const std::string steps = std::to_string(seconds * 20);  // of 0.05 s each
        return writeToolchainThatWaits("i=0; while [ ! -e '" + (work.path() / "go").string() +
                                       "' ] && [ $i -lt " + steps +
                                       " ]; do sleep 0.05; i=$((i + 1)); done");
    }

    /// `writeSlowToolchain`, but the compile waits until the file `go` exists.
    std::string writeGatedToolchain() const {
        return writeToolchainThatWaits("while [ ! -f '" + (work.path() / "go").string() +
                                       "' ]; do sleep 0.02; done");
    }

    /// Waits until `file` exists; whether it does (false only when it never comes).
    bool await(const std::string& file) const { return RilkTest::waitForFile(work.path() / file); }

    /// A file's bytes, empty when it cannot be read.
    std::string read(const std::string& relative) const {
        std::ifstream in(work.path() / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    /// What the built program prints, or "(none)" when there is no program.
    std::string programSays() const {
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(work.path() / "out")) {
            if (entry.path().filename() != "app" || !entry.is_regular_file()) continue;
            return RilkTest::runProcess({entry.path().string()}).out;
        }
        return "(none)";
    }

private:
    /// The toolchain of `writeSlowToolchain`, its compiles running `wait` where they wait.
    std::string writeToolchainThatWaits(const std::string& wait) const {
        const std::filesystem::path tc = work.path() / "tc" / "bin";
        write({{"tc/bin/gcc",
                "#!/bin/sh\n/usr/bin/gcc \"$@\" || exit $?\n"
                "case \" $* \" in *\" -c \"*)\n"
                "  if [ -f '" +
                    (work.path() / "slow").string() +
                    "' ]; then\n"
                    "    echo $$ >> '" +
                    (work.path() / "compiled").string() +
                    "'\n"
                    "    " +
                    wait +
                    "\n"
                    "    touch ./*.o ./*.d\n  fi;;\nesac\n"}});
        std::filesystem::permissions(tc / "gcc", std::filesystem::perms::owner_all);
        for (const char* tool : {"g++", "ar", "ld", "objcopy"}) {
            std::filesystem::create_symlink(std::string("/usr/bin/") + tool, tc / tool);
        }
        return tc.string();
    }
};
