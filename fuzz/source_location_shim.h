#pragma once

// Clang 14 with libstdc++ 12 offers no std::source_location: the library's header needs
// __builtin_source_location, which only later compilers have. The fuzz build force-includes
// this file so that the code base compiles there unchanged; it supplies the same interface
// from the builtins clang 14 does have (constexpr, as clang 14 mishandles a consteval
// default argument). Never used with a compiler that has the real thing.
#if defined(__clang__) && __cplusplus > 201703L && !__has_builtin(__builtin_source_location)
#include <cstdint>

namespace std {

struct source_location {
    static constexpr source_location current(const char* file = __builtin_FILE(),
                                             const char* function = __builtin_FUNCTION(),
                                             std::uint_least32_t line = __builtin_LINE(),
                                             std::uint_least32_t column = __builtin_COLUMN()) {
        source_location where;
        where.file_ = file;
        where.function_ = function;
        where.line_ = line;
        where.column_ = column;
        return where;
    }

    constexpr source_location() noexcept = default;
    constexpr std::uint_least32_t line() const noexcept { return line_; }
    constexpr std::uint_least32_t column() const noexcept { return column_; }
    constexpr const char* file_name() const noexcept { return file_; }
    constexpr const char* function_name() const noexcept { return function_; }

private:
    const char* file_ = "";
    const char* function_ = "";
    std::uint_least32_t line_ = 0;
    std::uint_least32_t column_ = 0;
};

}  // namespace std
#endif
