#include "parser/parse_chain.h"

#include "parser/parser_test_support.h"

TEST(ParseChain, TextThatIsNotUtf8FailsNamingTheSourceLineAndColumn) {
    EXPECT_EQ(
        errorText<std::runtime_error>([] { Rilk::ParseChain("a = \"\xff\xfe\"", "d/rilk.txt"); }),
        "d/rilk.txt(1,5): the text is not valid UTF-8 (byte 0xFF); save the file as UTF-8.");
    // Columns count characters; a sequence cut short is the place.
    EXPECT_EQ(errorText<std::runtime_error>(
                  [] { Rilk::ParseChain("a = 1\nb = \"\xc3\xa9\xc3(\"", "f"); }),
              "f(2,6): the text is not valid UTF-8 (byte 0xC3); save the file as UTF-8.");
}
