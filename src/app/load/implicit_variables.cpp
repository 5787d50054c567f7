// The variables the system itself provides to every target.
#include "app/load/implicit_variables.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "util/local_date.h"
#include "types/rilk_string.h"

namespace {

/// "windows" when `C:\` exists, "unix" when "/bin" does, else nothing.
std::optional<std::string> osFamily() {
    std::error_code error;
    if (std::filesystem::exists("C:\\", error)) return "windows";
    if (std::filesystem::exists("/bin", error)) return "unix";
    return std::nullopt;
}

}  // namespace

namespace Rilk {

void addImplicitVariables(Workspace& workspace) {
    auto add = [&workspace](const char* name, std::string text, Rilk::AssignType type) {
        workspace.implicitVariables.addAssignment(
            Rilk::Assignment(name, Rilk::makeString(std::move(text)), type,
                             Rilk::AssignModifier::None),
            Rilk::kKeepModifier);
    };
    const auto keep = Rilk::AssignType::SetIfUnset;
    const auto replace = Rilk::AssignType::Set;
    if (auto family = osFamily()) add("os_family", *family, keep);
    const Rilk::LocalDate today = Rilk::localDateOf(std::chrono::system_clock::now());
    add("year", today.year, keep);
    add("month", today.month, keep);
    add("day", today.day, keep);
    add("project_root", workspace.projectRoot.string(), replace);
    add("output_def_dir", "out", replace);
    add("cwd", std::filesystem::current_path().string(), keep);
}

}  // namespace Rilk
