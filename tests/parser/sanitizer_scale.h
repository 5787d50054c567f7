#pragma once

// Sanitizer builds run many times slower and use several times the stack per call, so
// tests of large inputs take about a tenth of the size there.

#if defined(__SANITIZE_ADDRESS__)
#define RILK_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RILK_TEST_SANITIZED 1
#endif
#endif

namespace RilkTest {

#ifdef RILK_TEST_SANITIZED
inline constexpr int kSizeDivisor = 10;
#else
inline constexpr int kSizeDivisor = 1;
#endif

/// `size` in a release build, about a tenth of it in a sanitizer build.
constexpr int scaled(int size) { return size / kSizeDivisor; }

}  // namespace RilkTest
