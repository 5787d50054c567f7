#include "app/unit_file_parser.h"

#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "app/rilk_app.h"
#include "support/run_process.h"
#include "support/temp_dir.h"
#include "types/rilk_errors.h"

namespace {

std::string errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Rilk::RilkException& e) {
        return e.message();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "ok";
}

TEST(UnitFileParser, ReadsAFileRelativeToTheProjectRoot) {
    const RilkTest::TempDir dir;
    dir.write("sub/rilk.txt", "unit core\nzeta: { }\nalpha: { }\n");
    RilkApplication app;
    app.projectRoot = dir.path();
    const Rilk::UnitPtr unit = Rilk::parseUnitFile(app, "sub/rilk.txt");
    EXPECT_EQ(unit->name, "core");
    EXPECT_EQ(unit->defaultTarget, "zeta");
    EXPECT_EQ(unit->targets.size(), 2u);
}

TEST(UnitFileParser, FailsOnEveryFaultOfTheFile) {
    const RilkTest::TempDir dir;
    RilkApplication app;
    app.projectRoot = dir.path();
    const std::string root = dir.path().string();
    std::filesystem::create_directory(dir.path() / "folder");
    const struct {
        std::string text;  // empty: no file is written
        std::string file;
        std::string error;
    } cases[] = {
        {"", "missing.txt", "File not found at " + root + "/missing.txt"},
        {"", "folder", "Unable to open file!"},
        {"a: { x = 1 }\n~\n", "stray.txt",
         root + "/stray.txt Parsing failed due to syntax errors."},
        {"a: { x = }", "syntax.txt", root + "/syntax.txt Parsing failed due to syntax errors."},
        {"a: { }\nA: { }", "twice.txt", "Key already exists: a"},
    };
    for (const auto& c : cases) {
        if (!c.text.empty()) dir.write(c.file, c.text);
        // The runtime prints the parse errors on standard error; keep them out of the log.
        const auto result = RilkTest::runInChild(
            [&] { std::printf("%s", errorOf([&] { Rilk::parseUnitFile(app, c.file); }).c_str()); });
        EXPECT_EQ(result.out, c.error) << c.file;
    }
    EXPECT_EQ(errorOf([&] { Rilk::visitUnitTree(nullptr, dir.path(), "x"); }),
              "Unable to parse unit file.");
}

}  // namespace
