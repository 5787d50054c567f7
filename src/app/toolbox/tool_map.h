#pragma once

#include <map>
#include <memory>
#include <string>

#include "tools/matcher.h"
#include "types/context_template.h"
#include "util/ci_string.h"

namespace Rilk {

/// The registered build tools by name, in case-insensitive name order. A name occurs once,
/// in the spelling under which it was first stored.
using ToolMap = std::map<Util::CiString, std::shared_ptr<Matcher>>;

/// One tool definition to register: the name it is registered under, its block and where
/// it comes from ("Registry", or "Project " and the project's name) for messages.
struct ToolSource {
    std::string name;
    std::shared_ptr<ContextTemplate> context;
    std::string origin;
};

}  // namespace Rilk
