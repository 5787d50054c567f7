#include "tools/probe_cache.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/fake_toolchain.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(ProbeCache, EachProgramFileAnswersEachProbeOnceWhateverNameLeadsToIt) {
    RilkTest::TempDir dir;
    const fs::path log = dir.path() / "log";
    const fs::path gcc = RilkTest::writeFakeCompiler(dir.path() / "a/bin/gcc",
                                                     {"x86_64-linux-gnu", "12.2.0", ""}, log);
    fs::create_directories(dir.path() / "b/bin");
    fs::create_symlink(gcc, dir.path() / "b/bin/cc");
    for (const fs::path& name : {gcc, dir.path() / "b/bin/cc", dir.path() / "a/bin/../bin/gcc"}) {
        EXPECT_EQ(Rilk::probeTool(name, "-dumpmachine").output, "x86_64-linux-gnu");
        EXPECT_EQ(Rilk::probeTool(name, "-dumpfullversion").output, "12.2.0");
    }
    EXPECT_EQ(readFile(log),
              gcc.string() + " -dumpmachine\n" + gcc.string() + " -dumpfullversion\n");
}

}  // namespace
