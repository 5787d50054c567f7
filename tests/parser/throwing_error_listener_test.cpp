#include "parser/throwing_error_listener.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "parser/parse_chain.h"

namespace {

TEST(ThrowingErrorListener, CollectsEveryErrorAndThrowsTheFirst) {
    Rilk::ParseChain chain("projects { a \"x\" = }\ntools { b }", "proj/.rilk_registry.txt");
    ThrowingErrorListener listener("proj/.rilk_registry.txt");
    chain.useErrorListener(listener);
    chain.registryFile();
    ASSERT_EQ(listener.messages().size(), 3u);
    EXPECT_EQ(
        listener.messages()[0],
        "proj/.rilk_registry.txt(1,17): '=' extraneous input '=' expecting {'}', IDENTIFIER}");
    EXPECT_EQ(
        listener.messages()[1].rfind("proj/.rilk_registry.txt(2,10): '}' missing '{' at '}'", 0),
        0u);
    try {
        listener.throwFirst();
        FAIL() << "no error thrown";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(error.what(), listener.messages()[0]);
    }
}

TEST(ThrowingErrorListener, LexicalErrorsHaveNoTokenPart) {
    Rilk::ParseChain chain("projects {\n  a \"x\" &\n}", "r.txt");
    ThrowingErrorListener listener("r.txt");
    chain.useErrorListener(listener);
    chain.registryFile();
    ASSERT_EQ(listener.messages().size(), 1u);
    EXPECT_EQ(listener.messages()[0], "r.txt(2,8): token recognition error at: '&'");
}

TEST(ThrowingErrorListener, NothingCollectedThrowsNothing) {
    ThrowingErrorListener listener("r.txt");
    EXPECT_NO_THROW(listener.throwFirst());
}

}  // namespace
