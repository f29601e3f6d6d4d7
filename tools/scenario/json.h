// Just enough JSON writing for the tool's machine-readable output.
#pragma once

#include <string>
#include <string_view>

namespace valmarena::strumento {

// A JSON string literal for UTF-8 text, quotes included.
std::string json_testo(std::string_view utf8);

}  // namespace valmarena::strumento
