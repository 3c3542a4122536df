// Building and ordering diagnostics.
#pragma once

#include <cstddef>
#include <vector>

#include "zav/records.hpp"

namespace zav {

// True when `a` sorts before `b`: byte order over path, severity, code, message.
bool compare_diagnostics(const Diagnostic& a, const Diagnostic& b);

// Sorts the list by compare_diagnostics. It is made of two parts, each in the
// order of the files it is about (the files' own diagnostics, then from
// `second_part` on the warnings of link resolution), so each part is put in
// order file by file and the two are merged; a part whose files do not come
// in path order is sorted whole.
void sort_diagnostics(std::vector<Diagnostic>& diagnostics, std::size_t second_part);

}  // namespace zav
