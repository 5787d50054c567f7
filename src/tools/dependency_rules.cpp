#include "tools/dependency_rules.h"

#include <cstddef>
#include <utility>

namespace Rilk {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

/// Reads a dependency file's text word by word, rule by rule.
class RuleReader {
public:
    explicit RuleReader(std::string_view text) : text_(text) {}

    std::optional<std::vector<DependencyRule>> read() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\0') return std::nullopt;
            if (c == '\n' || (c == '\r' && next(1) == '\n')) {
                pos_ += c == '\r' ? 2 : 1;
                if (!endLine()) return std::nullopt;
            } else if (isBlank(c) || c == '\r') {
                endWord();
                ++pos_;
            } else if (c == '#') {
                endWord();
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else if (c == '\\') {
                backslashes();
            } else if (c == '$' && next(1) == '$') {
                word_ += '$';
                inWord_ = true;
                pos_ += 2;
            } else if (c == ':' && inTargets_) {
                endWord();
                inTargets_ = false;
                pos_ += next(1) == ':' ? 2 : 1;  // "::" rules too
            } else {
                word_ += c;
                inWord_ = true;
                ++pos_;
            }
        }
        if (!endLine()) return std::nullopt;
        return std::move(rules_);
    }

private:
    char next(std::size_t offset) const {
        return pos_ + offset < text_.size() ? text_[pos_ + offset] : '\0';
    }

    /// A run of backslashes and what it escapes.
    void backslashes() {
        std::size_t count = 0;
        while (next(count) == '\\') ++count;
        const char after = next(count);
        const bool atEnd = pos_ + count == text_.size();
        if (!atEnd && (after == '\n' || (after == '\r' && next(count + 1) == '\n'))) {
            // A continuation: the backslashes before the last one are part of the word.
            word_.append(count - 1, '\\');
            inWord_ = inWord_ || count > 1;
            endWord();
            pos_ += count + (after == '\r' ? 2 : 1);
            return;
        }
        if (!atEnd && isBlank(after)) {
            word_.append(count / 2, '\\');
            inWord_ = inWord_ || count > 1;
            pos_ += count;
            if (count % 2 == 1) {
                word_ += after;
                inWord_ = true;
                ++pos_;
            }
            return;
        }
        if (!atEnd && count == 1 && (after == '#' || after == ':')) {
            word_ += after;
            inWord_ = true;
            pos_ += 2;
            return;
        }
        word_.append(count, '\\');
        inWord_ = true;
        pos_ += count;
    }

    void endWord() {
        if (!inWord_) return;
        (inTargets_ ? current_.targets : current_.prerequisites).push_back(std::move(word_));
        word_.clear();
        inWord_ = false;
    }

    /// Ends a logical line; false when it held words but no separating colon.
    bool endLine() {
        endWord();
        const bool empty = current_.targets.empty() && current_.prerequisites.empty();
        if (inTargets_ && !empty) return false;
        if (!inTargets_) {
            if (current_.targets.empty()) return false;
            rules_.push_back(std::move(current_));
        }
        current_ = DependencyRule();
        inTargets_ = true;
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string word_;
    bool inWord_ = false;
    bool inTargets_ = true;
    DependencyRule current_;
    std::vector<DependencyRule> rules_;
};

}  // namespace

std::optional<std::vector<DependencyRule>> parseDependencyRules(std::string_view text) {
    return RuleReader(text).read();
}

}  // namespace Rilk
