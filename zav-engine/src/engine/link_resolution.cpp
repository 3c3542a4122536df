#include "engine/link_resolution.hpp"

namespace zav {

void resolve_local_links(std::string_view, const std::vector<Concept>&,
                         const std::vector<LinkSource>&, const KnownPaths&, std::vector<Link>&,
                         std::vector<Diagnostic>&) {}

std::optional<std::string> resolve_link_target(std::string_view, std::string_view,
                                               std::string_view) {
  return std::nullopt;
}

}  // namespace zav
