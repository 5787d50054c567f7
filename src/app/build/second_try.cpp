#include "app/build/second_try.h"

#include "types/rilk_errors.h"

namespace Rilk {

void addOnSecondTry(Rilk::Context& context, const Rilk::Assignment& assignment,
                    const std::string& variable, const std::string& what) {
    try {
        context.addAssignment(assignment, Rilk::kKeepModifier);
    } catch (const Rilk::VariableError&) {
        throw;
    } catch (const Rilk::LoopFoundException&) {
        throw;
    } catch (const Rilk::RilkException& error) {
        throw Rilk::VariableError(variable, what + ": " + error.message());
    }
}

}  // namespace Rilk
