// The front end's one failure value: an error message, printed unchanged.
#pragma once

#include <expected>
#include <string>

namespace zav {

struct CommandError {
  std::string message;
};

using CommandResult = std::expected<void, CommandError>;

}  // namespace zav
