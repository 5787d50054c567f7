#pragma once

#include <mutex>

namespace Rilk {

/// Held while anything uses the generated lexer or parser. Their prediction caches are
/// shared by every instance in the process, so texts read on several threads (the build
/// cache is read while the units load) take turns. Recursive: a parse may start another
/// on the same thread.
inline std::unique_lock<std::recursive_mutex> lockGrammar() {
    static std::recursive_mutex grammar;
    return std::unique_lock(grammar);
}

}  // namespace Rilk
