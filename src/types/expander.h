#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>

#include "types/rilk_string.h"
#include "types/rilk_value.h"
#include "util/ci_string.h"

namespace Rilk {

class OriginTable;
struct TrackedText;

/// The expansion engine of string values: "${name}" references are replaced by the text
/// of the named variable, then "#{name}" groups multiply the text into one text per
/// element of the named variable. Every variable is looked up through the resolver of the
/// string value that owns the text (the owner).
class Expander {
public:
    /// What one cross expansion has made so far, against `ResolutionLimits`.
    struct Budget {
        std::size_t results = 0;
        std::size_t bytes = 0;
    };

    /// Names whose text is being expanded right now; one set per string resolution.
    using NameSet = std::unordered_set<Util::CiString>;

    /// `text` with every "${name}" replaced by the expanded text of the variable (a list
    /// gives its elements joined by one blank), rescanning from the start after each
    /// replacement. A variable that cannot be resolved is logged at level `Warning` and gives the
    /// empty text. Throws `RilkException` for a missing '}' or a nested "${", `ParseError`
    /// for a bad name, `ValueError` when a value's text refers again to a name in
    /// `expanding`. A `LoopFoundException` of the resolver (a variable that needs itself to
    /// resolve) and a `VariableError` (a variable whose value fails) are passed on, never
    /// taken for a missing variable.
    static std::string expandReferences(const std::string& text, const RilkString& owner,
                                        NameSet& expanding);

    /// The references of `text` expanded, then the first "#{name}" group replaced by each
    /// element of the variable in turn, "#<depth>" markers after it by the same element,
    /// and each result expanded again at `depth` + 1. Gives a new `RilkString`, or a new
    /// `RilkList` of them with the first group varying slowest. Throws `RilkException` for a
    /// marker that no group replaced and `LoopFoundException` for a group that the
    /// elements of its own variable produced whole, which would recur forever.
    /// `LimitExceeded` ends an expansion that nests its groups deeper than
    /// `ResolutionLimits::maxGroupDepth` or makes more texts or bytes than the limits allow.
    static RilkValuePtr crossExpand(const std::string& text, const RilkString& owner,
                                    NameSet& expanding, std::uint64_t depth);
    /// `crossExpand`, except that a result of one text is given as that text in `single`
    /// and a null value, for a caller that needs the text rather than a new value.
    static RilkValuePtr crossExpand(const std::string& text, const RilkString& owner,
                                    NameSet& expanding, std::uint64_t depth, std::string& single);

    /// How many references this thread has replaced by a text that holds a "#" and is not
    /// only literal text (`RilkBaseString::isLiteral`). A "#" that literal text alone brought
    /// in is no group and no marker: the text is a name rilk found.
    static std::size_t groupReplacements();

    /// The length of the marker candidate at `position` ("#" and all digits after it), or 0
    /// when there is none: no "#", no digit after it, or a position at or past the end.
    static std::size_t markerLength(const std::string& text, std::size_t position);

private:
    /// `expandReferences` on a text whose character origins are kept in step: replacement
    /// text takes the names common to the reference it replaces.
    static void expandTrackedReferences(TrackedText& text, OriginTable& origins,
                                        const RilkString& owner, NameSet& expanding);
    /// `crossExpand` on a tracked text; all levels of one expansion share `origins`.
    static RilkValuePtr crossExpandTracked(TrackedText text, OriginTable& origins, Budget& budget,
                                           const RilkString& owner, NameSet& expanding,
                                           std::uint64_t depth);
    /// One text per element of the group's variable, expanded at the next depth; null when
    /// the variable has no elements. The group spans [start, end], `end` on its "}".
    static RilkValuePtr expandGroup(const TrackedText& text, std::size_t start, std::size_t end,
                                    OriginTable& origins, Budget& budget, const RilkString& owner,
                                    NameSet& expanding, std::uint64_t depth);
};

}  // namespace Rilk
