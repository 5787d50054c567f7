#include "tools/dependency_rules.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace Rilk {
namespace {

using Rules = std::vector<DependencyRule>;

TEST(DependencyRules, ReadsWhatCompilersWrite) {
    const struct {
        const char* label;
        std::string text;
        Rules rules;
    } cases[] = {
        {"one rule", "a.o: a.c inc/a.h\n", {{{"a.o"}, {"a.c", "inc/a.h"}}}},
        {"no final line feed", "a.o: a.c", {{{"a.o"}, {"a.c"}}}},
        {"continuations", "a.o: a.c \\\n  x.h \\\n y.h\n", {{{"a.o"}, {"a.c", "x.h", "y.h"}}}},
        {"CRLF continuations", "a.o: a.c \\\r\n x.h\r\n", {{{"a.o"}, {"a.c", "x.h"}}}},
        {"escaped blanks",
         "a\\ b.o: my\\ dir/a\\ b.c\\\tt.h\n",
         {{{"a b.o"}, {"my dir/a b.c\tt.h"}}}},
        {"backslashes before a blank",
         "a.o: x\\\\\\ y z\\\\ w\n",
         {{{"a.o"}, {"x\\ y", "z\\", "w"}}}},
        {"other backslashes stay", "a.o: dir\\x.h c:\\y.h\n", {{{"a.o"}, {"dir\\x.h", "c:\\y.h"}}}},
        {"dollars and hashes", "a.o: $$HOME/x$$.h \\#1.h\n", {{{"a.o"}, {"$HOME/x$.h", "#1.h"}}}},
        {"a comment", "# made by gcc\na.o: a.c # the source\n", {{{"a.o"}, {"a.c"}}}},
        {"several targets", "a.o a.d : a.c\n", {{{"a.o", "a.d"}, {"a.c"}}}},
        {"several rules and phony headers",
         "a.o: a.c x.h\n\nx.h:\n",
         {{{"a.o"}, {"a.c", "x.h"}}, {{"x.h"}, {}}}},
        {"colon inside a prerequisite", "a.o: dir:x/a.c\n", {{{"a.o"}, {"dir:x/a.c"}}}},
        {"no blank around the colon", "a.o:a.c\n", {{{"a.o"}, {"a.c"}}}},
        {"escaped colon, double colon", "c\\:a.o:: a.c\n", {{{"c:a.o"}, {"a.c"}}}},
        {"target ending the text", "a.o:", {{{"a.o"}, {}}}},
        {"empty text", "", {}},
        {"blank lines", "\n  \n\t\n", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseDependencyRules(c.text), c.rules) << c.label;
    }
}

TEST(DependencyRules, RefusesWhatIsNoRule) {
    const std::string cases[] = {
        "a.o a.c\n",
        "a.o: a.c\nstray words\n",
        ": a.c\n",
        std::string("a.o: a\0.c\n", 10),
    };
    for (const std::string& text : cases) {
        EXPECT_EQ(parseDependencyRules(text), std::nullopt) << text;
    }
}

}  // namespace
}  // namespace Rilk
