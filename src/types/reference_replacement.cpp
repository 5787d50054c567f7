// What a reference is replaced by: the value it names, looked up and expanded in turn.
#include "types/reference_replacement.h"

#include <fmt/format.h>

#include "types/reference_parser.h"
#include "types/resolution_guard.h"
#include "types/resolution_limits.h"
#include "types/rilk_base_string.h"
#include "types/rilk_errors.h"
#include "types/rilk_list.h"
#include "types/value_cast.h"
#include "util/logger.h"

namespace Rilk {

namespace {

/// The value a reference names, or null when it cannot be had. Any failure of the lookup
/// counts as a variable that does not exist, except a resolution loop or an exceeded
/// limit, which no later text could repair, and the error of a variable that exists but
/// whose value fails.
RilkValuePtr lookUpReference(const std::string& name, const RilkString& owner) {
    // Most references are one plain name, which needs no identifier made for it.
    const bool plain = isPlainName(name);
    const Identifier identifier = plain ? Identifier() : parseReferenceName(name);
    try {
        Resolver* resolver = owner.resolver();
        if (resolver != nullptr) {
            return plain ? resolver->resolveName(name) : resolver->resolve(identifier);
        }
    } catch (const LoopFoundException&) {
        throw;
    } catch (const LimitExceeded&) {
        throw;
    } catch (const VariableError&) {
        // A variable that exists but whose own value fails: that error is the real one.
        throw;
    } catch (...) {
    }
    log(LogLevel::Warning, "Variable '{}' does not exist.\n", name);
    return nullptr;
}

/// Takes a name out of the expanding set when its expansion ends, however it ends.
class ExpandingName {
public:
    ExpandingName(Expander::NameSet& set, const std::string& name) : set_(set), name_(name) {
        check(set_, name);
        set_.insert(name_);
    }
    ~ExpandingName() { set_.erase(name_); }
    ExpandingName(const ExpandingName&) = delete;
    ExpandingName& operator=(const ExpandingName&) = delete;

    /// Raises what entering `name` into `set` raises: `LimitExceeded` for a set grown too
    /// deep, `ValueError` for a name in it already.
    static void check(const Expander::NameSet& set, const std::string& name) {
        if (set.size() >= ResolutionLimits::maxDepth) {
            throw LimitExceeded("Reference '" + name + "'",
                                fmt::format("nested too deeply: more than {} references expand "
                                            "through each other",
                                            ResolutionLimits::maxDepth));
        }
        if (!set.empty() && set.contains(Util::CiString(name))) {
            throw ValueError("Reference '${" + name + "}' expands to a text that refers to '" +
                             name + "' again.");
        }
    }

private:
    Expander::NameSet& set_;
    Util::CiString name_;
};

/// Replacements made on this thread whose text holds a "#" and is not only literal text.
thread_local std::size_t groupReplacementCount = 0;

/// Whether every text of the value is a name rilk found or made (`markLiteral`): a literal
/// string, or a list of nothing else. Such text is inserted as it is, never expanded.
bool holdsOnlyLiteralText(const RilkValue& value) {
    if (const auto* string = valueCast<const RilkBaseString>(&value)) return string->isLiteral();
    const auto* list = valueCast<const RilkList>(&value);
    if (list == nullptr || list->elements().empty()) return false;
    for (const RilkValuePtr& element : list->elements()) {
        if (!element || !holdsOnlyLiteralText(*element)) return false;
    }
    return true;
}

}  // namespace

const std::string* replacementText(const std::string& name, const RilkString& owner,
                                   Expander::NameSet& expanding, RilkValuePtr& hold,
                                   std::string& owned) {
    hold = lookUpReference(name, owner);
    if (!hold) return nullptr;
    const RecursionLevel level("Reference", name);
    const std::string* text = &owned;
    if (const auto* string = valueCast<const RilkBaseString>(hold.get())) {
        text = &string->text();
    } else {
        owned = hold->toString();
    }
    // A text without references is its own expansion, and so is a name rilk found, whatever
    // it holds. No lookup happens while it expands, so none could see the name in the set:
    // the checks of entering it are enough.
    if (text->find("${") == std::string::npos) {
        ExpandingName::check(expanding, name);
        if (text->find('#') != std::string::npos && !holdsOnlyLiteralText(*hold)) {
            ++groupReplacementCount;
        }
        return text;
    }
    if (holdsOnlyLiteralText(*hold)) {
        ExpandingName::check(expanding, name);
        return text;
    }
    ExpandingName guard(expanding, name);
    // The lookups of the expansion could resolve, and so change, the value itself: expand a
    // copy of its text.
    if (text != &owned) owned = *text;
    owned = Expander::expandReferences(owned, owner, expanding);
    if (owned.find('#') != std::string::npos) ++groupReplacementCount;
    return &owned;
}

void checkExpandedSize(std::size_t bytes) {
    if (bytes > ResolutionLimits::maxTextBytes) {
        throw LimitExceeded(resolutionSubject(), fmt::format("expands to more than {} bytes",
                                                             ResolutionLimits::maxTextBytes));
    }
}

std::size_t Expander::groupReplacements() { return groupReplacementCount; }

}  // namespace Rilk
