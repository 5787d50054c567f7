#pragma once

#include <map>
#include <memory>
#include <string>

#include "types/identifier.h"
#include "types/rilk_errors.h"
#include "types/rilk_value.h"
#include "util/ci_string.h"

namespace RilkTest {

/// A resolver over a map of variables, behaving like a context for plain names: a
/// resolvable value is resolved once, on its first lookup, with this map as its resolver,
/// and the result replaces it. Indexed names use the stored value's `get`.
class MapResolver : public Rilk::Resolver {
  public:
    void set(const std::string& name, Rilk::RilkValuePtr value) {
        if (auto* resolvable = dynamic_cast<Rilk::Resolvable*>(value.get())) {
            resolvable->setResolver(this);
        }
        variables_[name] = Entry{std::move(value), false};
    }

    Rilk::RilkValuePtr resolve(const Rilk::Identifier& identifier) override {
        const auto& segment = identifier.segments.front();
        const auto found = variables_.find(segment.name);
        if (found == variables_.end()) throw Rilk::NotFoundException("Assignment", segment.name);
        Entry& entry = found->second;
        if (!segment.indices.empty()) {
            const auto index = std::get<Rilk::kNumberIndex>(segment.indices.front());
            return entry.value->get(Rilk::AccessKey(static_cast<std::int64_t>(index)));
        }
        if (!entry.resolved) {
            if (auto* resolvable = dynamic_cast<Rilk::Resolvable*>(entry.value.get())) {
                entry.value = resolvable->resolve();
            }
            entry.resolved = true;
        }
        return entry.value;
    }

  private:
    struct Entry {
        Rilk::RilkValuePtr value;
        bool resolved = false;
    };
    std::map<Util::CiString, Entry> variables_;
};

}  // namespace RilkTest
