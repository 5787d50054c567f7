#include "tools/toolchain_wants.h"

#include <gtest/gtest.h>

#include "types/rilk_value_types.h"

namespace {

using Rilk::Assignment;
using Rilk::AssignModifier;
using Rilk::AssignType;
using Variables = std::map<Util::CiString, Assignment>;

void set(Variables& variables, const std::string& name, Rilk::RilkValuePtr value) {
    variables.insert_or_assign(
        name, Assignment(name, std::move(value), AssignType::Set, AssignModifier::None));
}

TEST(ToolchainWants, ReadsEveryWantIgnoringTheCaseOfNames) {
    Variables variables;
    set(variables, "TOOLCHAIN_PATH", Rilk::makeString("/opt/cross"));
    set(variables, "Prefix", Rilk::makeString("arm-none-eabi"));
    set(variables, "arch", Rilk::makeString("arm"));
    set(variables, "OS", Rilk::makeString("none"));
    set(variables, "abi", Rilk::makeString("eabi"));
    set(variables, "toolchain_version", Rilk::makeString("12.2.0"));
    set(variables, "Toolchain_Min_Version", Rilk::makeString("12"));
    set(variables, "unrelated", Rilk::makeString("x"));

    const Rilk::ToolchainWants wants(variables);
    ASSERT_TRUE(wants.toolchainPath.has_value());
    EXPECT_EQ(*wants.toolchainPath, "/opt/cross");
    EXPECT_EQ(wants.prefix, "arm-none-eabi");
    EXPECT_EQ(wants.arch, "arm");
    EXPECT_EQ(wants.os, "none");
    EXPECT_EQ(wants.abi, "eabi");
    EXPECT_EQ(wants.toolchainVersion, "12.2.0");
    EXPECT_EQ(wants.toolchainMinVersion, "12");
}

TEST(ToolchainWants, AbsentValuelessOrEmptyVariablesSetNoCondition) {
    Variables variables;
    set(variables, "toolchain_path", Rilk::makeString(""));
    set(variables, "prefix", nullptr);
    const Rilk::ToolchainWants wants(variables);
    EXPECT_FALSE(wants.toolchainPath.has_value());
    EXPECT_EQ(wants.prefix, "");
    EXPECT_EQ(wants.arch, "");
    EXPECT_EQ(wants.toolchainMinVersion, "");

    set(variables, "toolchain_path", nullptr);
    EXPECT_FALSE(Rilk::ToolchainWants(variables).toolchainPath.has_value());
    EXPECT_FALSE(Rilk::ToolchainWants(Variables{}).toolchainPath.has_value());
}

}  // namespace
