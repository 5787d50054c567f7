#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "antlr4-runtime.h"

namespace Rilk {

/// The characters of a part of a text for the lexer: a few characters of its own (a header),
/// then those of a decoded text from a given index to its end, read in place, so that the
/// parts of one text share its one decoding. The text must outlive the stream.
class PartStream : public antlr4::CharStream {
public:
    PartStream(const std::u32string& text, std::size_t from, std::u32string_view header,
               std::string sourceName);

    void consume() override;
    size_t LA(ssize_t i) override;
    /// Marks cost nothing: the whole text is there.
    ssize_t mark() override { return -1; }
    void release(ssize_t) override {}
    size_t index() override { return position_; }
    void seek(size_t index) override;
    size_t size() override { return size_; }
    std::string getSourceName() const override { return sourceName_; }
    std::string getText(const antlr4::misc::Interval& interval) override;
    std::string toString() const override;

private:
    char32_t at(std::size_t index) const {
        return index < header_.size() ? header_[index] : text_[from_ + index - header_.size()];
    }
    std::string textOf(std::size_t start, std::size_t stop) const;

    const std::u32string& text_;
    std::size_t from_;
    std::u32string header_;
    std::string sourceName_;
    std::size_t size_;
    std::size_t position_ = 0;
};

}  // namespace Rilk
