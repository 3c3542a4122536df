// TEMPORARY STUB
#pragma once
#include <optional>
#include <string_view>
namespace zav::markdown {
std::optional<std::string_view> named_character_reference(std::string_view name);
}
