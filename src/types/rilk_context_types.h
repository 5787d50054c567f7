#pragma once

// Variable contexts and everything that lives with them: conditional blocks, templates,
// target names, target contexts, dependency records, the identifier and nested-context
// values, and the argument text of variables.

#include "types/argument_text.h"
#include "types/condition.h"
#include "types/context.h"
#include "types/context_template.h"
#include "types/dependency.h"
#include "types/parameter_list.h"
#include "types/qualified_target_name.h"
#include "types/rilk_context_value.h"
#include "types/rilk_identifier.h"
#include "types/target_context.h"
