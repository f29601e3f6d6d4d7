// The view's page as the build embeds it from tools/scenario/vista: the HTML with its places
// for the style, the script and the data, the style sheet and the script.
#pragma once

#include <string_view>

namespace valmarena::strumento::pagina {

std::string_view html();
std::string_view css();
std::string_view js();

}  // namespace valmarena::strumento::pagina
