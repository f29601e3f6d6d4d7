// Error recording and range tests for the readers.

#include "lettura_comune.h"

namespace valmarena {

void errore_riga(scenario& s, const riga_corrente& r, std::int32_t codice,
                 std::optional<std::int32_t> posizione, std::string dettaglio) {
    diagnostica d;
    d.codice = codice;
    d.ha_posizione = posizione.has_value();
    d.posizione = posizione.value_or(0);
    if (r.in) d.file = r.in->nome_file();
    d.riga = r.dove.riga;
    d.colonna = r.dove.colonna;
    d.dettaglio = std::move(dettaglio);
    registra_errore(s, d);
}

bool dentro_percorso(const scenario& s, std::int64_t p, int margine) {
    if (p < 0) return false;
    return (static_cast<double>(p) + margine) / 50.0 <= static_cast<double>(s.ultima_cella);
}

}  // namespace valmarena
