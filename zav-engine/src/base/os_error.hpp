// Operating-system errors as text: "{message} (os error {number})", the
// message being the C library's text for the number in the "C" locale.
#pragma once

#include <string>

namespace zav {

std::string os_error_text(int error_number);

}  // namespace zav
