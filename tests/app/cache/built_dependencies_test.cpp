#include "app/cache/built_dependencies.h"

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "types/rilk_path_string.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

TEST(BuiltDependencies, NamesEveryFileButEachRulesSourceOnceAndInFull) {
    const std::vector<DependencyRule> rules = {
        {{"a.o"}, {"../src/a.c", "../inc/x.h", "/usr/local/include/y.h"}},
        {{"b.o"}, {"/p/src/b.c", "/p/inc/x.h", "./z.h"}},
        {{"x.h"}, {}},
    };
    // "-MD" names each rule's source first; SUNPRO_DEPENDENCIES names only the files read.
    EXPECT_EQ(filesReadByCompile(rules, "/p/out", true),
              (std::vector<std::string>{"/p/inc/x.h", "/p/out/z.h", "/usr/local/include/y.h"}));
    EXPECT_EQ(filesReadByCompile(rules, "/p/out", false),
              (std::vector<std::string>{"/p/inc/x.h", "/p/out/z.h", "/p/src/a.c", "/p/src/b.c",
                                        "/usr/local/include/y.h"}));
}

TEST(BuiltDependencies, AFileNamedForTheItemIsReadWhateverItsOutputs) {
    RilkTest::TempDir dir;
    // As SUNPRO_DEPENDENCIES has the compiler write it: no rule names its source.
    dir.write("app.d", "a.o: /usr/include/stdc-predef.h x.h\nb.o: y.h\n");
    WorkItem item;
    item.dependencyFiles = DependencyFiles::named(dir.path() / "app.d", "/w");
    const FilesRead read = readBuiltDependencies(item);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, (std::vector<std::string>{"/usr/include/stdc-predef.h", "/w/x.h", "/w/y.h"}));
}

TEST(BuiltDependencies, ReadsTheItemsDependencyFilesOrNothing) {
    RilkTest::TempDir dir;
    dir.write("a.d", "a.o: a.c a.h\n");
    dir.write("b.d", "b.o: b.c \\\n b\\ 1.h\n");
    dir.write("bad.d", "no rule here\n");
    dir.write("empty.d", "");
    fs::create_directory(dir.path() / "dir.d");
    ASSERT_EQ(::mkfifo((dir.path() / "fifo.d").c_str(), 0600), 0);
    const struct {
        const char* label;
        std::vector<std::string> files;
        std::optional<std::vector<std::string>> read;
    } cases[] = {
        {"two files", {"a.d", "b.d"}, std::vector<std::string>{"a.h", "b 1.h"}},
        {"an empty file (assembly)", {"empty.d"}, std::vector<std::string>()},
        {"none", {}, std::nullopt},
        {"missing", {"a.d", "gone.d"}, std::nullopt},
        {"not a rule", {"bad.d"}, std::nullopt},
        {"a directory", {"dir.d"}, std::nullopt},
        {"a FIFO is not waited on", {"fifo.d"}, std::nullopt},
    };
    for (const auto& c : cases) {
        // Each output's dependency file is the output's name with ".d".
        WorkItem item;
        for (const std::string& file : c.files) {
            item.outputs.emplace_back(
                "OBJ", makePathString(fs::path(file).replace_extension(".o").string(), dir.path()),
                AssignType::Set, AssignModifier::Up);
        }
        if (!c.files.empty()) item.dependencyFiles = DependencyFiles::besideOutputs(dir.path());
        std::optional<std::vector<std::string>> expected = c.read;
        if (expected) {
            for (std::string& file : *expected) file = (dir.path() / file).string();
        }
        const FilesRead read = readBuiltDependencies(item);
        EXPECT_EQ(read ? std::optional(*read) : std::nullopt, expected) << c.label;
    }
}

}  // namespace
}  // namespace Rilk
