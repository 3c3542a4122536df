// TEMPORARY STUB
#pragma once
#include <string>
namespace zav::markdown {
void append_case_folded(std::string& out, char32_t c);
}
