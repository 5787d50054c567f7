#pragma once

#include <utility>

namespace Rilk {

/// Finds keys in an ordered set or map by walking it once, for keys asked for in the
/// container's own order (as when walking another container of the same order alongside):
/// each lookup steps past the smaller keys instead of searching the tree again.
template <class Container>
class OrderedLookup {
public:
    using Element = typename Container::value_type;

    explicit OrderedLookup(const Container& container)
        : next_(container.begin()), end_(container.end()), less_(container.key_comp()) {}

    /// The element whose key is equivalent to `key`, or null. `key` must not order before
    /// the key of any earlier lookup.
    const Element* find(const typename Container::key_type& key) {
        while (next_ != end_ && less_(keyOf(*next_), key)) ++next_;
        if (next_ == end_ || less_(key, keyOf(*next_))) return nullptr;
        return &*next_;
    }

private:
    template <class Key>
    static const Key& keyOf(const Key& key) {
        return key;
    }
    template <class Key, class Value>
    static const Key& keyOf(const std::pair<const Key, Value>& entry) {
        return entry.first;
    }

    typename Container::const_iterator next_;
    typename Container::const_iterator end_;
    typename Container::key_compare less_;
};

}  // namespace Rilk
