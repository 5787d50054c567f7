#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <vector>

#include "types/expander.h"
#include "types/reference_parser.h"
#include "types/reference_replacement.h"
#include "types/resolution_guard.h"
#include "types/resolution_limits.h"
#include "types/rilk_base_string.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/text_origins.h"
#include "types/value_cast.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// Whether a replacement, put next in line after the finished part `out`, could form a
/// reference with the text around it: through a "$" of its own, or by opening with "{"
/// after a "$" that ends `out`. Any other replacement is consumed whole as soon as it is
/// queued, so it can go straight to the finished part.
bool formsReference(const std::string& out, const std::string& replacement) {
    return replacement.find('$') != std::string::npos ||
           (replacement.front() == '{' && !out.empty() && out.back() == '$');
}

// The scan below runs on plain texts (`std::string`) and on texts that keep their origins
// (`TrackedText`); these helpers are what differs between the two.

std::string& charsOf(std::string& text) { return text; }
const std::string& charsOf(const std::string& text) { return text; }
std::string& charsOf(TrackedText& text) { return text.text; }
const std::string& charsOf(const TrackedText& text) { return text.text; }

/// Appends `count` characters of `from` at `position`, with their origins, to `to`.
void appendPart(std::string& to, const std::string& from, std::size_t position, std::size_t count) {
    to.append(from, position, count);
}

void appendPart(TrackedText& to, const TrackedText& from, std::size_t position, std::size_t count) {
    to.text.append(from.text, position, count);
    const auto first = from.origins.begin() + static_cast<std::ptrdiff_t>(position);
    to.origins.insert(to.origins.end(), first, first + static_cast<std::ptrdiff_t>(count));
}

/// One left-to-right pass that replaces every reference of a text.
///
/// The text is consumed from the front: `out_` holds the finished part, `pending_` the
/// replacement texts not yet looked at (the next one last, each from its `at`), and
/// `source_` (from `sourceAt_`) the rest of the original text. A replacement is fully
/// expanded and so holds no "${" itself; a new reference can only form where two pieces
/// meet: a "$" finishing `out_` before a "{" that follows. The search therefore never goes
/// back more than one character, and every character is looked at a bounded number of
/// times.
///
/// `Text` is `TrackedText` when the origins of the characters are wanted (a replacement
/// takes the names common to the reference it replaces), else `std::string`.
template <class Text>
class ReferenceScan {
    static constexpr bool kTracked = std::is_same_v<Text, TrackedText>;

public:
    ReferenceScan(const Text& source, OriginTable* origins, const RilkString& owner,
                  Expander::NameSet& expanding)
        : source_(source),
          origins_(origins),
          owner_(owner),
          expanding_(expanding),
          out_(std::string()) {
        // Room for the text and a few replacements, so that the result rarely grows again.
        if constexpr (!kTracked) out_.reserve(source.size() + 64);
    }

    /// A scan taken over in the middle: `out` is finished, the source is consumed up to
    /// `sourceAt`, and `pending`, unless empty, is the replacement next in line.
    ReferenceScan(const Text& source, const RilkString& owner, Expander::NameSet& expanding,
                  Text out, std::size_t sourceAt, Text pending)
        : source_(source),
          origins_(nullptr),
          owner_(owner),
          expanding_(expanding),
          out_(std::move(out)),
          sourceAt_(sourceAt) {
        if (charsOf(pending).empty()) return;
        pendingBytes_ = charsOf(pending).size();
        pending_.push_back(Piece{std::move(pending), 0});
    }

    Text run() {
        for (;;) {
            std::string& out = charsOf(out_);
            if (!out.empty() && out.back() == '$' && nextChar() == '{') {
                out.pop_back();
                OriginTable::Id dollar = 0;
                if constexpr (kTracked) {
                    dollar = out_.origins.back();
                    out_.origins.pop_back();
                }
                if (++joined_ > ResolutionLimits::maxJoinedReferences) {
                    throw LimitExceeded(resolutionSubject(),
                                        fmt::format("forms more than {} references by joining "
                                                    "replacements to the text around them",
                                                    ResolutionLimits::maxJoinedReferences));
                }
                replaceReference(dollar);
            } else if (!pending_.empty()) {
                const Piece& piece = pending_.back();
                const std::size_t rest = charsOf(piece.text).size() - piece.at;
                appendPart(out_, piece.text, piece.at, rest);
                pendingBytes_ -= rest;
                pending_.pop_back();
            } else {
                const std::size_t open = sourceChars().find("${", sourceAt_);
                if (open == std::string::npos) break;
                appendPart(out_, source_, sourceAt_, open - sourceAt_);
                sourceAt_ = open + 1;
                OriginTable::Id dollar = 0;
                if constexpr (kTracked) dollar = source_.origins[open];
                replaceReference(dollar);
            }
        }
        appendPart(out_, source_, sourceAt_, sourceChars().size() - sourceAt_);
        return std::move(out_);
    }

private:
    /// A replacement text and how much of it is consumed.
    struct Piece {
        Text text;
        std::size_t at = 0;
    };

    const std::string& sourceChars() const { return charsOf(source_); }

    /// The first character not consumed yet, or '\0' at the end.
    char nextChar() const {
        if (!pending_.empty()) return charsOf(pending_.back().text)[pending_.back().at];
        return sourceAt_ < sourceChars().size() ? sourceChars()[sourceAt_] : '\0';
    }

