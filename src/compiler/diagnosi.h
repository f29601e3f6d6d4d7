// The authors' diagnostics beside the readers: each row read is compared with its description
// (keyword spelling, field count, numbers, grid, ranges) and each file is looked at for UTF-8.
// Nothing here changes what the readers store.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "../records/scenario.h"
#include "formato.h"
#include "lettore_token.h"

namespace valmarena {

// The row just read: its keyword token, where it stood and whether it began its line.
struct riga_letta {
    file_righe file;
    bool generale;  // inside the line file's [generale] section
    std::string_view token;
    luogo dove;
    bool primo_della_riga;
};

// What a keyword token is read as: the rows, their fields in order, and the warnings its
// spelling draws. Worked out once for each token a file repeats.
struct lettura_chiave {
    std::vector<const descrizione_riga*> righe;
    std::vector<std::pair<const campo_riga*, const descrizione_riga*>> attesi;
    std::vector<std::string> grafie;
    bool punti_e_virgola = false;  // the token holds a semicolon
};

// A stretch row (speed limit or adhesion) as the diagnosis follows the reader's fill: the cell
// its pointer stands at, and the last row read.
struct tratto_letto {
    bool visto = false;
    std::int64_t puntatore = 0;
    std::int64_t posizione = 0;
    std::int64_t valore = 0;
    int riga = 0;
};

// What a keyword token is read as, in the line file's [generale] section or after it.
lettura_chiave leggi_chiave(file_righe f, bool generale, std::string_view token);

// The stretch rows read so far in a file, which the diagnosis follows row after row.
struct tratti_letti {
    tratto_letto velocita;
    tratto_letto aderenza;
};

// Warnings on the row just read, from the fields the token reader kept for it and what its
// keyword token is read as.
void diagnostica_riga(scenario& s, const lettore_token& in, const riga_letta& r, const lettura_chiave& k,
                      tratti_letti& tratti);

// Notes which row put the feature now standing in cell k.
void segna_origine(scenario& s, std::int64_t k, origine_cella o);

// "cell K (M m) already holds the signal of FILE:LINE"; empty when the cell is free or unknown.
std::string occupante(const scenario& s, std::int64_t k);

// The row that put the feature standing in cell k, when it is known.
std::optional<riga_correlata> riga_occupante(const scenario& s, std::int64_t k);

// "field 'NAME' of the 'KEYWORD' row" for the field being read when a conversion failed; empty
// when the row has no such field.
std::string campo_in_lettura(const lettore_token& in, const riga_letta& r);

// A warning when a source file looks like UTF-8 (a byte-order mark or a valid multi-byte sequence).
void diagnostica_codifica(scenario& s, std::string_view testo, const std::string& nome_file);

// Warns of a text that a package cannot carry as one of its files: more lines than its line
// table holds, or a line that ends the table.
void diagnostica_pacchetto(scenario& s, std::string_view testo, const std::string& nome_file);

// Source text quoted in a message: Windows-1252 to UTF-8, a tab shown as <TAB>.
std::string citazione(std::string_view testo);

}  // namespace valmarena
