#pragma once

// Small builders for the context tests: identifiers from text, values and assignments.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "types/identifier_parser.h"
#include "types/rilk_context_types.h"
#include "types/rilk_value_types.h"
#include "util/logger.h"

namespace Rilk::testing {

inline Identifier ident(const std::string& text) {
    IdentifierParseState state{text.size(), text.c_str(), 0, nullptr};
    Identifier id;
    EXPECT_TRUE(parseKeyChain(state, id.segments, '\0')) << text;
    EXPECT_EQ(state.position, text.size()) << text;
    return id;
}

inline RilkValuePtr str(const std::string& text) { return makeString(text); }
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

/// Applies `name = value` (mode 0) and returns the context for chaining.
inline Context& set(Context& context, const std::string& name, RilkValuePtr value) {
    context.addAssignment(assign(name, std::move(value)), kKeepModifier);
    return context;
}

/// The text of a variable's stored value, "<null>" without value.
inline std::string textOf(const Context& context, const std::string& name) {
    const RilkValuePtr value = context.getVariable(name);
    return value ? value->toString() : "<null>";
}

/// Sets the logger's verbosity for a scope and captures standard output.
class CapturedLog {
  public:
    explicit CapturedLog(int verbosityLevel) : saved_(verbosity) {
        verbosity = verbosityLevel;
        ::testing::internal::CaptureStdout();
    }
    ~CapturedLog() {
        if (!taken_) ::testing::internal::GetCapturedStdout();
        verbosity = saved_;
    }
    std::string text() {
        taken_ = true;
        return ::testing::internal::GetCapturedStdout();
    }

  private:
    int saved_;
    bool taken_ = false;
};

}  // namespace Rilk::testing
