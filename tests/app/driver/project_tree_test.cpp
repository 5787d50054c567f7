#include "app/driver/project_tree.h"

#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/run_process.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

/// The unit files found below `top`, as "unit: path" lines relative to `top`, sorted
/// (the directory lists its entries in no fixed order).
std::vector<std::string> foundUnitFiles(const fs::path& top) {
    const fs::path saved = fs::current_path();
    fs::current_path(top);
    Rilk::ProjectTree tree;
    Rilk::findUnitFiles(tree, top, tree);
    fs::current_path(saved);
    std::vector<std::string> lines;
    for (const auto& [unit, files] : tree.unitFiles) {
        for (const fs::path& file : files) lines.push_back(unit.str() + ": " + file.string());
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST(ProjectTree, ReadsTheUnitDeclaredInTheFirstLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"unit core", "core"},
        {"  UNIT\tcore  more", "core"},
        {"unit core{", "core{"},
        {"unit", ""},
        {"units core", ""},
        {"// unit core", ""},
        {"", ""},
        {"build: { }", ""},
    };
    for (const auto& [line, unit] : cases) EXPECT_EQ(Rilk::declaredUnitName(line), unit) << line;
}

TEST(ProjectTree, FindsUnitFilesInEveryDirectoryAndFollowsLinksWithoutLooping) {
    const RilkTest::TempDir dir;
    const fs::path top = dir.path();
    dir.write("rilk.txt", "unit app\n");
    dir.write(".hidden/RILK.TXT", "unit core\n");
    dir.write("lib/Rilk.txt", "unit core\nbuild: { }\n");
    dir.write("lib/other.txt", "unit other\n");
    dir.write("doc/rilk.txt", "// no unit here\nunit late\n");
    fs::create_directory_symlink(".", top / "self");
    fs::create_directory_symlink("..", top / "lib" / "up");
    fs::create_directory_symlink("lib", top / "shared");
    fs::create_symlink("missing", top / "dangling");

    // The linked sibling is searched as well; its files are named through the link's
    // target, as paths relative to the working directory are.
    const std::vector<std::string> expected = {
        ": doc/rilk.txt",     "app: rilk.txt",      "core: .hidden/RILK.TXT",
        "core: lib/Rilk.txt", "core: lib/Rilk.txt",
    };
    EXPECT_EQ(foundUnitFiles(top), expected);
}

TEST(ProjectTree, FilesAnUnreadableUnitFileUnderNoUnitAndSaysSo) {
    const RilkTest::TempDir dir;
    const fs::path file = dir.write("rilk.txt", "unit a\n");
    fs::permissions(file, fs::perms::none);
    fs::permissions(dir.path(),
                    fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    const auto result = RilkTest::runInChild([&] {
        // Even root cannot read it once it has given up its privileges.
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(2);
        }
        Rilk::ProjectTree tree;
        Rilk::findUnitFiles(tree, dir.path(), tree);
        if (tree.unitFiles.size() != 1 || !tree.unitFiles.begin()->first.empty()) _exit(3);
    });
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "unit file not found\n");
}

}  // namespace
