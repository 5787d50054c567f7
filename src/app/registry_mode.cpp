// The registry steps of a run: loading it, and registering the project (-r).
#include "app/rilk_app.h"
#include "app/rilk_registry.h"

void RilkApplication::loadRegistry() { registry = RilkRegistry::load(registryFailure); }
