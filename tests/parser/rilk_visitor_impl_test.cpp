#include "parser/rilk_visitor_impl.h"

#include "parser/parser_test_support.h"

// A parser without the nesting guard builds trees deeper than the visitor follows; the
// visit must end in an error, not in a stack overflow.
TEST(RilkVisitorImpl, TooDeepTreeFailsWithAnError) {
    antlr4::ANTLRInputStream input("x = " + std::string(RilkVisitorImpl::maxNesting + 1, '['));
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
    for (auto [open, levels] : {std::pair{"x = {", 300}, std::pair{"if a {", 450}}) {
        std::string text = "{";
        for (int i = 0; i < levels; ++i) text += open;
        auto data = Visit(text + std::string(levels + 1, '}'), Kind::Unit).context();
        EXPECT_EQ(data->assignments.size() + data->conditions.size(), 1u);
    }
}
