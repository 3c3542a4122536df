// A bundle load with a point between its steps at which the caller may act,
// so that tests can change the tree after discovery and before the read.
#pragma once

#include <cstdint>
#include <expected>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "zav/records.hpp"

namespace zav {

struct LoadHooks {
  // Runs once discovery has listed the files (absolute paths, in discovery
  // order) and before any of them is read.
  std::function<void(const std::vector<std::string>& paths)> after_discovery;
};

// load_bundle (zav/engine.hpp), calling the hooks that are set.
std::expected<Bundle, std::string> load_bundle(std::string_view root,
                                               const std::vector<std::string>& excludes,
                                               std::uint64_t read_concurrency,
                                               const LoadHooks& hooks);

}  // namespace zav
