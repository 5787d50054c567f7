// Builds of C3 targets with the real rilk binary and the stand-in compiler of the C3 tests:
// the compiler chosen, its command line and directory, the build cache, registration errors.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/rilk_run.h"
#include "tools/c3/fake_c3c.h"

namespace {

namespace fs = std::filesystem;

const char* const kUnit =
    "unit u\n"
    "app: { C3_FILES = P\"(src/main.c3)\" OUTPUT_NAME = \"hello\" }\n";

/// A project whose tool "c3" is the newest stand-in below c3/; the stand-ins log to c3.log.
class C3Build : public RilkRun {
protected:
    void SetUp() override {
        write({{".rilk_project.txt", project("toolchain_path = P\"(c3)\"")},
               {"rilk.txt", kUnit},
               {"src/main.c3", "fn void main() {}\n"}});
        RilkTest::writeFakeC3c(work.path() / "c3/bin/c3c", "C3 Compiler Version: 0.6.1");
        RilkTest::writeFakeC3c(work.path() / "c3/nightly/c3c", "C3 Compiler Version: 0.6.8");
    }

    static std::string project(const std::string& toolVariables) {
        return "name demo tools { c3 { tool_type = \"c3c\" " + toolVariables +
               " } } units { u { \"rilk.txt\" } }";
    }

    RilkTest::ProcessResult build(const std::vector<std::string>& args = {}) const {
        return RilkTest::runRilk(
            args, {.workingDirectory = work.path(),
                   .environment = {{"HOME", home.path().string()}, {"FAKE_C3C_LOG", log()}}});
    }

    std::string log() const { return (work.path() / "c3.log").string(); }

    /// Dates the source `seconds` before now.
    void ageSource(int seconds) const {
        fs::last_write_time(work.path() / "src/main.c3",
                            fs::file_time_type::clock::now() - std::chrono::seconds(seconds));
    }

    std::string read(const std::string& relative) const {
        std::ifstream in(work.path() / relative, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

TEST_F(C3Build, BuildsWithTheNewestCompilerInItsOwnOutputDirectory) {
    const auto result = build();
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const auto calls = RilkTest::readFakeC3cLog(log());
    ASSERT_EQ(calls.size(), 1u) << result.out;
    const fs::path output = fs::canonical(work.path()) / "out/c3c-0.6.8/demo/u/app";
    EXPECT_EQ(calls[0].workingDirectory, output.string());
    EXPECT_EQ(calls[0].arguments,
              (std::vector<std::string>{"-o", "hello", "compile", dir() + "/src/main.c3"}));
    EXPECT_EQ(calls[0].path.rfind((work.path() / "c3/nightly").string() + ":", 0), 0u)
        << calls[0].path;
    EXPECT_TRUE(fs::is_regular_file(output / "hello"));
}

TEST_F(C3Build, ASecondRunIsACacheHitUntilTheSourceChanges) {
    ageSource(100);
    const auto first = build({"-o", "first.txt"});
    ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
    ASSERT_EQ(RilkTest::readFakeC3cLog(log()).size(), 1u) << first.out;

    const auto second = build({"-v", "1", "-o", "second.txt"});
    EXPECT_EQ(second.exitCode, 0) << second.out << second.err;
    EXPECT_NE(second.out.find("Cache hit for 'u::app'.\n"), std::string::npos) << second.out;
    EXPECT_EQ(RilkTest::readFakeC3cLog(log()).size(), 1u) << second.out;
    EXPECT_EQ(read("second.txt"), read("first.txt"));
    EXPECT_NE(read("first.txt").find("out/c3c-0.6.8/demo/u/app/hello"), std::string::npos)
        << read("first.txt");

    ageSource(-100);
    const auto edited = build();
    EXPECT_EQ(edited.exitCode, 0) << edited.out << edited.err;
    EXPECT_EQ(RilkTest::readFakeC3cLog(log()).size(), 2u) << edited.out;
}

// Each list element is one argument with its prefix, blanks and all; a string alone is words.
TEST_F(C3Build, EachListElementIsOneArgument) {
    write({{"rilk.txt",
            "unit u\napp: { C3_FILES = P\"(src/main.c3)\" OUTPUT_NAME = \"hello\"\n"
            "  C3C_FLAGS = [R\"(--name=\"a  b\")\", \"-O1 -g\"]  LINK_FLAGS = [\"x y\"] }\n"}});
    const auto result = build();
    ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    const auto calls = RilkTest::readFakeC3cLog(log());
    ASSERT_EQ(calls.size(), 1u) << result.out;
    EXPECT_EQ(calls[0].arguments,
              (std::vector<std::string>{"--name=a  b", "-O1", "-g", "-o", "hello", "-z", "x y",
                                        "compile", dir() + "/src/main.c3"}));
}

TEST_F(C3Build, AToolThatFindsNoCompilerIsReportedAndNotUsed) {
    const std::pair<std::string, std::string> cases[] = {
        {"toolchain_version = \"0.7\"", "C3Matcher requires want variable 'toolchain_path'.\n"},
        {"toolchain_path = P\"(c3)\" toolchain_version = \"0.7\"",
         "Couldn't find C3 toolchain from provided 'wants' variables.\n"},
    };
    for (const auto& [variables, message] : cases) {
        write({{".rilk_project.txt", project(variables)}});
        const auto result = build();
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.out.find(message + "Unable to create Project demo tool 'c3c' for "
                                            "'demo/c3'.\n"),
                  std::string::npos)
            << result.out;
        EXPECT_NE(result.out.find("Error: No tool to build u::app. No tool knows any of its "
                                  "variables. No tool is registered but the built-in ones: "
                                  "`rilk --find-compilers` registers the machine's compilers. "
                                  "Run with -v 0 to see each tool's answer.\n"),
                  std::string::npos)
            << result.out;
        EXPECT_FALSE(fs::exists(log()));
    }
}

TEST_F(C3Build, ATargetTheCompilerCannotBuildIsToldWhy) {
    const std::string noTool =
        "Error: No tool to build u::app. The nearest tool, 'demo/c3', "
        "cannot build it: ";
    const std::pair<std::string, std::string> cases[] = {
        {"C3_FILES = P\"(src/main.c3)\" toolchain_version = \"0.6.1\"",
         "its toolchain (c3c, version 0.6.8) is not of the toolchain_version \"0.6.1\" that the "
         "target asks for."},
        {"C3_FILES = P\"(src/main.c3)\" toolchain_min_version = \"0.7\"",
         "its toolchain (c3c, version 0.6.8) is older than the toolchain_min_version \"0.7\" "
         "that the target asks for."},
        {"^C3_FILES = P\"(src/main.c3)\"",
         "'c3c' needs C3_FILES, C3C_FILES or C3_TEST_FILES (the target has C3_FILES only as "
         "output variable)."},
    };
    for (const auto& [variables, reason] : cases) {
        write({{"rilk.txt", "unit u\napp: { " + variables + " }\n"}});
        const auto result = build();
        EXPECT_EQ(result.exitCode, 1) << variables;
        EXPECT_NE(result.out.find(noTool + reason), std::string::npos) << result.out;
    }
}

}  // namespace