    /// Reads the reference whose "$" (of origin `dollar`) is consumed already and whose "{"
    /// is the next character, up to its "}", and puts its replacement in front of the rest.
    void replaceReference(OriginTable::Id dollar) {
        // The origins of the reference's characters, when they are kept.
        std::vector<OriginTable::Id> ids;
        if constexpr (kTracked) ids.push_back(dollar);
        std::string name;
        bool nested = false;
        bool closed = false;
        char previous = '\0';
        bool first = true;
        auto take = [&](const Text& from, std::size_t& at) {
            const std::string& chars = charsOf(from);
            for (; at < chars.size(); ++at) {
                const char c = chars[at];
                if constexpr (kTracked) ids.push_back(from.origins[at]);
                if (first) {
                    first = false;  // the "{" that opens the reference
                    continue;
                }
                if (c == '}') {
                    ++at;
                    closed = true;
                    return;
                }
                if (previous == '$' && c == '{') nested = true;
                previous = c;
                name += c;
            }
        };
        while (!closed && !pending_.empty()) {
            Piece& piece = pending_.back();
            const std::size_t before = piece.at;
            take(piece.text, piece.at);
            pendingBytes_ -= piece.at - before;
            if (piece.at == charsOf(piece.text).size()) pending_.pop_back();
        }
        if (!closed) take(source_, sourceAt_);
        if (!closed) throw RilkException("missing '}'");
        if (nested) throw RilkException("nested ${} is not allowed");

        RilkValuePtr hold;
        std::string owned;
        const std::string* replacement = replacementText(name, owner_, expanding_, hold, owned);
        const std::size_t size = replacement ? replacement->size() : 0;
        checkExpandedSize(charsOf(out_).size() + pendingBytes_ + size +
                          (sourceChars().size() - sourceAt_));
        if (size == 0) return;
        if constexpr (!kTracked) {
            if (!formsReference(out_, *replacement)) {
                out_ += *replacement;
                return;
            }
        }
        pendingBytes_ += size;
        Piece piece{Text(replacement == &owned ? std::move(owned) : *replacement), 0};
        if constexpr (kTracked) {
            std::fill(piece.text.origins.begin(), piece.text.origins.end(), commonOriginOf(ids));
        }
        pending_.push_back(std::move(piece));
    }

    OriginTable::Id commonOriginOf(const std::vector<OriginTable::Id>& ids) {
        for (const OriginTable::Id id : ids) {
            if (id != ids.front()) {
                return origins_->add(origins_->common(ids.data(), ids.data() + ids.size()));
            }
        }
        return ids.front();
    }

    const Text& source_;
    /// Where new origins go; used only when `Text` keeps origins.
    OriginTable* origins_;
    const RilkString& owner_;
    Expander::NameSet& expanding_;
    Text out_;
    std::vector<Piece> pending_;
    std::size_t sourceAt_ = 0;
    /// References formed where a replacement met the text around it: only these can recur
    /// without end, since every other one consumes characters of the original text.
    std::size_t joined_ = 0;
    /// Bytes of `pending_` not consumed yet.
    std::size_t pendingBytes_ = 0;
};

}  // namespace

namespace {

/// `ReferenceScan<std::string>` for the common text, whose references are each one plain
/// name and whose replacements cannot form new references: the same steps without the
/// machinery for the rest. At the first thing it does not handle (a reference formed by
/// joining, a name to parse, a missing "}", a replacement that could form a reference) it
/// hands the scan over, in the state it has reached, which is the state the general scan
/// reaches by the same steps.
std::string expandPlainReferences(const std::string& text, const RilkString& owner,
                                  Expander::NameSet& expanding) {
    std::string out;
    out.reserve(text.size() + 64);
    std::size_t at = 0;
    const auto handOver = [&](std::string pending) {
        return ReferenceScan<std::string>(text, owner, expanding, std::move(out), at,
                                          std::move(pending))
            .run();
    };
    for (;;) {
        if (!out.empty() && out.back() == '$' && at < text.size() && text[at] == '{') {
            return handOver({});
        }
        const std::size_t open = text.find("${", at);
        if (open == std::string::npos) break;
        const std::size_t close = text.find('}', open + 2);
        if (close == std::string::npos) return handOver({});
        const std::string name(text, open + 2, close - open - 2);
        // A plain name holds no "${" either, so it cannot be a nested reference.
        if (!isPlainName(name)) return handOver({});
        out.append(text, at, open - at);
        at = close + 1;
        RilkValuePtr hold;
        std::string owned;
        const std::string* replacement = replacementText(name, owner, expanding, hold, owned);
        const std::size_t size = replacement ? replacement->size() : 0;
        checkExpandedSize(out.size() + size + (text.size() - at));
        if (size == 0) continue;
        if (formsReference(out, *replacement)) {
            return handOver(replacement == &owned ? std::move(owned) : *replacement);
        }
        out += *replacement;
    }
    out.append(text, at, std::string::npos);
    return out;
}

}  // namespace

std::string Expander::expandReferences(const std::string& text, const RilkString& owner,
                                       NameSet& expanding) {
    if (text.find("${") == std::string::npos) return text;
    return expandPlainReferences(text, owner, expanding);
}

void Expander::expandTrackedReferences(TrackedText& text, OriginTable& origins,
                                       const RilkString& owner, NameSet& expanding) {
    if (text.text.find("${") == std::string::npos) return;
    text = ReferenceScan<TrackedText>(text, &origins, owner, expanding).run();
}

}  // namespace Rilk
