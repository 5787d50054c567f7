#include "types/rilk_base_string.h"

#include <cstdint>

#include "types/rilk_errors.h"
#include "types/rilk_int.h"
#include "types/rilk_list.h"
#include "types/value_cast.h"
#include "util/ci_string.h"

namespace Rilk {

namespace {

// The C locale's whitespace: blank, tab, newline, vertical tab, form feed, carriage return.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

RilkBaseString::Iterator::Iterator(std::shared_ptr<const RilkBaseString> owner, bool atEnd)
    : owner_(std::move(owner)), text_(owner_->stringValue()) {
    if (atEnd) {
        start_ = end_ = text_.size();
    } else {
        findWordFrom(0);
    }
}

void RilkBaseString::Iterator::findWordFrom(std::size_t position) {
    while (position < text_.size() && isBlank(text_[position])) ++position;
    start_ = end_ = position;
    while (end_ < text_.size() && !isBlank(text_[end_])) ++end_;
}

IRilkValueIterator& RilkBaseString::Iterator::increment() {
    findWordFrom(end_);
    return *this;
}

RilkValuePtr RilkBaseString::Iterator::dereference() const {
    return owner_->sameKindOf(text_.substr(start_, end_ - start_));
}

bool RilkBaseString::Iterator::equals(const IRilkValueIterator& other) const {
    const auto* that = dynamic_cast<const Iterator*>(&other);
    if (!that) throw InternalError();
    // Offsets first: a loop compares against its end on every step.
    return start_ == that->start_ && Util::CiString::equal(text_, that->text_);
}

RilkValuePtr RilkBaseString::clone() const { return sameKindOf(text_); }

std::shared_ptr<RilkBaseString> RilkBaseString::sameKindOf(std::string text) const {
    std::shared_ptr<RilkBaseString> made = createSame(std::move(text));
    made->literal_ = literal_;
    return made;
}

std::shared_ptr<RilkBaseString> RilkBaseString::createSame(std::string text) const {
    return std::make_shared<RilkBaseString>(std::move(text));
}

std::string RilkBaseString::joinedText(const RilkValue& other, const char* stringGap) const {
    if (const auto* s = valueCast<const RilkBaseString>(&other)) return stringGap + s->text_;
    if (valueCast<const RilkInt>(&other)) return other.toString();
    if (valueCast<const RilkList>(&other)) return " " + other.toString();
    throw BadConversion(other.typeName(), other.toDisplayString(), typeName());
}

RilkValuePtr RilkBaseString::add(const RilkValue& other) const {
    return createSame(text_ + joinedText(other, ""));
}

void RilkBaseString::append(const RilkValue& other) {
    const std::string joined = joinedText(other, " ");
    const auto* text = valueCast<const RilkBaseString>(&other);
    // Literal text joined with text that resolving would leave as it is stays literal: a
    // found name appended to a plain word (or a plain word to it) is never expanded. A
    // path's plain text may still be a pattern, so a path keeps the plain rule.
    const bool mayJoin = kind() != ValueKind::PathString;
    if (literal_) {
        const bool otherLiteral =
            text != nullptr ? text->literal_ : valueCast<const RilkInt>(&other) != nullptr;
        literal_ = otherLiteral || (mayJoin && !resolvingChanges(joined));
    } else if (text != nullptr && text->literal_ && mayJoin) {
        literal_ = !resolvingChanges(text_);
    }
    text_ += joined;
    plainness_ = Plainness::Unknown;
}

RilkValuePtr RilkBaseString::get(const AccessKey& key) const {
    if (key.index() == kPositionKey) {
        const std::int64_t n = std::get<kPositionKey>(key);
        if (n < 0 || static_cast<std::uint64_t>(n) >= text_.size()) {
            throw IndexException(toDisplayString(), key);
        }
        return sameKindOf(text_.substr(static_cast<std::size_t>(n), 1));
    }
    if (key.index() == kRangeKey) {
        const Range& r = std::get<kRangeKey>(key);
        // An end before the start wraps to a huge count, which takes the rest of the text.
        if (static_cast<std::uint64_t>(r.start) > text_.size()) {
            throw IndexException(toDisplayString(), key);
        }
        const std::uint64_t count =
            static_cast<std::uint64_t>(r.end) - static_cast<std::uint64_t>(r.start);
        return sameKindOf(text_.substr(static_cast<std::uint64_t>(r.start), count));
    }
    throw IndexException(toDisplayString(), key);
}

std::string RilkBaseString::toDisplayString() const { return "\"" + text_ + "\""; }

std::unique_ptr<IRilkValueIterator> RilkBaseString::begin() const {
    return std::make_unique<Iterator>(shared_from_this(), false);
}

std::unique_ptr<IRilkValueIterator> RilkBaseString::end() const {
    return std::make_unique<Iterator>(shared_from_this(), true);
}

bool RilkBaseString::equals(const RilkValue& other) const {
    const auto* s = valueCast<const RilkBaseString>(&other);
    return s && Util::CiString::equal(stringValue(), s->stringValue());
}

bool RilkBaseString::greater(const RilkValue& other) const {
    const auto* s = valueCast<const RilkBaseString>(&other);
    return s && text_.size() > s->text_.size();
}

bool RilkBaseString::less(const RilkValue& other) const {
    const auto* s = valueCast<const RilkBaseString>(&other);
    return s && text_.size() < s->text_.size();
}

}  // namespace Rilk
