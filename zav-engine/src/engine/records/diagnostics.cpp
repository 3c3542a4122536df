#include "engine/records/diagnostics.hpp"

#include <algorithm>
#include <tuple>

#include "engine/records/catalogue.hpp"

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

namespace {

using Iterator = std::vector<Diagnostic>::iterator;

// Sorts the diagnostics of each file (a run of one path) and then, unless the
// runs already follow one another in path order, the whole range.
void sort_part(Iterator begin, Iterator end) {
  bool runs_in_order = true;
  for (Iterator run = begin; run != end;) {
    Iterator run_end =
        std::find_if(run, end, [&](const Diagnostic& d) { return d.path != run->path; });
    std::stable_sort(run, run_end, compare_diagnostics);
    if (run != begin && !((run - 1)->path < run->path)) runs_in_order = false;
    run = run_end;
  }
  if (!runs_in_order) std::stable_sort(begin, end, compare_diagnostics);
}

}  // namespace

void sort_diagnostics(std::vector<Diagnostic>& diagnostics, std::size_t second_part) {
  Iterator middle = diagnostics.begin() + static_cast<std::ptrdiff_t>(second_part);
  sort_part(diagnostics.begin(), middle);
  sort_part(middle, diagnostics.end());
  std::inplace_merge(diagnostics.begin(), middle, diagnostics.end(), compare_diagnostics);
}

}  // namespace zav
