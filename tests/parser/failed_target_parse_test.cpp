#include "parser/failed_target_parse.h"

#include <string>
#include <vector>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "parser/parse_chain.h"

namespace Rilk {
namespace {

/// Every error reported, as "line:column message".
class Recorded : public antlr4::BaseErrorListener {
public:
    void syntaxError(antlr4::Recognizer*, antlr4::Token*, size_t line, size_t column,
                     const std::string& msg, std::exception_ptr) override {
        errors.push_back(fmt::format("{}:{} {}", line, column, msg));
    }
    std::vector<std::string> errors;
};

/// A target of `statements` statements, with a broken one (of a few kinds, stray characters
/// among them) every `every`, on lines of their own or all on one line.
std::string brokenTarget(int statements, int every, bool oneLine) {
    const char* const broken[] = {"= = x", "y = ]",        "z = [1, }",       "if q { w = }",
                                  "^ = 3", "\xc3\xa9 = 1", "k = \"a\" \"b\"", "if r { s = 1 } }"};
    const char* separator = oneLine ? " " : "\n";
    std::string text =
        fmt::format("unit u{}a: {{ }}{}t: b c {{{}", separator, separator, separator);
    for (int i = 0; i < statements; ++i) {
        if (i % every == every / 2) {
            text += fmt::format("  {}{}", broken[(i / every) % 8], separator);
        } else if (i % 7 == 0) {
            text += fmt::format("  if c{} {{ v = [\"a\", P\"(p)\"] }}{}", i, separator);
        } else {
            text += fmt::format("  v{} = \"value {}\"{}", i, i, separator);
        }
    }
    return text + "}\nd: { }\n";
}

TEST(FailedTargetParse, PartsGiveTheErrorsOfOneParse) {
    for (const bool oneLine : {false, true}) {
        for (const int every : {97, 499}) {
            const std::string text = brokenTarget(6000, every, oneLine);
            Recorded whole;
            std::size_t wholeUnshown = 0;
            {
                ParseChain chain(text, "rilk.txt");
                chain.useErrorListener(whole);
                chain.unitFile();
                wholeUnshown = chain.unshownLexicalErrors();
            }
            Recorded parts;
            // Parts of a thousand tokens or so: some two dozen of them.
            const std::size_t partsUnshown = parseFailedTarget(text, "rilk.txt", parts, 1000);
            EXPECT_GT(whole.errors.size(), 10u) << every;
            EXPECT_EQ(parts.errors, whole.errors) << every << " " << oneLine;
            EXPECT_EQ(partsUnshown, wholeUnshown) << every << " " << oneLine;
        }
    }
}

}  // namespace
}  // namespace Rilk
