#include <fmt/format.h>

#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "types/expander.h"
#include "types/reference_parser.h"
#include "types/resolution_guard.h"
#include "types/resolution_limits.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/text_origins.h"
#include "util/ci_find.h"

namespace Rilk {

namespace {

constexpr std::size_t kNone = std::string::npos;

/// The first group "#{...}" of the text as [start, end], `end` on the "}" that closes it,
/// or `start` == kNone. Only "#" and "}" are looked at: before the first "#{", either of
/// them means the text has no group.
std::pair<std::size_t, std::size_t> findGroup(const std::string& text) {
    // Most texts hold no "#" at all, which one fast search tells.
    if (text.find('#') == kNone) return {kNone, kNone};
    std::size_t start = kNone;
    long depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '#' && c != '}') continue;
        if (c == '#' && i + 1 < text.size() && text[i + 1] == '{') {
            if (start == kNone) start = i;
            ++depth;
            continue;
        }
        if (c == '}') --depth;
        if (depth <= 0) return {start, i};
    }
    return {kNone, kNone};
}

/// Replaces every marker equal to `marker` at or after `from` by `element`.
void replaceMarkers(TrackedText& text, std::size_t from, const std::string& marker,
                    const std::string& element, OriginTable::Id origin) {
    std::size_t at = Util::ciFind(text.text, "#", from);
    while (at != kNone) {
        const std::size_t length = Expander::markerLength(text.text, at);
        std::size_t next = at + 1;
        if (length != 0 && text.text.compare(at, length, marker) == 0) {
            text.replace(at, length, element, origin);
            next = at + element.size();
        } else if (length != 0) {
            next = at + length;
        }
        at = next < text.text.size() ? Util::ciFind(text.text, "#", next) : kNone;
    }
}

void checkNoMarkersLeft(const std::string& text) {
    for (std::size_t at = text.find('#'); at != kNone; at = text.find('#', at + 1)) {
        const std::size_t length = Expander::markerLength(text, at);
        if (length != 0) {
            throw RilkException("unresolved cross expansion reference '" + text.substr(at, length) +
                                "'");
        }
    }
}

/// The plain texts of the value's elements; a variable without value has none.
std::vector<std::string> elementTexts(const RilkValuePtr& value) {
    std::vector<std::string> texts;
    if (!value) return texts;
    for (auto it = valueBegin(*value), end = valueEnd(*value); !(it == end); ++it) {
        const RilkValuePtr element = *it;
        texts.push_back(element ? element->toString() : std::string());
    }
    return texts;
}

RilkValuePtr lookUpGroup(const std::string& name, const Identifier& identifier,
                         const RilkString& owner) {
    Resolver* resolver = owner.resolver();
    if (resolver == nullptr) throw NotFoundException("Variable", name);
    return resolver->resolve(identifier);
}

/// A group whose every character came from elements of its own variable: expanding it
/// inserts those elements again, which hold the group again, without end.
[[noreturn]] void throwGroupLoop(const std::string& name, const std::string& key,
                                 const std::vector<std::string>& origin) {
    VisitingChain chain;
    chain.names.push_back(key);
    for (auto it = origin.rbegin(); it != origin.rend(); ++it) chain.names.push_back(*it);
    chain.lookup.insert(chain.names.begin(), chain.names.end());
    throw LoopFoundException("#{" + name + "}", chain);
}

}  // namespace

bool resolvingChanges(std::string_view view) {
    if (view.find("${") != std::string_view::npos) return true;
    if (view.find('#') == std::string_view::npos) return false;
    const std::string text(view);
    if (findGroup(text).first != kNone) return true;
    for (std::size_t at = text.find('#'); at != kNone; at = text.find('#', at + 1)) {
        if (Expander::markerLength(text, at) != 0) return true;
    }
    return false;
}

std::size_t Expander::markerLength(const std::string& text, std::size_t position) {
    if (position >= text.size() || text.size() - position < 2 || text[position] != '#') return 0;
    std::size_t end = position + 1;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    return end == position + 1 ? 0 : end - position;
}

