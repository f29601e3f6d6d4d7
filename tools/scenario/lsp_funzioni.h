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

// The kilometre post at `metri` from the line's three kilometric references (entries 81 to 83
// as the reader sorted them): the metres the post stands for.
std::int64_t punto_chilometrico(const std::array<voce, 3>& riferimenti, std::int64_t metri);

// "km 287+550", "km -1+200".
std::string km_in_testo(std::int64_t metri);

}  // namespace valmarena::strumento
