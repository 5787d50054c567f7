#include "types/context_template.h"

#include "types/context.h"

namespace Rilk {

ContextPtr ContextTemplate::createContext() const {
    return std::make_shared<Context>(assignments, conditions);
}

}  // namespace Rilk
