// Walking an ordered container alongside ascending keys must find exactly what a search of
// the container finds, letter case ignored as the container's order ignores it.
#include "util/ordered_lookup.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "types/assignment.h"
#include "util/ci_string.h"

namespace Rilk {
namespace {

TEST(OrderedLookup, FindsWhatASearchFinds) {
    const struct {
        std::vector<const char*> held, asked;
    } cases[] = {
        {{}, {"a", "b"}},
        {{"out"}, {"cmdline", "cwd", "in", "OUT", "output_def_dir", "year"}},
        {{"a", "B", "c"}, {"A", "b", "C", "d"}},
        {{"b", "d"}, {"a", "c", "e"}},
        {{"x", "y", "z"}, {"y"}},
        {{"\xc3\xa9", "a"}, {"\xc3\xa9", "a", "z"}},
    };
    for (const auto& c : cases) {
        const std::set<Util::CiString> names(c.held.begin(), c.held.end());
        AssignmentMap values;
        for (const char* name : c.held) {
            values.emplace(name, Assignment(name, nullptr, AssignType::Set, AssignModifier::Up));
        }
        std::set<Util::CiString> asked(c.asked.begin(), c.asked.end());
        OrderedLookup<std::set<Util::CiString>> nameWalk(names);
        OrderedLookup<AssignmentMap> valueWalk(values);
        for (const Util::CiString& key : asked) {
            const auto name = names.find(key);
            const auto* walked = nameWalk.find(key);
            EXPECT_EQ(walked, name == names.end() ? nullptr : &*name) << key.str();
            const auto value = values.find(key);
            const auto* walkedValue = valueWalk.find(key);
            EXPECT_EQ(walkedValue, value == values.end() ? nullptr : &*value) << key.str();
        }
    }
}

}  // namespace
}  // namespace Rilk
