#include "engine/concept_checks.hpp"

namespace zav {

void check_concept_file(const SourceFile&, std::vector<Concept>&, std::vector<LinkSource>&,
                        std::vector<Diagnostic>&) {}

std::string normalize_line_ends(std::string_view text) { return std::string(text); }

std::optional<std::string> string_field(const JsonMap&, std::string_view) { return std::nullopt; }

}  // namespace zav
