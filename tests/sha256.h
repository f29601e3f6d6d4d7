// SHA-256 of a byte string, as lower-case hex: the tests hold compiled files by their hash.
#pragma once

#include <string>
#include <string_view>

namespace valmarena::prova {

std::string sha256(std::string_view byte);

}  // namespace valmarena::prova
