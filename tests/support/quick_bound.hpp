// A generous time bound for a hostile input whose handling takes well under
// a second, wide enough for a loaded machine running the tests in parallel
// and for the slower sanitizer builds. Work that grows with the square of
// such an input takes minutes, so the bound still catches it.
#pragma once

#include <chrono>

namespace zav::test {

#ifdef __SANITIZE_ADDRESS__
inline constexpr std::chrono::seconds QUICK{30};
#else
inline constexpr std::chrono::seconds QUICK{10};
#endif

}  // namespace zav::test
