#include "app/cache/cache_equality.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <string_view>

#include "types/kinded_value.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "util/ci_string.h"

namespace Rilk {
namespace {

/// The bytes of a path's full path text (`RilkPathString::fullPathText`), read in the
/// pieces it is joined from rather than copied into one text.
class FullPathBytes {
public:
    explicit FullPathBytes(const RilkPathString& path) {
        const JoinedPath joined = joinPath(path.baseDirectory().native(), path.text());
        pieces_ = {joined.base, joined.separator ? std::string_view("/") : std::string_view(),
                   joined.text};
    }

    std::size_t size() const { return pieces_[0].size() + pieces_[1].size() + pieces_[2].size(); }
    /// The unread bytes of the current piece; empty at the end.
    std::string_view chunk() {
        while (next_ < pieces_.size() && pieces_[next_].empty()) ++next_;
        return next_ < pieces_.size() ? pieces_[next_] : std::string_view();
    }
    void skip(std::size_t count) { pieces_[next_].remove_prefix(count); }

private:
    std::array<std::string_view, 3> pieces_;
    std::size_t next_ = 0;
};

/// Whether `joined`'s pieces, in order, spell exactly `whole`.
bool spells(const JoinedPath& joined, std::string_view whole) {
    const std::size_t separator = joined.separator ? 1 : 0;
    if (whole.size() != joined.base.size() + separator + joined.text.size()) return false;
    if (whole.substr(0, joined.base.size()) != joined.base) return false;
    whole.remove_prefix(joined.base.size());
    if (joined.separator && whole.front() != '/') return false;
    return whole.substr(separator) == joined.text;
}

/// `a.fullPathText() == b.fullPathText()`, without making either text.
bool sameFullPath(const RilkPathString& a, const RilkPathString& b) {
    // A path read back from the cache file is its text alone; one side nearly always is.
    const JoinedPath x = joinPath(a.baseDirectory().native(), a.text());
    const JoinedPath y = joinPath(b.baseDirectory().native(), b.text());
    if (x.base.empty()) return spells(y, x.text);
    if (y.base.empty()) return spells(x, y.text);
    FullPathBytes p(a);
    FullPathBytes q(b);
    if (p.size() != q.size()) return false;
    for (;;) {
        const std::string_view c = p.chunk();
        const std::string_view d = q.chunk();
        const std::size_t count = std::min(c.size(), d.size());
        // Equal sizes: both end together.
        if (count == 0) return true;
        if (c.substr(0, count) != d.substr(0, count)) return false;
        p.skip(count);
        q.skip(count);
    }
}

bool sameContexts(const ContextPtr& a, const ContextPtr& b) {
    if (a == b) return true;
    if (!a || !b) return false;
    // Conditions not yet applied have no exact comparison of their own; a context that
    // still holds any is taken as changed.
    if (!a->conditions.empty() || !b->conditions.empty()) return false;
    if (a->assignments.size() != b->assignments.size()) return false;
    for (auto i = a->assignments.begin(), j = b->assignments.begin(); i != a->assignments.end();
         ++i, ++j) {
        if (!cacheEqual(i->second, j->second)) return false;
    }
    return true;
}

bool sameLists(const RilkList& a, const RilkList& b) {
    const auto& x = a.elements();
    const auto& y = b.elements();
    if (x.size() != y.size()) return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (!cacheEqual(x[i], y[i])) return false;
    }
    return true;
}

}  // namespace

bool cacheEqual(const RilkValuePtr& a, const RilkValuePtr& b) {
    if (a == b) return true;
    if (!a || !b) return false;
    const KindedValue x(*a);
    const KindedValue y(*b);
    const auto* pathA = x.as<RilkPathString>();
    const auto* pathB = y.as<RilkPathString>();
    if (pathA || pathB) return pathA && pathB && sameFullPath(*pathA, *pathB);
    const auto* textA = x.as<RilkBaseString>();
    const auto* textB = y.as<RilkBaseString>();
    if (textA || textB) return textA && textB && textA->text() == textB->text();
    const auto* intA = x.as<RilkInt>();
    const auto* intB = y.as<RilkInt>();
    if (intA || intB) return intA && intB && intA->number() == intB->number();
    const auto* listA = x.as<RilkList>();
    const auto* listB = y.as<RilkList>();
    if (listA || listB) return listA && listB && sameLists(*listA, *listB);
    const auto* contextA = x.as<RilkContext>();
    const auto* contextB = y.as<RilkContext>();
    if (contextA || contextB) {
        return contextA && contextB && sameContexts(contextA->context(), contextB->context());
    }
    const auto* idA = x.as<RilkIdentifier>();
    const auto* idB = y.as<RilkIdentifier>();
    if (idA || idB) return idA && idB && idA->toString() == idB->toString();
    return false;
}

bool cacheEqual(const Assignment& a, const Assignment& b) {
    // Names are nearly always spelled alike; the exact comparison is the cheaper test.
    return a.type == b.type && a.modifier == b.modifier &&
           (a.name == b.name || Util::CiString::equal(a.name, b.name)) &&
           cacheEqual(a.value, b.value);
}

}  // namespace Rilk
