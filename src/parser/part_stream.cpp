#include "parser/part_stream.h"

#include <algorithm>

#include "support/StringUtils.h"

namespace Rilk {

PartStream::PartStream(const std::u32string& text, std::size_t from, std::u32string_view header,
                       std::string sourceName)
    : text_(text),
      from_(std::min(from, text.size())),
      header_(header),
      sourceName_(std::move(sourceName)),
      size_(header_.size() + text.size() - from_) {}

void PartStream::consume() {
    if (position_ >= size_) throw antlr4::IllegalStateException("cannot consume EOF");
    ++position_;
}

size_t PartStream::LA(ssize_t i) {
    // As the runtime's own stream: LA(1) is the next character, LA(-1) the one before.
    if (i == 0) return 0;
    const auto position = static_cast<ssize_t>(position_) + (i < 0 ? i : i - 1);
    if (position < 0 || position >= static_cast<ssize_t>(size_)) return antlr4::IntStream::EOF;
    return at(static_cast<std::size_t>(position));
}

void PartStream::seek(size_t index) { position_ = std::min(index, size_); }

std::string PartStream::textOf(std::size_t start, std::size_t stop) const {
    std::u32string characters;
    for (std::size_t i = start; i <= stop && i < size_; ++i) characters.push_back(at(i));
    return antlrcpp::utf32_to_utf8(characters);
}

std::string PartStream::getText(const antlr4::misc::Interval& interval) {
    if (interval.a < 0 || interval.b < interval.a) return "";
    return textOf(static_cast<std::size_t>(interval.a), static_cast<std::size_t>(interval.b));
}

std::string PartStream::toString() const { return size_ == 0 ? "" : textOf(0, size_ - 1); }

}  // namespace Rilk
