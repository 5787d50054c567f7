#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "types/rilk_value.h"

namespace Rilk {

/// A value holding text (any bytes). The base of the raw, plain and path strings, which
/// share all operations but the ones they override.
///
/// `add` concatenates ("a" + "b" is "ab"); `append` joins two strings with one blank
/// ("a" += "b" is "a b"). Comparisons with a non-string answer false; equality ignores
/// case, ordering compares lengths only. Iteration yields the whitespace-separated words,
/// each a new value of this string's own type. Must be owned by a shared pointer
/// (`std::make_shared` or a factory) for `begin` and `end` to work.
class RilkBaseString : public RilkValue, public std::enable_shared_from_this<RilkBaseString> {
public:
    /// Walks the words of a string, on a copy of its `stringValue` taken at creation.
    class Iterator : public IRilkValueIterator {
    public:
        /// At the first word, or at the end of the text when `atEnd`.
        Iterator(std::shared_ptr<const RilkBaseString> owner, bool atEnd);
        IRilkValueIterator& increment() override;
        RilkValuePtr dereference() const override;
        bool equals(const IRilkValueIterator& other) const override;

    private:
        void findWordFrom(std::size_t position);

        std::shared_ptr<const RilkBaseString> owner_;
        std::string text_;
        std::size_t start_ = 0;
        std::size_t end_ = 0;
    };

    explicit RilkBaseString(std::string text) : text_(std::move(text)) {}

    RilkValuePtr clone() const override;
    RilkValuePtr add(const RilkValue& other) const override;
    void append(const RilkValue& other) override;
    /// A position gives one character, a range a substring; names and patterns fail.
    RilkValuePtr get(const AccessKey& key) const override;
    std::string toString() const override { return text_; }
    std::string toDisplayString() const override;
    std::unique_ptr<IRilkValueIterator> begin() const override;
    std::unique_ptr<IRilkValueIterator> end() const override;
    bool equals(const RilkValue& other) const override;
    bool greater(const RilkValue& other) const override;
    bool less(const RilkValue& other) const override;
    std::string typeName() const override { return "RilkBaseString"; }
    ValueKind kind() const override { return ValueKind::BaseString; }
    static constexpr bool holdsKind(ValueKind kind) {
        return kind == ValueKind::BaseString || kind == ValueKind::RawString ||
               kind == ValueKind::String || kind == ValueKind::PathString;
    }

    /// The text as the language means it (plain strings drop one pair of quotes).
    virtual std::string stringValue() const { return text_; }
    /// A new string of this value's own type (and base directory) holding `text`.
    virtual std::shared_ptr<RilkBaseString> createSame(std::string text) const;

    /// The stored text, unchanged.
    const std::string& text() const { return text_; }
    /// Replaces the stored text in place (resolution does this).
    void setText(std::string text) {
        text_ = std::move(text);
        plainness_ = Plainness::Unknown;
    }
    /// Marks the text as held by contexts that must not see each other's changes: a
    /// context appending to it copies it first. Copies of it are unmarked.
    void markShared() { shared_ = true; }
    bool isShared() const { return shared_; }
    /// Marks the text as a name rilk found or made itself (a glob's match, a directory, an
    /// object file), or as the result of a resolution: whatever characters it holds, it is no
    /// reference and no pattern, and resolving leaves it as it is. Copies, words and
    /// substrings keep the mark; appending a text without it drops it, unless the text
    /// appended to or the one appended is one that resolving leaves as it is anyway
    /// (`resolvingChanges`) and the string is no path.
    void markLiteral() {
        literal_ = true;
        plainness_ = Plainness::Unknown;
    }
    bool isLiteral() const { return literal_; }

protected:
    /// Whether the text holds nothing to expand (`RilkString::isPlainText`), once that is
    /// known: a value shared by many contexts is asked once per context. Any change of the
    /// text forgets it.
    enum class Plainness : std::uint8_t { Unknown, Plain, NotPlain };
    mutable Plainness plainness_ = Plainness::Unknown;

private:
    /// What `other` adds after this text: a string's text after `stringGap`, an integer's
    /// digits directly, a list's text after one blank. Any other value is `BadConversion`.
    std::string joinedText(const RilkValue& other, const char* stringGap) const;

    /// `createSame(text)` carrying this value's literal mark.
    std::shared_ptr<RilkBaseString> sameKindOf(std::string text) const;

    std::string text_;
    bool shared_ = false;
    bool literal_ = false;
};

/// Whether resolving an expanding string of this text could change it (or fail): it holds
/// a "${" reference, a "#{...}" group or a "#" and digit marker, as the expansion finds
/// them. Any other text is its own expansion, whatever variables there are.
bool resolvingChanges(std::string_view text);

}  // namespace Rilk
