#pragma once

// Builds with AddressSanitizer or ThreadSanitizer run our code several times slower (TSan most,
// on large buffers). Upper bounds on elapsed time in tests stretch by this factor, so that they
// still tell "ended by the timeout" from "ran into the next, much later bound".

namespace miyoutong::testing_support {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr int kSanitizerSlowdown = 3;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr int kSanitizerSlowdown = 3;
#else
inline constexpr int kSanitizerSlowdown = 1;
#endif
#else
inline constexpr int kSanitizerSlowdown = 1;
#endif

}  // namespace miyoutong::testing_support
