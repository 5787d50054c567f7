#pragma once

#include <memory>
#include <string>
#include <vector>

#include "types/rilk_list.h"
#include "types/rilk_raw_string.h"
#include "types/rilk_string.h"
#include "util/logger.h"

namespace RilkTest {

inline Rilk::RilkValuePtr raw(const std::string& text) {
    return std::make_shared<Rilk::RilkRawString>(text);
}

inline Rilk::RilkValuePtr list(const std::vector<std::string>& texts) {
    std::vector<Rilk::RilkValuePtr> elements;
    for (const std::string& text : texts) elements.push_back(Rilk::makeString(text));
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

/// Lowers the verbosity for its scope so every level prints, and restores it.
class VerbosityScope {
  public:
    explicit VerbosityScope(int level) : saved_(Rilk::verbosity) { Rilk::verbosity = level; }
    ~VerbosityScope() { Rilk::verbosity = saved_; }

  private:
    int saved_;
};

}  // namespace RilkTest
