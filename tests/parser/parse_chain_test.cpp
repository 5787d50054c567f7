#include "parser/parse_chain.h"

#include "parser/parser_test_support.h"

TEST(ParseChain, TextThatIsNotUtf8FailsNamingTheSource) {
    EXPECT_EQ(
        errorText<std::runtime_error>([] { Rilk::ParseChain("a = \"\xff\xfe\"", "d/rilk.txt"); }),
        "d/rilk.txt: the text is not valid UTF-8.");
}
