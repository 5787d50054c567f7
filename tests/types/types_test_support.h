#pragma once

// Builders and catchers shared by the tests of values, contexts and expansion.

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "types/identifier_parser.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "util/logger.h"

namespace RilkTest {

using Rilk::AssignType;
using Rilk::Context;
using Rilk::RilkValuePtr;

/// The identifier written as `text`, which must parse whole.
inline Rilk::Identifier ident(const std::string& text) {
    Rilk::IdentifierParseState state{text.size(), text.c_str(), 0, nullptr};
    Rilk::Identifier id;
    EXPECT_TRUE(parseKeyChain(state, id.segments, '\0') && state.position == text.size()) << text;
    return id;
}

inline auto str(const std::string& text) { return Rilk::makeString(text); }
/// Raw strings are never expanded, so tests of contexts need no reference expansion.
inline RilkValuePtr raw(const std::string& text) {
    return std::make_shared<Rilk::RilkRawString>(text);
}
inline RilkValuePtr num(std::int32_t n) { return std::make_shared<Rilk::RilkInt>(n); }
inline RilkValuePtr ref(const std::string& text) {
    return std::make_shared<Rilk::RilkIdentifier>(ident(text));
}
inline auto list(std::vector<RilkValuePtr> elements = {}) {
    return std::make_shared<Rilk::RilkList>(std::move(elements));
}
/// A list of expanding strings.
inline auto strings(const std::vector<std::string>& texts) {
    auto out = list();
    for (const std::string& text : texts) out->append(*str(text));
    return out;
}
inline auto nested(const Rilk::ContextPtr& context) {
    return std::make_shared<Rilk::RilkContext>(context);
}
inline std::string fields(const Rilk::QualifiedTargetName& name) {
    return name.ns + "|" + name.unit + "|" + name.target;
}

/// `text` as an expanding string, resolved against the variables of `context`.
inline RilkValuePtr resolveIn(Context& context, const std::string& text) {
    const auto value = str(text);
    value->setResolver(&context);
    return value->resolve();
}

/// The plain texts that a loop over `value` visits.
inline std::vector<std::string> texts(const Rilk::RilkValue& value) {
    std::vector<std::string> out;
    for (auto it = valueBegin(value), e = valueEnd(value); !(it == e); ++it) {
        out.push_back((*it)->toString());
    }
    return out;
}

inline Rilk::Assignment assign(const std::string& name, RilkValuePtr value,
                               AssignType type = AssignType::Set,
                               Rilk::AssignModifier modifier = Rilk::AssignModifier::None) {
    return Rilk::Assignment(name, std::move(value), type, modifier);
}
inline Context& set(Context& context, const std::string& name, RilkValuePtr value,
                    AssignType type = AssignType::Set) {
    context.addAssignment(assign(name, std::move(value), type), Rilk::kKeepModifier);
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
    const int saved = Rilk::verbosity;
    Rilk::verbosity = verbosityLevel;
    ::testing::internal::CaptureStdout();
    action();
    Rilk::verbosity = saved;
    return ::testing::internal::GetCapturedStdout();
}

/// The text of the `Error` that `action` throws ("position: message" for a `ParseError`),
/// or "no error". An error of another type escapes and fails the test.
template <typename Error = Rilk::RilkException, typename Action>
std::string errorText(Action action) {
    try {
        action();
    } catch (const Error& e) {
        if constexpr (std::is_base_of_v<Rilk::RilkException, Error>) return e.message();
        if constexpr (std::is_same_v<Error, Rilk::ParseError>) {
            return std::to_string(e.position) + ": " + e.message;
        }
        if constexpr (std::is_base_of_v<std::exception, Error>) return e.what();
    }
    return "no error";
}

}  // namespace RilkTest
