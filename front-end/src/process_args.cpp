#include "process_args.hpp"

#include <vector>

namespace zav {
namespace {

std::vector<std::string_view>& arguments() {
  static std::vector<std::string_view> kept;
  return kept;
}

}  // namespace

void keep_process_arguments(int argc, char** argv) {
  arguments().assign(argv, argv + argc);
}

std::span<const std::string_view> process_arguments() { return arguments(); }

}  // namespace zav
