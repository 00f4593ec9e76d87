// Which sanitizer a test program was built with, for the few checks of time
// or resident memory that a sanitizer's own bookkeeping skews (AddressSanitizer
// keeps freed memory aside for a while; both slow every allocation).
#pragma once

#if defined(__has_feature)
#define TAVIMO_HAS_FEATURE(x) __has_feature(x)
#else
#define TAVIMO_HAS_FEATURE(x) 0  // gcc names its sanitizers by macros only
#endif

namespace tavimo::testing_support {

#if defined(__SANITIZE_ADDRESS__) || TAVIMO_HAS_FEATURE(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif

#if defined(__SANITIZE_THREAD__) || TAVIMO_HAS_FEATURE(thread_sanitizer)
inline constexpr bool kThreadSanitizer = true;
#else
inline constexpr bool kThreadSanitizer = false;
#endif

inline constexpr bool kSanitized = kAddressSanitizer || kThreadSanitizer;

}  // namespace tavimo::testing_support