namespace {

/// Counts a text that one cross expansion makes (a copy for the next level or a result)
/// against the limits on bytes and, for results, on their number.
void spend(Expander::Budget& budget, std::size_t bytes, bool result) {
    budget.bytes += bytes;
    if (budget.bytes > ResolutionLimits::maxTextBytes) {
        throw LimitExceeded(resolutionSubject(), fmt::format("cross expands to more than {} bytes",
                                                             ResolutionLimits::maxTextBytes));
    }
    if (result && ++budget.results > ResolutionLimits::maxResults) {
        throw LimitExceeded(
            resolutionSubject(),
            fmt::format("cross expands to more than {} strings", ResolutionLimits::maxResults));
    }
}

void checkDepth(std::uint64_t depth) {
    if (depth > ResolutionLimits::maxGroupDepth) {
        throw LimitExceeded(resolutionSubject(),
                            fmt::format("nested too deeply: more than {} cross expansion groups "
                                        "inside each other",
                                        ResolutionLimits::maxGroupDepth));
    }
}

/// Checks the text of a level without a group (or whose group has no elements), which is
/// its result, against leftover markers and the limits.
void checkFinalText(const std::string& text, Expander::Budget& budget) {
    checkNoMarkersLeft(text);
    spend(budget, text.size(), true);
}

/// The result of a level without a group (or whose group has no elements): its text.
RilkValuePtr finalText(std::string text, Expander::Budget& budget) {
    checkFinalText(text, budget);
    return makeString(std::move(text));
}

}  // namespace

RilkValuePtr Expander::crossExpand(const std::string& text, const RilkString& owner,
                                   NameSet& expanding, std::uint64_t depth) {
    std::string single;
    RilkValuePtr result = crossExpand(text, owner, expanding, depth, single);
    return result ? result : makeString(std::move(single));
}

RilkValuePtr Expander::crossExpand(const std::string& text, const RilkString& owner,
                                   NameSet& expanding, std::uint64_t depth, std::string& single) {
    checkDepth(depth);
    const RecursionLevel level;
    // Before any group is expanded, every character of the text has the empty origin, and
    // so has every replacement: only a text with a group needs the origins kept.
    const std::size_t groupsBefore = groupReplacements();
    std::string expanded = expandReferences(text, owner, expanding);
    Budget budget;
    // Without any "#" there is neither a group nor a marker to look for; nor is there when
    // every "#" came with a name rilk found.
    const bool literalHashesOnly =
        groupReplacements() == groupsBefore && text.find('#') == kNone;
    if (literalHashesOnly || expanded.find('#') == kNone) {
        spend(budget, expanded.size(), true);
        single = std::move(expanded);
        return nullptr;
    }
    const auto [start, end] = findGroup(expanded);
    if (start == kNone) {
        checkFinalText(expanded, budget);
        single = std::move(expanded);
        return nullptr;
    }
    OriginTable origins;
    const TrackedText tracked(std::move(expanded));
    RilkValuePtr result =
        expandGroup(tracked, start, end, origins, budget, owner, expanding, depth);
    if (result) return result;
    checkFinalText(tracked.text, budget);
    single = tracked.text;
    return nullptr;
}

RilkValuePtr Expander::crossExpandTracked(TrackedText text, OriginTable& origins, Budget& budget,
                                          const RilkString& owner, NameSet& expanding,
                                          std::uint64_t depth) {
    checkDepth(depth);
    const RecursionLevel level;
    expandTrackedReferences(text, origins, owner, expanding);
    const auto [start, end] = findGroup(text.text);
    if (start != kNone) {
        RilkValuePtr result =
            expandGroup(text, start, end, origins, budget, owner, expanding, depth);
        if (result) return result;
    }
    return finalText(std::move(text.text), budget);
}

RilkValuePtr Expander::expandGroup(const TrackedText& text, std::size_t start, std::size_t end,
                                   OriginTable& origins, Budget& budget, const RilkString& owner,
                                   NameSet& expanding, std::uint64_t depth) {
    const std::string name = text.text.substr(start + 2, end - start - 2);
    const Identifier identifier = parseReferenceName(name);
    const std::string key = identifier.toString();
    // Elements of a variable that put its whole group back into the text would do so again
    // on every level. A group that also holds other text uses that text up, so it ends.
    std::vector<std::string> origin = text.anyNames(origins, start, end + 1 - start);
    for (const std::string& from : text.commonNames(origins, start, end + 1 - start)) {
        if (Util::CiString::equal(from, key)) throwGroupLoop(name, key, origin);
    }
    const std::vector<std::string> elements = elementTexts(lookUpGroup(name, identifier, owner));
    if (elements.empty()) return nullptr;

    origin.push_back(key);
    const OriginTable::Id elementOrigin = origins.add(std::move(origin));
    const std::string marker = "#" + std::to_string(depth);
    auto result = std::make_shared<RilkList>();
    for (const std::string& element : elements) {
        spend(budget, text.text.size() + element.size(), false);
        TrackedText copy = text;
        copy.replace(start, end + 1 - start, element, elementOrigin);
        replaceMarkers(copy, start + element.size(), marker, element, elementOrigin);
        result->append(
            *crossExpandTracked(std::move(copy), origins, budget, owner, expanding, depth + 1));
    }
    return result;
}

}  // namespace Rilk
