// Whether this test was built with AddressSanitizer or ThreadSanitizer:
// such builds intercept allocation and locks themselves, and programs built
// without them cannot load a plug-in built with them.
#pragma once

namespace testsupport {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

}  // namespace testsupport
