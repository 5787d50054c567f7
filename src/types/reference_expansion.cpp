#include <stdexcept>

#include "types/expander.h"
#include "types/reference_parser.h"
#include "types/rilk_errors.h"
#include "types/text_origins.h"
#include "util/ci_find.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// The value a reference names, or null when it cannot be had. Any failure of the lookup
/// counts as a variable that does not exist, except a resolution loop, which no later text
/// could repair.
RilkValuePtr lookUpReference(const std::string& name, const RilkString& owner) {
    const Identifier identifier = parseReferenceName(name);
    try {
        Resolver* resolver = owner.resolver();
        if (resolver != nullptr) return resolver->resolve(identifier);
    } catch (const LoopFoundException&) {
        throw;
    } catch (...) {
    }
    log(6, "Variable '{}' does not exist.\n", name);
    return nullptr;
}

/// Takes a name out of the expanding set when its expansion ends, however it ends.
class ExpandingName {
public:
    ExpandingName(Expander::NameSet& set, const std::string& name) : set_(set), name_(name) {
        if (!set_.insert(name_).second) throw std::out_of_range(name);
    }
    ~ExpandingName() { set_.erase(name_); }
    ExpandingName(const ExpandingName&) = delete;
    ExpandingName& operator=(const ExpandingName&) = delete;

private:
    Expander::NameSet& set_;
    Util::CiString name_;
};

std::string replacementText(const std::string& name, const RilkString& owner,
                            Expander::NameSet& expanding) {
    const RilkValuePtr value = lookUpReference(name, owner);
    if (!value) return {};
    ExpandingName guard(expanding, name);
    return Expander::expandReferences(value->toString(), owner, expanding);
}

}  // namespace

std::string Expander::expandReferences(const std::string& text, const RilkString& owner,
                                       NameSet& expanding) {
    TrackedText tracked(text);
    OriginTable origins;
    expandTrackedReferences(tracked, origins, owner, expanding);
    return std::move(tracked.text);
}

void Expander::expandTrackedReferences(TrackedText& text, OriginTable& origins,
                                       const RilkString& owner, NameSet& expanding) {
    for (;;) {
        const std::size_t open = Util::ciFind(text.text, "${", 0);
        if (open == std::string::npos) return;
        const std::size_t close = Util::ciFind(text.text, "}", open + 2);
        if (close == std::string::npos) throw RilkException("missing '}'");
        if (Util::ciFind(text.text, "${", open + 2) < close) {
            throw RilkException("nested ${} is not allowed");
        }
        const std::string name = text.text.substr(open + 2, close - open - 2);
        const std::string replacement = replacementText(name, owner, expanding);
        const std::size_t count = close + 1 - open;
        text.replace(open, count, replacement, text.commonOrigin(origins, open, count));
    }
}

}  // namespace Rilk
