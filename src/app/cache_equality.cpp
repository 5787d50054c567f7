#include "app/cache_equality.h"

#include <cstddef>
#include <iterator>

#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "types/value_cast.h"
#include "util/ci_string.h"

namespace Rilk {
namespace {

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
    const auto* pathA = valueCast<const RilkPathString>(a.get());
    const auto* pathB = valueCast<const RilkPathString>(b.get());
    if (pathA || pathB) {
        return pathA && pathB && pathA->fullPathText() == pathB->fullPathText();
    }
    const auto* textA = valueCast<const RilkBaseString>(a.get());
    const auto* textB = valueCast<const RilkBaseString>(b.get());
    if (textA || textB) return textA && textB && textA->text() == textB->text();
    const auto* intA = valueCast<const RilkInt>(a.get());
    const auto* intB = valueCast<const RilkInt>(b.get());
    if (intA || intB) return intA && intB && intA->number() == intB->number();
    const auto* listA = valueCast<const RilkList>(a.get());
    const auto* listB = valueCast<const RilkList>(b.get());
    if (listA || listB) return listA && listB && sameLists(*listA, *listB);
    const auto* contextA = valueCast<const RilkContext>(a.get());
    const auto* contextB = valueCast<const RilkContext>(b.get());
    if (contextA || contextB) {
        return contextA && contextB && sameContexts(contextA->context(), contextB->context());
    }
    const auto* idA = valueCast<const RilkIdentifier>(a.get());
    const auto* idB = valueCast<const RilkIdentifier>(b.get());
    if (idA || idB) return idA && idB && idA->toString() == idB->toString();
    return false;
}

bool cacheEqual(const Assignment& a, const Assignment& b) {
    return a.type == b.type && a.modifier == b.modifier && Util::CiString::equal(a.name, b.name) &&
           cacheEqual(a.value, b.value);
}

}  // namespace Rilk
