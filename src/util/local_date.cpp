#include "util/local_date.h"

#include <ctime>

namespace Rilk {

LocalDate localDateOf(std::chrono::system_clock::time_point moment) {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(moment));
    std::tm parts{};
    localtime_r(&seconds, &parts);
    return {std::to_string(parts.tm_year + 1900), std::to_string(parts.tm_mon + 1),
            std::to_string(parts.tm_mday)};
}

}  // namespace Rilk
