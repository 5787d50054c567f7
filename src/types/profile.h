#pragma once

#include <memory>
#include <string>

#include "types/context_template.h"

namespace Rilk {

/// A profile of a project file: a name as written and the template of its variable
/// block, applied to the project's targets while the profile is active.
struct Profile {
    std::string name;
    std::shared_ptr<ContextTemplate> contextTemplate;
};

}  // namespace Rilk
