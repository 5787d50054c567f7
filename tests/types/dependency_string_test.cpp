#include "types/dependency_string.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace Rilk {
namespace {

TEST(ParseDependencyString, SplitsNamespaceUnitAndTarget) {
    const struct {
        const char* text;
        const char* ns;
        const char* unit;
        const char* target;
    } cases[] = {
        {"a", "", "", "a"},
        {"u::a", "", "u", "a"},
        {"ns/u::a", "ns", "u", "a"},
        {"ns/u::a::b", "ns", "u", "a::b"},
        {"x/y/z::t", "x", "y/z", "t"},
        {"a/b", "", "", "a/b"},
        {" u :: a ", "", " u ", " a "},
    };
    for (const auto& c : cases) {
        const QualifiedTargetName name = parseDependencyString(c.text);
        EXPECT_EQ(name.ns, c.ns) << c.text;
        EXPECT_EQ(name.unit, c.unit) << c.text;
        EXPECT_EQ(name.target, c.target) << c.text;
    }
}

TEST(ParseDependencyString, RefusesEmptyParts) {
    const std::pair<const char*, const char*> cases[] = {
        {"::a", "Dependency string has empty prefix or target: ::a"},
        {"u::", "Dependency string has empty prefix or target: u::"},
        {"/u::a", "Dependency string has empty ns or unit: /u::a"},
        {"ns/::a", "Dependency string has empty ns or unit: ns/::a"},
        {"", "Dependency string is empty"},
    };
    for (const auto& [text, message] : cases) {
        try {
            parseDependencyString(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

}  // namespace
}  // namespace Rilk
