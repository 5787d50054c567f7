#include "tools/tool_factory_registry.h"

#include <algorithm>
#include <utility>

namespace Rilk {

ToolFactoryRegistry::ToolFactoryRegistry() { factories_.max_load_factor(1.0F); }

ToolFactoryRegistry& ToolFactoryRegistry::instance() {
    static ToolFactoryRegistry registry;
    return registry;
}

ToolFactory& ToolFactoryRegistry::entry(const Util::CiString& name) { return factories_[name]; }

const ToolFactory* ToolFactoryRegistry::find(const Util::CiString& name) const {
    auto found = factories_.find(name);
    return found == factories_.end() ? nullptr : &found->second;
}

void ToolFactoryRegistry::store(const Util::CiString& name, ToolFactory factory) {
    factories_.insert_or_assign(name, std::move(factory));
}

std::vector<std::string> ToolFactoryRegistry::typeNames() const {
    std::vector<Util::CiString> names;
    for (const auto& [name, factory] : factories_) {
        if (factory) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> texts;
    for (const Util::CiString& name : names) texts.push_back(name.str());
    return texts;
}

void registerToolFactory(const Util::CiString& name, const Util::CiString& fallbackName,
                         ToolFactory factory) {
    ToolFactoryRegistry& registry = ToolFactoryRegistry::instance();
    if (!factory) factory = registry.entry(fallbackName);
    registry.store(name, std::move(factory));
}

Matcher* createToolMatcher(const Util::CiString& toolType, const std::string& toolName,
                           AssignmentTable assignments, AssignmentTable mustAssignments) {
    const ToolFactory* factory = ToolFactoryRegistry::instance().find(toolType);
    if (factory == nullptr || !*factory) return nullptr;
    return (*factory)(Util::CiString(toolName), std::move(assignments), std::move(mustAssignments));
}

}  // namespace Rilk
