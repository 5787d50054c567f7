#include <fmt/format.h>
#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/gnu/gnu_ar.h"
#include "tools/gnu/gnu_ld.h"
#include "tools/gnu/gnu_objcopy.h"
#include "tools/gnu/gnu_test_support.h"
#include "util/logger.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;
using namespace RilkTest;

class GnuArchiveLinkCopyTest : public ::testing::Test {
protected:
    GnuArchiveLinkCopyTest() { verbosity = 6; }
    ~GnuArchiveLinkCopyTest() override { verbosity = savedVerbosity; }

    DrivenBuild build(Builder& tool, std::vector<Assignment> variables,
                      const std::string& name = "core") {
        variables.push_back(var("PROJECT_ROOT", str(root.string())));
        return driveBuild(tool, *makeTarget(variables, name));
    }
    /// The command with the output directory written as <out>, then every planned output
    /// and every collected output (paths in full).
    std::string describe(const DrivenBuild& built) const {
        std::string text = built.recipes.at(0).command;
        for (const Assignment& output : built.plan.workItems.at(0).outputs) {
            text += " | " + output.name + "=" + describeValue(output.value);
        }
        text += " |";
        for (const auto& [name, output] : built.outputs.at(0).assignments) {
            text += " " + output.name + "=" + describeValue(output.value);
        }
        std::string::size_type at;
        while ((at = text.find(out.string())) != std::string::npos) {
            text.replace(at, out.string().size(), "<out>");
        }
        return text;
    }
    static std::string describeValue(const RilkValuePtr& value) {
        const auto* path = dynamic_cast<const RilkPathString*>(value.get());
        return path ? path->fullPath().string() : value->toString();
    }

    const int savedVerbosity = verbosity;
    TempDir temp;
    const fs::path root = temp.path() / "project";
    const fs::path out = root / "x86_64-linux-gnu/main/core";
    const CompilerInfo toolchain = toolchainIn("/tc/bin");
    GNU_AR ar{gnuArTables(), toolchain, "/tc/bin/ar"};
    GNU_LD ld{gnuLdTables(), toolchain, "/tc/bin/ld"};
    GNU_OBJCOPY objcopy{gnuObjcopyTables(), toolchain, "/tc/bin/objcopy"};
};

TEST_F(GnuArchiveLinkCopyTest, CommandsAndOutputsNameTheSameFile) {
    const std::tuple<Builder*, std::vector<Assignment>, std::string> cases[] = {
        {&ar,
         {var("OBJS", list({"a.o", "b c.o"}, true))},
         R"("/tc/bin/ar" rcs "core" "a.o" "b c.o" | LIB=<out>/core | LIB_NAME=core |)"
         " lib=<out>/core lib_name=core"},
        {&ar,
         {var("OBJS", str("a.o")), var("OUTPUT_NAME", str(""))},
         R"("/tc/bin/ar" rcs "core.a" "a.o" | LIB=<out>/core.a | LIB_NAME=core.a |)"
         " lib=<out>/core.a lib_name=core.a"},
        {&ar,
         {var("OBJS", str("a.o")), var("OUTPUT_NAME", str("lib/libcore.a"))},
         R"("/tc/bin/ar" rcs "lib/libcore.a" "a.o" | LIB=<out>/lib/libcore.a |)"
         " LIB_NAME=libcore.a | lib=<out>/lib/libcore.a lib_name=libcore.a"},
        // A name that starts with "-" must not be taken for an option.
        {&ar,
         {var("OBJS", str("a.o")), var("OUTPUT_NAME", str("-v.a"))},
         R"("/tc/bin/ar" rcs "./-v.a" "a.o" | LIB=<out>/-v.a | LIB_NAME=-v.a |)"
         " lib=<out>/-v.a lib_name=-v.a"},
        {&ld,
         {var("OBJS", str("a.o")), var("SO", nullptr), var("KO", nullptr)},
         R"("/tc/bin/ld" "a.o" -shared  -o "core" | BINARY=<out>/core |)"
         " BINARY_NAME=core | SO=<out>/core | SO_NAME=core | binary=<out>/core"
         " binary_name=core so=<out>/core so_name=core"},
        {&ld,
         {var("OBJS", str("a.o")), var("SHARED", nullptr), var("OUTPUT_NAME", str(""))},
         R"("/tc/bin/ld" "a.o" -shared  -o "core.so" | BINARY=<out>/core.so |)"
         " BINARY_NAME=core.so | SO=<out>/core.so | SO_NAME=core.so | binary=<out>/core.so"
         " binary_name=core.so so=<out>/core.so so_name=core.so"},
        {&ld,
         {var("OBJS", str("a.o")), var("KO", nullptr), var("LIB", list({"-lx", "/l y/l.a"}, true)),
          var("LIBPATH", str("/l")), var("LINK_FLAGS", list({"-static", "--gc-sections"})),
          var("LD_SCRIPT", str("k.ld"))},
         R"("/tc/bin/ld" "a.o" "-lx" "/l y/l.a" -L"/l" "-static" "--gc-sections" -T"k.ld")"
         R"( -o "core" | BINARY=<out>/core | BINARY_NAME=core |)"
         " binary=<out>/core binary_name=core"},
        // A list's one element is one argument, blanks and all; a string alone is words.
        {&ld,
         {var("OBJS", str("a.o")), var("LIB", list({"/l y/l.a"})),
          var("LINK_FLAGS", list({"-Map=a b.txt"})), var("OUTPUT_NAME", str("x"))},
         R"("/tc/bin/ld" "a.o" "/l y/l.a" "-Map=a b.txt" -o "x" | BINARY=<out>/x |)"
         " BINARY_NAME=x | binary=<out>/x binary_name=x"},
        {&objcopy,
         {var("INPUT", str("app.elf")), var("OBJCOPY_FLAGS", list({"-R  .a", "-R .b"})),
          var("OUTPUT_NAME", str("x"))},
         R"("/tc/bin/objcopy" -R  .a -R .b "app.elf" "x" | OUTPUT=<out>/x | OUTPUT_NAME=x |)"
         " output=<out>/x output_name=x"},
        {&ld,
         {var("OBJS", str("a.o")), var("OUTPUT_NAME", nullptr)},
         R"("/tc/bin/ld" "a.o" -o "core" | BINARY=<out>/core | BINARY_NAME=core |)"
         " binary=<out>/core binary_name=core"},
        {&ld,
         {var("OBJS", str("a.o")), var("KO", nullptr), var("OUTPUT_NAME", str(""))},
         R"("/tc/bin/ld" "a.o" -o "core.ko" | BINARY=<out>/core.ko | BINARY_NAME=core.ko |)"
         " binary=<out>/core.ko binary_name=core.ko"},
        {&objcopy,
         {var("INPUT", str("app.elf")), var("OBJCOPY_FLAGS", str("-O binary")),
          var("OUTPUT_NAME", str("app.bin"))},
         R"("/tc/bin/objcopy" -O binary "app.elf" "app.bin" | OUTPUT=<out>/app.bin |)"
         " OUTPUT_NAME=app.bin | output=<out>/app.bin output_name=app.bin"},
        {&objcopy,
         {var("INPUT", str("app.elf")), var("OUTPUT_NAME", str(""))},
         R"("/tc/bin/objcopy" "app.elf" "core" | OUTPUT=<out>/core | OUTPUT_NAME=core |)"
         " output=<out>/core output_name=core"},
        {&objcopy,
         {var("INPUT", str("app.elf")), var("OUTPUT_NAME", str("-O"))},
         R"("/tc/bin/objcopy" "app.elf" "./-O" | OUTPUT=<out>/-O | OUTPUT_NAME=-O |)"
         " output=<out>/-O output_name=-O"},
    };
    for (const auto& [tool, variables, expected] : cases) {
        const DrivenBuild built = build(*tool, variables);
        EXPECT_EQ(describe(built), expected);
        EXPECT_EQ(built.recipes.at(0).workingDirectory, out);
        EXPECT_EQ(built.recipes.at(0).pathDirectories, std::vector<fs::path>{"/tc/bin"});
        EXPECT_EQ(built.plan.maxParallelJobs, 1u);
    }
    EXPECT_TRUE(fs::is_directory(out / "lib"));
}

