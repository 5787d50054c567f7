#include "app/build/output_collision.h"

#include "util/logger.h"

namespace Rilk {

void warnOutputCollision(const std::string& output, const std::string& existing,
                         const QualifiedTargetName& target, const std::string& note) {
    log(LogLevel::Warning,
        "Dependency output {} collides with {} in target {}{}. Names are case-insensitive; "
        "this may make dependency output ambiguous.\n",
        output, existing, target.shownName(), note);
}

}  // namespace Rilk
