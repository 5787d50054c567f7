#pragma once

#include <chrono>
#include <string>

namespace Rilk {

/// A calendar date as the implicit variables give it: decimal texts without leading zeros.
struct LocalDate {
    std::string year;
    std::string month;  ///< "1" to "12"
    std::string day;    ///< "1" to "31"
};

/// The date of `moment`, taken to whole seconds, in the local time zone.
LocalDate localDateOf(std::chrono::system_clock::time_point moment);

}  // namespace Rilk
