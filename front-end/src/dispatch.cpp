#include "dispatch.hpp"

#include <cstdio>
#include <cstdlib>

namespace zav {

// Placeholder until the roads are in.
void dispatch_main() {
  std::fputs("zav-parser: not built yet\n", stderr);
  std::exit(1);
}

}  // namespace zav
