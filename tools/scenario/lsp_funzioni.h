// What the language server answers about one open source: hover, completion, signature help,
// the outline and the quick fixes, all from the one row description.
#pragma once

#include <nlohmann/json.hpp>

#include "lsp_scenario.h"

namespace valmarena::strumento {

// Each takes the document and the request's params and gives the request's result.
nlohmann::json hover(const documento& d, const nlohmann::json& params);
nlohmann::json completamento(const documento& d, const nlohmann::json& params);
nlohmann::json aiuto_firma(const documento& d, const nlohmann::json& params);
nlohmann::json simboli(const documento& d);
nlohmann::json azioni(const documento& d, const nlohmann::json& params);

}  // namespace valmarena::strumento
