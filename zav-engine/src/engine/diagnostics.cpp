#include "engine/diagnostics.hpp"

#include <tuple>

#include "engine/catalogue.hpp"

namespace zav {

Diagnostic Diagnostic::new_(std::string_view code, std::string_view severity, std::string_view path,
                            std::string message) {
  return Diagnostic{std::string(code), std::string(severity), std::string(path),
                    std::move(message)};
}

Diagnostic Diagnostic::error(std::string_view code, std::string_view path,
                             std::string_view message) {
  return new_(code, catalogue::ERROR, path, std::string(message));
}

// std::string compares through char_traits<char>, which orders bytes as
// unsigned values, so this is plain byte order with shorter prefixes first.
bool compare_diagnostics(const Diagnostic& a, const Diagnostic& b) {
  return std::tie(a.path, a.severity, a.code, a.message) <
         std::tie(b.path, b.severity, b.code, b.message);
}

}  // namespace zav
