#include "util/random_token.h"

#include <sys/random.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>

#include <fmt/format.h>

#include "util/process_table.h"

namespace Util {

std::string randomRunToken() {
    std::uint64_t bits[2] = {};
    if (::getrandom(bits, sizeof bits, 0) != static_cast<ssize_t>(sizeof bits)) {
        // Unique enough without the random bits: this process, now.
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        bits[0] = static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000U +
                  static_cast<std::uint64_t>(now.tv_nsec);
        bits[1] = static_cast<std::uint64_t>(::getpid()) ^ processStartTime(::getpid());
    }
    return fmt::format("{:016x}{:016x}", bits[0], bits[1]);
}

}  // namespace Util
