#pragma once

// Builders for the context tests: identifiers from text, values and assignments.

#include <gtest/gtest.h>

#include "types/identifier_parser.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "util/logger.h"

namespace Rilk::testing {

inline Identifier ident(const std::string& text) {
    IdentifierParseState state{text.size(), text.c_str(), 0, nullptr};
    Identifier id;
    EXPECT_TRUE(parseKeyChain(state, id.segments, '\0') && state.position == text.size()) << text;
    return id;
}

// Raw strings: never resolved, so the tests need no reference expansion.
inline RilkValuePtr raw(const std::string& text) { return std::make_shared<RilkRawString>(text); }
inline RilkValuePtr num(std::int32_t n) { return std::make_shared<RilkInt>(n); }
inline RilkValuePtr ref(const std::string& text) {
    return std::make_shared<RilkIdentifier>(ident(text));
}
inline RilkValuePtr list(std::vector<RilkValuePtr> elements) {
    return std::make_shared<RilkList>(std::move(elements));
}
inline std::shared_ptr<RilkContext> nested(const ContextPtr& context) {
    return std::make_shared<RilkContext>(context);
}

inline Assignment assign(const std::string& name, RilkValuePtr value,
                         AssignType type = AssignType::Set,
                         AssignModifier modifier = AssignModifier::None) {
    return Assignment(name, std::move(value), type, modifier);
}

inline Context& set(Context& context, const std::string& name, RilkValuePtr value,
                    AssignType type = AssignType::Set) {
    context.addAssignment(assign(name, std::move(value), type), kKeepModifier);
    return context;
}

/// The plain text of a variable's stored value, "<null>" without value.
inline std::string textOf(const Context& context, const std::string& name) {
    const RilkValuePtr value = context.getVariable(name);
    return value ? value->toString() : "<null>";
}

/// Standard output of `action`, run at the given verbosity.
template <typename Action>
std::string capture(int verbosityLevel, Action action) {
    const int saved = verbosity;
    verbosity = verbosityLevel;
    ::testing::internal::CaptureStdout();
    action();
    verbosity = saved;
    return ::testing::internal::GetCapturedStdout();
}

}  // namespace Rilk::testing
