// What a compiled cell or table entry means, in words and numbers: the decoded view that the
// dump prints as a listing or as JSON and that the plot draws from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "records/arrotonda.h"
#include "records/scenario.h"

namespace valmarena::strumento {

// The name of a cell kind ("signal", "stopping point", ...); "unknown kind N" for any other.
std::string nome_tipo_cella(std::uint8_t tipo);

// The name of a reserved table entry (81..86, "voce_misure" ...); empty for the others.
std::string_view nome_voce_riservata(std::size_t indice);

// Where a point feature of cell c stands: the start of the cell.
inline std::int64_t metri_cella(std::size_t c) { return inizio_cella(static_cast<std::int64_t>(c)); }

// One decoded value: a number, a list of numbers, or a text (UTF-8).
struct campo_letto {
    std::string nome;
    std::vector<std::int64_t> numeri;
    bool lista = false;
    std::optional<std::string> testo;
};

// A cell that carries a feature, with its values decoded.
struct elemento_cella {
    std::size_t indice = 0;
    std::int64_t metri = 0;
    std::uint8_t tipo = 0;
    std::string nome_tipo;
    std::vector<campo_letto> campi;
    cella grezza;
};

// Decodes cell `i`; with the table at hand, a stopping point and a signboard get their names.
elemento_cella descrivi_cella(const std::vector<cella>& celle, std::size_t i, const std::vector<voce>* tabella);

// A slowdown found on the cells: its start, and the end, warning point and numbered cells that
// belong to it when they are there.
struct rallentamento_letto {
    std::size_t inizio = 0;
    std::int16_t velocita = 0;
    std::optional<std::size_t> fine;
    std::optional<std::size_t> avviso;
    std::vector<std::size_t> numerate;
};
std::vector<rallentamento_letto> trova_rallentamenti(const std::vector<cella>& celle);

// What a table entry holds: "station", "signboard text", "empty", or the reserved entry's name.
std::string ruolo_voce(const std::vector<voce>& tabella, std::size_t i);

// Every field of an entry, in file order, and what the reserved ones mean.
std::vector<campo_letto> campi_voce(const voce& v);
std::string significato_voce_riservata(std::size_t indice);

}  // namespace valmarena::strumento
