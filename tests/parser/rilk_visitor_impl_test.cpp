#include "parser/rilk_visitor_impl.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "parser/CommonLexer.h"
#include "parser/RilkTopParser.h"
#include "parser/visit_test_support.h"

namespace {

TEST(RilkVisitorImpl, TakeResultMovesOutOrRefusesAnotherType) {
    antlrcpp::Any text = std::string("value");
    EXPECT_EQ(takeResult<std::string>(std::move(text)), "value");
    antlrcpp::Any number = 1;
    EXPECT_THROW(takeResult<std::string>(std::move(number)), std::bad_cast);
    EXPECT_THROW(takeResult<std::string>(antlrcpp::Any()), std::bad_cast);
}

// A parser without the nesting guard builds trees deeper than the visitor follows; the
// visit must end in an error, not in a stack overflow.
TEST(RilkVisitorImpl, TooDeepTreeFailsWithAnError) {
    std::string text = "x = ";
    for (std::size_t i = 0; i <= RilkVisitorImpl::maxNesting; ++i) text += "[";
    antlr4::ANTLRInputStream input(text);
    CommonLexer lexer(&input);
    antlr4::CommonTokenStream tokens(&lexer);
    RilkTopParser parser(&tokens);
    parser.removeErrorListeners();
    auto* tree = parser.assignment();
    RilkVisitorImpl visitor("/base", "", RilkVisitorImpl::Unit);
    visitor.sourcePath = "cmdline";
    std::string error = errorText<std::runtime_error>([&] { visitor.visitAssignment(tree); });
    EXPECT_NE(error.find("cmdline(1,"), std::string::npos) << error;
    EXPECT_NE(error.find("nested too deeply"), std::string::npos) << error;
}

// The deepest trees the nesting guard lets through are built and released without trouble.
TEST(RilkVisitorImpl, DeepestAcceptedNestingIsBuilt) {
    struct Nesting {
        const char* open;
        const char* close;
        int levels;
    };
    for (Nesting nesting : {Nesting{"x = {", "}", 300}, Nesting{"if a {", "}", 450}}) {
        std::string text = "{";
        for (int i = 0; i < nesting.levels; ++i) text += nesting.open;
        for (int i = 0; i < nesting.levels; ++i) text += nesting.close;
        text += "}";
        auto data = VisitText(text, RilkVisitorImpl::Unit).context();
        EXPECT_EQ(data->assignments.size() + data->conditions.size(), 1u);
    }
}

}  // namespace
