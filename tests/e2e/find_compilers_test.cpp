#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "e2e/rilk_run.h"

namespace {

namespace fs = std::filesystem;

class FindCompilers : public RilkRun {
protected:
    fs::path registryFile() const { return home.path() / ".config/rilk/.rilk_registry.txt"; }
    std::string registryText() const {
        std::ifstream in(registryFile(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(FindCompilers, RecordsThisMachinesGccBesideTheRegisteredEntries) {
    if (!fs::exists("/usr/bin/gcc-12")) GTEST_SKIP() << "no /usr/bin/gcc-12 on this machine";
    const std::string version = RilkTest::runProcess({"/usr/bin/gcc-12", "-dumpfullversion"}).out;
    const std::string name = "default_gnu_x86_64_" + version.substr(0, version.find('\n'));
    std::string key = name;
    for (char& c : key) c = c == '.' ? '_' : static_cast<char>(std::toupper(c));
    home.write(".config/rilk/.rilk_registry.txt",
               "projects { demo \"/d/.rilk_project.txt\" }\n"
               "tools { " +
                   key + " { tool_type = \"command\" } }\n");

    const auto result = rilk({"--find-compilers"});
    EXPECT_EQ(result.out, "Updated file '" + registryFile().string() + "'.\n");
    EXPECT_EQ(result.exitCode, 0);
    const std::string text = registryText();
    EXPECT_EQ(text.rfind("projects {\n  demo \"/d/.rilk_project.txt\"\n}\n\ntools {\n", 0), 0U)
        << text;
    // The stored tool keeps the spelling of the entry it replaced.
    const std::string entry = "  " + key +
                              " {\n    tool_type = \"gnu-gcc\"\n"
                              "    toolchain_version = \"" +
                              version.substr(0, version.find('\n')) +
                              "\"\n    prefix = \"x86_64-linux-gnu\"\n    arch = \"x86_64\"\n"
                              "    os = \"linux\"\n    abi = \"gnu\"\n"
                              "    toolchain_path = \"/usr/bin\"\n  }\n";
    EXPECT_NE(text.find(entry), std::string::npos) << text;
}

TEST_F(FindCompilers, FailsWithoutAUsableRegistryAndLeavesADamagedOneAlone) {
    auto result =
        RilkTest::runProcess({"/usr/bin/env", "-u", "HOME", RILK_BINARY, "--find-compilers"},
                             {.workingDirectory = work.path(), .environment = {}});
    EXPECT_EQ(result.out,
              "Unable to load registry file: Unable to resolve HOME path.\n"
              "Error: The toolchains cannot be recorded: there is no user registry (Unable to "
              "resolve HOME path.).\n");
    EXPECT_EQ(result.exitCode, 1);

    const std::string broken = "tools { cc { tool_type = \"command\" }\n";
    home.write(".config/rilk/.rilk_registry.txt", broken);
    result = rilk({"-v", "7", "--find-compilers"});
    EXPECT_EQ(result.out.rfind("Error: The registry file '" + registryFile().string() +
                                   "' was left untouched: it could not be loaded (",
                               0),
              0U)
        << result.out;
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(registryText(), broken);
}

}  // namespace
