// Reading the three compiled files back into records: the counterpart of the writers. Each
// function takes the whole file's bytes and either returns every record in it or throws
// `formato_errato` saying which byte does not fit the layout; nothing is guessed or skipped.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "../records/scenario.h"

namespace valmarena {

// The bytes do not fit the file's layout. `offset` is where the fault was found.
struct formato_errato : std::runtime_error {
    std::size_t offset;
    formato_errato(const std::string& cosa, std::size_t dove) : std::runtime_error(cosa), offset(dove) {}
};

// The table file: exactly `voci_tabella` entries, each 34 bytes plus its name, and nothing after.
std::vector<voce> decodifica_tabella(std::string_view byte);

// The cell file: a whole number of 15-byte cells, at least one.
std::vector<cella> decodifica_celle(std::string_view byte);

// The track-plan file: tagged values (tag 0 empty, 2 integer, 5 real), the x half then the y
// half, so an even number of values, at least two.
struct tracciato decodifica_tracciato(std::string_view byte);

}  // namespace valmarena
