#pragma once

// Values and variables for the expansion tests.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "types/context.h"
#include "types/rilk_list.h"
#include "types/rilk_raw_string.h"
#include "types/rilk_string.h"
#include "util/logger.h"

namespace RilkTest {

inline Rilk::RilkValuePtr raw(const std::string& text) {
    return std::make_shared<Rilk::RilkRawString>(text);
}

/// A list of expanding strings.
inline Rilk::RilkValuePtr list(const std::vector<std::string>& texts) {
    std::vector<Rilk::RilkValuePtr> elements;
    for (const std::string& text : texts) elements.push_back(Rilk::makeString(text));
    return std::make_shared<Rilk::RilkList>(std::move(elements));
}

/// A list of raw strings, which keep their text when the list is resolved.
inline Rilk::RilkValuePtr rawList(const std::vector<std::string>& texts) {
    std::vector<Rilk::RilkValuePtr> elements;
    for (const std::string& text : texts) elements.push_back(raw(text));
    return std::make_shared<Rilk::RilkList>(std::move(elements));
}

/// The texts of a string (one) or of a list's elements.
inline std::vector<std::string> texts(const Rilk::RilkValuePtr& value) {
    std::vector<std::string> out;
    if (const auto* l = dynamic_cast<const Rilk::RilkList*>(value.get())) {
        for (const auto& element : l->elements()) out.push_back(element->toString());
    } else {
        out.push_back(value->toString());
    }
    return out;
}

/// A context to hold the variables that expanded texts refer to.
class Variables {
public:
    void set(const std::string& name, Rilk::RilkValuePtr value) {
        context_->addAssignment(Rilk::Assignment(name, std::move(value), Rilk::AssignType::Set,
                                                 Rilk::AssignModifier::None),
                                Rilk::kKeepModifier);
    }
    Rilk::Context* resolver() const { return context_.get(); }
    /// The variable's value as the context stores it now.
    Rilk::RilkValuePtr stored(const std::string& name) const { return context_->getVariable(name); }

private:
    Rilk::ContextPtr context_ = std::make_shared<Rilk::Context>();
};

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

}  // namespace RilkTest
