// Building and ordering diagnostics.
#pragma once

#include "zav/records.hpp"

namespace zav {

// True when `a` sorts before `b`: byte order over path, severity, code, message.
bool compare_diagnostics(const Diagnostic& a, const Diagnostic& b);

}  // namespace zav
