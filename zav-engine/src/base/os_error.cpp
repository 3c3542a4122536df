#include "base/os_error.hpp"

#include <cstring>

namespace zav {

std::string os_error_text(int error_number) {
  std::string text;
  // strerrordesc_np ignores the locale, so the text is always the "C" one.
  if (const char* description = strerrordesc_np(error_number); description != nullptr) {
    text.append(description);
  } else {
    text.append("Unknown error ").append(std::to_string(error_number));
  }
  text.append(" (os error ").append(std::to_string(error_number)).append(")");
  return text;
}

}  // namespace zav
