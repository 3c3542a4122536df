// A generous time bound for a hostile input whose handling takes
// milliseconds, wider in the slower sanitizer builds. Work that grows with
// the square of such an input takes minutes, so the bound still catches it.
#pragma once

#include <chrono>

namespace zav::test {

#ifdef __SANITIZE_ADDRESS__
inline constexpr std::chrono::seconds QUICK{5};
#else
inline constexpr std::chrono::seconds QUICK{1};
#endif

}  // namespace zav::test
