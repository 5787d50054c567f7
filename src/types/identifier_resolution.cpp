#include <stdexcept>

#include "types/context.h"
#include "types/resolution_guard.h"
#include "types/rilk_base_string.h"
#include "types/rilk_context_value.h"
#include "types/rilk_errors.h"
#include "types/rilk_identifier.h"
#include "types/rilk_int.h"
#include "types/value_cast.h"

namespace Rilk {

namespace {

/// The key a resolved index identifier stands for: a number, or the text of a name or
/// string. `index` is the index as written, for the error of any other value.
AccessKey keyFromValue(const RilkValuePtr& value, const std::string& index) {
    if (!value) {
        throw ValueError("Index '" + index +
                         "' has no value; an index must be a number or a name.");
    }
    if (const auto* number = valueCast<const RilkInt>(value.get())) {
        return AccessKey(std::int64_t{number->number()});
    }
    if (valueCast<const RilkIdentifier>(value.get()) ||
        valueCast<const RilkBaseString>(value.get())) {
        return nameKey(value->toString());
    }
    throw ValueError("Index '" + index + "' is " + value->toDisplayString() +
                     "; an index must be a number or a name.");
}

bool isNameKey(const AccessKey& key) { return key.index() == kNameKey; }

/// `value->get(chain[position])`, refusing to index into a missing value.
RilkValuePtr step(const RilkValuePtr& value, const KeyChain& chain, std::size_t position) {
    if (!value) throw IdentifierError(chain, position, "Identifier part has no value.");
    return value->get(chain[position]);
}

}  // namespace

KeyChain Context::buildKeyChain(const Identifier& identifier) {
    KeyChain chain;
    for (const Identifier::Segment& segment : identifier.segments) {
        chain.push_back(nameKey(segment.name));
        for (const IndexExpr& index : segment.indices) {
            switch (index.index()) {
                case kNumberIndex:
                    chain.emplace_back(static_cast<std::int64_t>(std::get<kNumberIndex>(index)));
                    break;
                case kRangeIndex: {
                    const IndexRange& range = std::get<kRangeIndex>(index);
                    chain.emplace_back(Range{static_cast<std::int64_t>(range.first),
                                             static_cast<std::int64_t>(range.last), 1});
                    break;
                }
                default: {
                    const auto& inner = std::get<kIdentifierIndex>(index);
                    chain.push_back(keyFromValue(inner ? resolve(*inner) : nullptr,
                                                 inner ? inner->toString() : std::string()));
                }
            }
        }
    }
    return chain;
}

RilkValuePtr Context::resolve(const Identifier& identifier) {
    if (identifier.segments.size() == 1 && identifier.segments.front().indices.empty()) {
        return resolveName(identifier.segments.front().name);
    }
    const RecursionLevel level("Identifier",
                               identifier.segments.empty() ? "" : identifier.segments.front().name);
    const KeyChain chain = buildKeyChain(identifier);
    // Written forms decide: `a.b` names a variable, `a[x]` an element, also when the
    // index `x` yields a text key.
    const bool endsInName =
        identifier.segments.empty() || identifier.segments.back().indices.empty();
    if (endsInName) return resolveAssignment(getAssignment(chain));
    return resolveIndexed(chain, identifier.toString());
}

// The one-name identifier without its key chain: the chain would hold just the name.
RilkValuePtr Context::resolveName(const std::string& name) {
    const RecursionLevel level("Identifier", name);
    const auto found = assignments.find(name);
    if (found == assignments.end()) throw NotFoundException("Assignment", name);
    return resolveAssignment(found->second);
}

RilkValuePtr Context::resolveIndexed(const KeyChain& chain, const std::string& text) {
    RilkValuePtr value = getVariable(std::get<kNameKey>(chain.front()));
    for (std::size_t position = 1; position < chain.size(); ++position) {
        value = step(value, chain, position);
    }
    if (!asResolvable(value.get())) return value;
    // Only the element reached is resolved, and nothing caches it: an element that
    // refers back to itself must be caught here.
    const ResolutionGuard guard(value.get(), text);
    return resolveValue(value);
}

Assignment& Context::getAssignment(const KeyChain& chain) {
    if (chain.empty()) throw InternalError();
    const std::size_t last = chain.size() - 1;
    if (!isNameKey(chain[last]))
        throw IdentifierError(chain, last, "Identifier must end in a name.");
    const std::string& name = std::get<kNameKey>(chain[last]);
    if (last == 0) {
        const auto found = assignments.find(name);
        if (found == assignments.end()) throw NotFoundException("Assignment", name);
        return found->second;
    }
    RilkValuePtr value = getVariable(std::get<kNameKey>(chain.front()));
    for (std::size_t position = 1; position < last; ++position) {
        value = step(value, chain, position);
    }
    const auto* nestedValue = valueCast<const RilkContext>(value.get());
    if (!nestedValue) throw IdentifierError(chain, last, "Identifier part must be context.");
    if (!nestedValue->context()) throw InternalError();
    auto& nestedAssignments = nestedValue->context()->assignments;
    const auto found = nestedAssignments.find(name);
    if (found == nestedAssignments.end()) throw NotFoundException("Assignment", name);
    return found->second;
}

}  // namespace Rilk
