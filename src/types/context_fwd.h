#pragma once

#include <memory>

namespace Rilk {

class Context;

/// Contexts are shared objects; a target context held this way is still destroyed as a
/// target context.
using ContextPtr = std::shared_ptr<Context>;

}  // namespace Rilk
