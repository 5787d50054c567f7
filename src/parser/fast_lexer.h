#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Rilk {

/// One token of the configuration language as `FastLexer` reads it: its kind and its text,
/// a view into the lexed text (strings keep their delimiters, numbers their sign).
struct FastToken {
    enum class Kind : std::uint8_t {
        End,      ///< the end of the text
        Invalid,  ///< text the fast reader leaves to the generated lexer
        Colon,
        DoubleColon,
        Alias,       ///< "=>"
        MergeAlias,  ///< "+>"
        LBrace,
        RBrace,
        LParen,
        RParen,
        Equals,
        NotEquals,
        Greater,
        Lesser,
        Append,       ///< "+="
        AssignEmpty,  ///< "?="
        String,
        RawString,
        PathString,
        Number,
        LSquare,
        RSquare,
        Plus,
        At,
        Up,    ///< "^"
        Must,  ///< "!"
        Slash,
        Comma,
        Dot,
        Semicolon,
        UnitKeyword,
        IfKeyword,
        ImportKeyword,
        UnitsKeyword,
        ProfilesKeyword,
        ProjectsKeyword,
        ToolsKeyword,
        NameKeyword,
        Identifier,
    };

    Kind kind = Kind::End;
    std::string_view text;
};

/// A hand-written lexer for texts that the generated `CommonLexer` reads without a
/// recognition error. On such text it yields the same tokens (blanks and comments
/// dropped, longest match, keywords reserved); everywhere the generated lexer would
/// report an error or fall back to a shorter token (a comment, string, raw or path string
/// that never closes, a character that starts no token) it yields `Invalid` instead. It
/// refuses every text that is not valid UTF-8, so that text decoding never differs either;
/// bytes outside ASCII are taken inside comments and strings only, where both lexers take
/// any character, and start no token elsewhere.
class FastLexer {
public:
    explicit FastLexer(std::string_view text);

    /// The next token; `End` at the end of the text and from then on, `Invalid` for good
    /// once the text holds something the fast reader does not take.
    FastToken next();

    /// Where the next token starts, or where the `Invalid` one stopped the lexer.
    std::size_t offset() const { return at_; }
    /// Whether the lexer stopped at a comment or string that never closes, which the
    /// generated lexer reads to the end of the text.
    bool stoppedUnclosed() const { return unclosed_; }
    /// Whether the whole text was refused (it is not UTF-8).
    bool refusedWhole() const { return refusedWhole_; }

private:
    /// Moves past blanks and comments; false at a block comment that never closes.
    bool skipBlanksAndComments();
    FastToken word();
    FastToken number();
    FastToken quoted();
    /// The `R"(` or `P"(` token of `kind` here; `Invalid` when it never closes.
    FastToken delimited(FastToken::Kind kind);
    FastToken symbol();
    FastToken make(FastToken::Kind kind, std::size_t length);
    FastToken invalid();

    std::string_view text_;
    std::size_t at_ = 0;
    bool refused_ = false;
    bool refusedWhole_ = false;
    bool unclosed_ = false;
};

}  // namespace Rilk