TEST_F(GnuArchiveLinkCopyTest, TheOldArchiveIsRemovedBeforeTheJobRuns) {
    temp.write("project/x86_64-linux-gnu/main/core/core", "stale members");
    build(ar, {var("OBJS", str("a.o"))});
    EXPECT_FALSE(fs::exists(out / "core"));
}

TEST_F(GnuArchiveLinkCopyTest, MatchSubjectsAndTheArchiveNameBonus) {
    // Variables, whether AR, LD and OBJCOPY can build the target, AR's kind for OUTPUT_NAME.
    const std::tuple<std::vector<Assignment>, bool, bool, bool, int> cases[] = {
        {{var("OBJS", str("a.o")), var("OUTPUT_NAME", str("libcore.a"))}, true, true, false, 2},
        {{var("OBJS", str("a.o")), var("OUTPUT_NAME", str("libcore.A"))}, true, true, false, 1},
        {{var("OBJS", str("a.o")), var("OUTPUT_NAME", str("libcore"))}, true, true, false, 1},
        {{var("OUTPUT_NAME", str("libcore.a"), AssignModifier::Up)}, false, false, false, 0},
        {{var("OBJS", str("a.o"), AssignModifier::Up)}, false, false, false, -1},
        {{var("INPUT", str("a.elf"))}, false, false, true, -1},
    };
    for (const auto& [variables, byAr, byLd, byObjcopy, kind] : cases) {
        const auto target = makeTarget(variables);
        const MatchResult result = ar.selectMatchSubject(*target);
        EXPECT_EQ(result.status == BuildPossible, byAr);
        EXPECT_EQ(ld.selectMatchSubject(*target).status == BuildPossible, byLd);
        EXPECT_EQ(objcopy.selectMatchSubject(*target).status == BuildPossible, byObjcopy);
        const auto usage = result.variables.find("OUTPUT_NAME");
        EXPECT_EQ(usage == result.variables.end() ? -1 : int(usage->second.kind), kind);
    }
}

TEST_F(GnuArchiveLinkCopyTest, ToolNameAndIdentity) {
    EXPECT_EQ(ar.name(), "ar");
    EXPECT_EQ(GNU_AR(gnuArTables(), toolchain, "/opt/tc/bin/gcc.exe").name(), "gcc.exe");
    CompilerInfo bare = toolchain;
    bare.binDir.clear();
    bare.arch = "arm";
    bare.os.clear();
    bare.abi.clear();
    GNU_OBJCOPY copier{gnuObjcopyTables(), bare, "objcopy"};
    const DrivenBuild built = build(copier, {var("INPUT", str("x"))});
    EXPECT_TRUE(built.recipes.at(0).pathDirectories.empty());
    EXPECT_EQ(built.recipes.at(0).workingDirectory, root / "arm--/main/core");
}

}  // namespace
}  // namespace Rilk
