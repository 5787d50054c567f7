#include "parser/throwing_error_listener.h"

#include "parser/parser_test_support.h"

// Lexical and syntax errors of every file kind reach the one listener, each naming the file,
// line and column.
TEST(ThrowingErrorListener, CollectsEveryErrorWithItsPosition) {
    const std::tuple<Entry, const char*, std::vector<std::string>> cases[] = {
        {Entry::Registry,
         "projects { a \"x\" = }\ntools { b }",
         {"d/r.txt(1,17): '=' extraneous input '=' expecting {'}', IDENTIFIER}",
          "d/r.txt(2,10): '}' missing '{' at '}'",
          "d/r.txt(2,11): '<EOF>' extraneous input '<EOF>' expecting {'}', IDENTIFIER}"}},
        {Entry::Registry,
         "projects {\n  a \"x\" &\n}",
         {"d/r.txt(2,8): token recognition error at: '&'"}},
        {Entry::Unit,
         "t: { a = % }",
         {"d/r.txt(1,9): token recognition error at: '%'",
          "d/r.txt(1,11): '}' mismatched input '}' expecting {'{', STRING, RAW_STRING, "
          "PATH_STRING, NUMBER, '[', IDENTIFIER}"}},
        {Entry::Project,
         "name p\nunits {\n  core { \"a\" }\n  }\n}",
         {"d/r.txt(5,0): '}' extraneous input '}' expecting <EOF>"}},
        {Entry::Project, "name p $", {"d/r.txt(1,7): token recognition error at: '$'"}},
    };
    for (const auto& [entry, text, messages] : cases) {
        EXPECT_EQ(syntaxErrors(entry, text, "d/r.txt"), messages) << text;
    }
}
