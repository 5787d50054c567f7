#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "types/identifier.h"
#include "types/qualified_target_name.h"
#include "types/rilk_value.h"

namespace Rilk {

/// A dependency written "@" identifier: the variable whose value lists the targets.
/// `sourceParameter` is set when the parameter list begins with the marker ".", which
/// hands each listed entry's own value to the target it names.
struct DynamicDependency {
    Identifier identifier;
    bool sourceParameter = false;
};

/// One dependency of a target as written after the ":" of its header, or as expanded
/// from a dynamic dependency. Copied and moved as a plain value.
struct Dependency {
    /// `modifier` codes.
    static constexpr std::uint32_t kNoModifier = 0;
    static constexpr std::uint32_t kPlus = 1;  ///< "+": outputs merge into the dependent.
    /// `aliasKind` codes.
    static constexpr std::uint32_t kNoAlias = 0;
    static constexpr std::uint32_t kAlias = 1;       ///< "=>"
    static constexpr std::uint32_t kMergeAlias = 2;  ///< "+>"

    std::uint32_t modifier = kNoModifier;
    std::uint32_t aliasKind = kNoAlias;
    /// Null when parsed; an expanded dynamic dependency with the source marker sets it to
    /// the entry's value, which the called target receives as its first parameter.
    RilkValuePtr sourceValue;
    /// The parameters in text order; the source marker "." is not among them.
    std::vector<Identifier> parameters;
    /// The name after "=>" or "+>"; empty without alias.
    std::string alias;
    /// Alternative 0: a direct dependency; alternative 1: a dynamic one.
    std::variant<QualifiedTargetName, DynamicDependency> target;

    bool isDynamic() const { return target.index() == 1; }
};

}  // namespace Rilk
