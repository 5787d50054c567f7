#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "parser/parse_chain.h"
#include "parser/throwing_error_listener.h"

namespace {

TEST(ParseChain, TextThatIsNotUtf8FailsNamingTheSource) {
    try {
        Rilk::ParseChain chain("a = \"\xff\xfe\"", "dir/rilk.txt");
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "dir/rilk.txt: the text is not valid UTF-8.");
    }
}

TEST(ParseChain, OneListenerHearsLexicalAndSyntaxErrors) {
    Rilk::ParseChain chain("t: { a = % }", "f");
    ThrowingErrorListener listener("f");
    chain.useErrorListener(listener);
    ASSERT_NE(chain.unitFile(), nullptr);
    ASSERT_EQ(listener.messages().size(), 2u);
    EXPECT_EQ(listener.messages()[0], "f(1,9): token recognition error at: '%'");
    EXPECT_EQ(listener.messages()[1].rfind("f(1,11): '}' ", 0), 0u) << listener.messages()[1];
}

}  // namespace
