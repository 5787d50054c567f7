#include "app/driver/rilk_error_report.h"

#include <exception>

#include "types/rilk_errors.h"
#include "util/logger.h"

namespace Rilk {

int runReportingErrors(const std::function<int()>& body) {
    try {
        return body();
    } catch (const Rilk::RilkException& e) {
        Rilk::log(Rilk::LogLevel::Error, "Error: {}\n", e.message());
    } catch (const Rilk::ParseError& e) {
        Rilk::log(Rilk::LogLevel::Error, "Error: {} (at position {} of the name)\n", e.message, e.position);
    } catch (const std::exception& e) {
        Rilk::log(Rilk::LogLevel::Error, "Error: {}\n", e.what());
    } catch (...) {
        Rilk::terminateHandler();
    }
    return 1;
}

}  // namespace Rilk
