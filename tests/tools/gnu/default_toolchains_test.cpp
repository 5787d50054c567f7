#include "tools/gnu/default_toolchains.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "tools/fake_toolchain.h"

namespace Rilk {
namespace {

namespace fs = std::filesystem;

/// The definition's name, then its assignments as written.
std::string describe(const BuildToolDefinition& definition) {
    std::string text = definition.name;
    for (const Assignment& a : definition.contextTemplate->assignments) text += "; " + a.toString();
    return text;
}

TEST(DefaultToolchains, NamesAreMadeSafeWithoutChangingTheirLength) {
    const std::pair<std::string, std::string> cases[] = {
        {"x86_64-pc", "x86_64-pc"}, {"13.2.1", "13_2_1"},           {"", "unknown"},
        {"a+b/c d", "a_b_c_d"},     {"\xc3\xa9t\xc3\xa9", "__t__"},
    };
    for (const auto& [text, name] : cases) EXPECT_EQ(sanitizeToolchainName(text), name);
}

TEST(DefaultToolchains, OneDefinitionPerToolchainInRootOrder) {
    RilkTest::TempDir dir;
    const fs::path rh = dir.path() / "opt/rh/gcc-13/root/usr/bin";
    RilkTest::writeFakeCompiler(rh / "gcc", {"x86_64-pc-linux-gnu", "13.2.1", ""});
    RilkTest::writeFakeCompiler(dir.path() / "bin/gcc", {"avr", "", ""});
    const std::vector<fs::path> roots = {dir.path() / "opt/rh", dir.path() / "opt",
                                         dir.path() / "bin", dir.path() / "missing"};
    const auto definitions = findDefaultToolchains(roots);
    ASSERT_EQ(definitions.size(), 2u);
    EXPECT_EQ(describe(definitions[0]),
              "default_gnu_x86_64_13_2_1; toolchain_name = \"default_gnu_x86_64_13_2_1\"; "
              "tool_type = \"gnu-gcc\"; toolchain_version = \"13.2.1\"; "
              "prefix = \"x86_64-pc-linux-gnu\"; arch = \"x86_64\"; os = \"pc\"; "
              "abi = \"linux\"; toolchain_path = \"" +
                  rh.string() + "\"");
    EXPECT_EQ(describe(definitions[1]),
              "default_gnu_avr_0; toolchain_name = \"default_gnu_avr_0\"; "
              "tool_type = \"gnu-gcc\"; toolchain_version = \"0\"; prefix = \"avr\"; "
              "arch = \"avr\"; os = \"\"; abi = \"\"; toolchain_path = \"" +
                  (dir.path() / "bin").string() + "\"");
    EXPECT_TRUE(findDefaultToolchains({}).empty());
    EXPECT_TRUE(findDefaultToolchains({dir.path() / "missing"}).empty());
}

TEST(DefaultToolchains, FindsThisMachinesGcc) {
    if (!fs::exists("/usr/bin/gcc-12")) GTEST_SKIP() << "no /usr/bin/gcc-12 on this machine";
    const auto definitions = findDefaultToolchains({"/usr/bin"});
    std::string names;
    for (const BuildToolDefinition& d : definitions) names += d.name + " ";
    EXPECT_NE(names.find("default_gnu_x86_64_12_2_0 "), std::string::npos) << names;
}

}  // namespace
}  // namespace Rilk
