#pragma once

#include <map>

#include "app/load/project.h"
#include "types/context.h"
#include "util/ci_string.h"

/// A loaded project with the context every one of its targets starts from.
struct ProjectRuntimeContext {
    Rilk::ProjectPtr project;
    Rilk::Context context;
};

/// The runtime contexts by project namespace (the project's name), case-insensitive.
using RuntimeContextMap = std::map<Util::CiString, ProjectRuntimeContext>;
