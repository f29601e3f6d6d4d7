// The diagnostics list and its identifiers.

#include "elenco_diagnostiche.h"

#include <algorithm>

#include "chilometri.h"
#include "compilatore.h"
#include "errori.h"
#include "lettore_token.h"

namespace valmarena {

namespace {

struct nota_autori {
    const char* id;
    gravita livello;
    const char* descrizione;
};

// The notes to authors: what the reader passed over or took otherwise than written.
const nota_autori note_autori[] = {
    {"unknown-keyword", gravita::avvertimento, "a row whose keyword matches no row of its file: it is passed over"},
    {"keyword-spelling", gravita::avvertimento, "a keyword not written as it should be, read as the row it names"},
    {"keyword-after-row", gravita::avvertimento, "a keyword after the end of a row on the same line, read as a row"},
    {"short-row", gravita::avvertimento,
     "a row with fields missing on its line: the reader takes them from the next line, whose row is lost"},
    {"extra-values", gravita::avvertimento, "values after a row's last field: ignored, or read as further rows"},
    {"decimal-comma", gravita::avvertimento,
     "a number written with a decimal comma: fields are separated by commas, so it reads as two fields"},
    {"semicolons", gravita::avvertimento,
     "a row whose fields are separated by semicolons: it reads as one keyword and takes its fields from the "
     "lines after it"},
    {"quote-spans-lines", gravita::avvertimento,
     "a quoted field that runs past its line end: the lines up to the closing quote are part of it"},
    {"not-an-integer", gravita::avvertimento, "a numeric field that is not a whole number: what it is read as"},
    {"out-of-range", gravita::avvertimento, "a value outside the range its field is expected to keep"},
    {"off-grid", gravita::avvertimento, "a position off its 50 m grid: where the feature lands"},
    {"position-goes-back", gravita::avvertimento,
     "a speed-limit or adhesion row at a position before the previous row's: the previous value loses its stretch"},
    {"beyond-route", gravita::avvertimento,
     "a feature beyond the route length, in the cells that reach past the route's end"},
    {"short-slowdown", gravita::avvertimento, "a slowdown shorter than one cell: it has no end mark"},
    {"slowdown-end-covered", gravita::avvertimento, "a station's stopping point written over a slowdown's end mark"},
    {"text-too-long", gravita::errore,
     "a text longer than the 65535 bytes a table entry holds: compile cannot write the scenario table"},
    {"package-limit", gravita::avvertimento,
     "a text with more lines than a package carries of one file (1000), or holding the line that ends its "
     "line table: compile takes it, package cannot"},
    {"utf-8", gravita::avvertimento, "a file that looks like UTF-8 read as Windows-1252"},
    {"timetable-too-fast", gravita::avvertimento,
     "a station's time shorter than running the stretch from the station before at the speed limits"},
    {"timetable-backwards", gravita::avvertimento, "a station's time earlier than the time of the station before"},
    {"timetable-tight", gravita::nota,
     "a station's time shorter than the running model needs from the station before (a note, not a fault)"},
};

// The codes the compiler records, in increasing order.
std::vector<int> codici_registrati() {
    std::vector<int> c;
    for (int k = 1; k < 200; ++k)
        if (!significato_errore(k).empty()) c.push_back(k);
    return c;
}

int rango(const std::string& f, const std::string& nome_linea, const std::string& nome_treno) {
    return f.empty() ? 2 : f == nome_linea ? 0 : f == nome_treno ? 1 : 2;
}

bool spiega_senza_celle(const diagnostica& d) { return d.codice == 102 || d.codice == 1 || d.codice == 104; }

// An error that says only that the route cells (or the track plan) do not exist: a row beyond a
// route of no cells, a run-time failure on a cell or a metre that is not there.
bool cella_mancante(const scenario& s, const diagnostica& d) {
    if (d.codice == 15) return s.celle.empty();
    return d.codice == 25 && (d.dettaglio.find("outside the route cells") != std::string::npos ||
                              d.dettaglio.find("outside the track plan") != std::string::npos);
}

// The range warning on the route length that an error 1 or 104 of the same row already gives.
bool ripete(const scenario& s, const diagnostica& a) {
    return a.tipo == "out-of-range" && std::any_of(s.diagnostiche.begin(), s.diagnostiche.end(), [&](const diagnostica& d) {
               return (d.codice == 1 || d.codice == 104) && d.file == a.file && d.riga == a.riga;
           });
}

std::string testo_errore(const diagnostica& d) {
    std::string_view cosa = d.significato.empty() ? significato_errore(d.codice) : std::string_view(d.significato);
    std::string m(cosa.empty() ? std::string_view("unknown error") : cosa);
    if (!d.dettaglio.empty()) m += " (" + d.dettaglio + ")";
    return m;
}

}  // namespace

const char* nome_gravita(gravita g) {
    switch (g) {
    case gravita::nota: return "note";
    case gravita::avvertimento: return "warning";
    case gravita::errore: return "error";
    }
    return "warning";
}

const std::vector<regola>& regole() {
    static const std::vector<regola> r = [] {
        std::vector<regola> v;
        for (int k : codici_registrati())
            v.push_back({"error-" + std::to_string(k), gravita::errore, std::string(significato_errore(k))});
        v.push_back({"fatal-1250", gravita::errore,
                     "a reserved slot (valore1 of cell 1 or intero1 of entry 85) already taken: no file is written"});
        v.push_back({"fatal-1251", gravita::errore,
                     "a reserved slot (valore2 of cell 1 or orario of entry 85) already taken: no file is written"});
        for (const auto& n : note_autori) v.push_back({n.id, n.livello, n.descrizione});
        return v;
    }();
    return r;
}

gravita gravita_di(std::string_view tipo) {
    for (const auto& n : note_autori)
        if (tipo == n.id) return n.livello;
    return gravita::avvertimento;
}

int larghezza_campo(std::string_view riga, int colonna) {
    if (colonna < 1 || static_cast<std::size_t>(colonna) > riga.size()) return 0;
    lettore_token in(std::string(riga.substr(static_cast<std::size_t>(colonna) - 1)), {});
    in.testo();
    return in.campi().empty() ? 0 : static_cast<int>(in.campi().back().grezzo.size());
}

bool senza_celle_spiegato(const scenario& s) {
    return std::any_of(s.diagnostiche.begin(), s.diagnostiche.end(), spiega_senza_celle);
}

std::vector<segnalazione> elenco_diagnostiche(const scenario& s, const std::string& nome_linea,
                                              const std::string& nome_treno) {
    const bool spiegato = senza_celle_spiegato(s);
    const chilometri km(s.tabella);
    std::vector<std::pair<int, segnalazione>> v;
    for (const auto& d : s.diagnostiche) {
        if (spiegato && cella_mancante(s, d)) continue;
        segnalazione x{"error-" + std::to_string(d.codice), gravita::errore, d.codice, d.ha_posizione, d.posizione,
                       d.file, d.riga, d.colonna, testo_errore(d), d.correlate, {}};
        // Without [generale] nothing of the file was read: the fault is at its start.
        if (d.codice == 102) x.riga = x.colonna = 1;
        if (d.ha_posizione) x.cippo = km_cippo(km.progressiva(d.posizione));
        v.emplace_back(rango(d.file, nome_linea, nome_treno), std::move(x));
    }
    for (const auto& d : s.avvertimenti) {
        if (spiegato && ripete(s, d)) continue;
        segnalazione x{d.tipo.empty() ? std::string("warning") : d.tipo, gravita_di(d.tipo), 0, false, 0, d.file,
                       d.riga, d.colonna, d.dettaglio, d.correlate, {}};
        v.emplace_back(rango(d.file, nome_linea, nome_treno), std::move(x));
    }
    std::stable_sort(v.begin(), v.end(), [](const auto& x, const auto& y) {
        if (x.first != y.first) return x.first < y.first;
        if (x.first == 2) return false;  // route-check errors keep the order they were found in
        if (x.second.riga != y.second.riga) return x.second.riga < y.second.riga;
        return x.second.colonna < y.second.colonna;
    });
    std::vector<segnalazione> elenco;
    elenco.reserve(v.size());
    for (auto& [r, x] : v) elenco.push_back(std::move(x));
    return elenco;
}

conteggio_diagnostiche conta_diagnostiche(const scenario& s) {
    conteggio_diagnostiche c;
    const bool spiegato = senza_celle_spiegato(s);
    c.errori = errori_trovati(s);
    if (spiegato) {
        c.errori -= std::count_if(s.diagnostiche.begin(), s.diagnostiche.end(),
                                  [&](const diagnostica& d) { return cella_mancante(s, d); });
        c.avvertimenti -= std::count_if(s.avvertimenti.begin(), s.avvertimenti.end(),
                                        [&](const diagnostica& d) { return ripete(s, d); });
    }
    for (const auto& [tipo, quanti] : s.avvertimenti_per_tipo) {
        switch (gravita_di(tipo)) {
        case gravita::errore: c.errori += quanti; break;
        case gravita::avvertimento: c.avvertimenti += quanti; break;
        case gravita::nota: c.note += quanti; break;
        }
    }
    return c;
}

std::vector<segnalazione> diagnostiche_dei_testi(const std::string& linea, const std::string& treno,
                                                 const std::string& nome_linea, const std::string& nome_treno) {
    scenario s;
    s.nome_percorso = "Valmarena";
    s.nome_treno = "RX 914";
    s.continua_dopo_errori = true;
    sorgenti src{nome_linea, nome_treno, false, linea, treno};
    compila_in_memoria(s, tracciato_si_no::con, src);
    return elenco_diagnostiche(s, nome_linea, nome_treno);
}

}  // namespace valmarena
