#pragma once

#include <cstddef>
#include <functional>

namespace Util {

/// Runs `body` to its end on a new thread whose stack holds `stackBytes`, and waits for it:
/// deep recursion over user input gets the room it needs without touching the main thread's
/// fixed stack. The stack is reserved address space, used only as deep as `body` goes.
/// Whatever `body` throws is thrown again here. Throws std::system_error when the thread
/// cannot be started.
void runWithLargeStack(std::size_t stackBytes, const std::function<void()>& body);

}  // namespace Util
