// The compiler's reader: the line file, then the train file, under one failure handler that
// turns any run-time failure into code 25 and removes the source files.

#include <new>
#include <system_error>

#include "../platform/file_ospite.h"
#include "../records/guasti.h"
#include "lettore_linea.h"
#include "lettore_treno.h"
#include "lettura.h"
#include "lettura_comune.h"

namespace valmarena {

namespace {

std::string carica(const std::filesystem::path& p) {
    std::string testo, causa;
    if (!leggi_file(p, testo, causa)) throw guasto("cannot read " + cammino_in_testo(p.filename()) + ": " + causa);
    return testo;
}

void cancella(const std::filesystem::path& p) {
    std::error_code ec;
    std::filesystem::remove(p, ec);
    if (ec) throw guasto("cannot delete " + cammino_in_testo(p.filename()) + ": " + ec.message());
}

// Removes a source file after a failure, only if it is still there; says why when it cannot.
std::string cancella_se_presente(const std::filesystem::path& p) {
    std::error_code ec;
    if (!std::filesystem::exists(p, ec)) return {};
    std::filesystem::remove(p, ec);
    return ec ? "; cannot delete " + cammino_in_testo(p.filename()) + ": " + ec.message() : std::string();
}

void registra_guasto(scenario& s, const sorgenti& src, const std::string& cosa, const std::string& file, luogo dove) {
    diagnostica d = diagnostica_in(file, dove, cosa);
    d.codice = 25;
    if (src.cancella) d.dettaglio += cancella_se_presente(src.linea) + cancella_se_presente(src.treno);
    registra_errore(s, d);
}

}  // namespace

void memorizza_dati(scenario& s, const sorgenti& src) {
    s.tabella[voce_percorso].nome = s.nome_percorso;
    s.tabella[voce_treno].nome = s.nome_treno;
    const std::string nome_linea = cammino_in_testo(src.linea);
    const std::string nome_treno = cammino_in_testo(src.treno);
    try {
        std::error_code ec;
        // A text handed in needs no file (the editor's buffer before it is saved).
        if (!src.testo_linea && !std::filesystem::is_regular_file(src.linea, ec)) {
            diagnostica d;
            d.codice = 101;
            d.file = nome_linea;
            registra_errore(s, d);
            return;
        }
        // Each reader keeps the text it reads: a file's text is handed over, not copied.
        const bool avanti = leggi_linea(s, src.testo_linea ? *src.testo_linea : carica(src.linea), nome_linea, src.osservatore);
        if (src.cancella) cancella(src.linea);
        if (!avanti) return;
        leggi_treno(s, src.testo_treno ? *src.testo_treno : carica(src.treno), nome_treno, src.osservatore);
        if (src.cancella) cancella(src.treno);
    } catch (const guasto_in_riga& g) {
        registra_guasto(s, src, g.what(), g.file, g.dove);
    } catch (const guasto& g) {
        registra_guasto(s, src, g.what(), {}, {});
    } catch (const std::bad_alloc&) {
        registra_guasto(s, src, "out of memory", {}, {});
    }
}

}  // namespace valmarena
