// Whether the test runs under AddressSanitizer, which replaces the allocator and reserves
// address space of its own: a few tests of out-of-memory handling must then look elsewhere.
#pragma once

namespace br_test {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kUnderAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kUnderAddressSanitizer = true;
#else
constexpr bool kUnderAddressSanitizer = false;
#endif
#else
constexpr bool kUnderAddressSanitizer = false;
#endif

}  // namespace br_test
