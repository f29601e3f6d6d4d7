// Pieces shared by the fuzz targets: a fresh scenario named like the package's, the reading of
// both sources in memory under the same failure handler as the compiler's, and a check that
// turns a broken invariant into a crash the fuzzer reports.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>

#include "compiler/compilatore.h"
#include "compiler/lettore_linea.h"
#include "compiler/lettore_treno.h"
#include "compiler/lettura_comune.h"
#include "records/guasti.h"
#include "records/scenario.h"

namespace valmarena::fuzz {

// A broken invariant: the fuzzer stops on the abort; the regression tests get an exception.
struct invariante_violata : std::logic_error {
    using std::logic_error::logic_error;
};

inline void pretendi(bool condizione, const char* cosa) {
    if (condizione) return;
#ifdef VALMARENA_FUZZ_IN_PROVA
    throw invariante_violata(cosa);
#else
    std::fprintf(stderr, "invariante violata: %s\n", cosa);
    std::abort();
#endif
}

inline scenario scenario_nuovo(tracciato_si_no genera_tracciato) {
    scenario s;
    s.nome_percorso = "Valmarena";
    s.nome_treno = "RX 914";
    s.genera_tracciato = genera_tracciato;
    inizializza_tabella(s);
    s.tabella[voce_percorso].nome = s.nome_percorso;
    s.tabella[voce_treno].nome = s.nome_treno;
    return s;
}

// What memorizza_dati does with the two texts, without files: a run-time failure of the reader
// becomes code 25, as in the compiler.
inline void leggi_in_memoria(scenario& s, const std::string& linea, const std::string& treno) {
    try {
        if (!leggi_linea(s, linea, "linea.txt")) return;
        leggi_treno(s, treno, "treno.txt");
    } catch (const guasto&) {
        diagnostica d;
        d.codice = 25;
        registra_errore(s, d);
    } catch (const std::bad_alloc&) {
        diagnostica d;
        d.codice = 25;
        registra_errore(s, d);
    }
}

// The records stay consistent whatever the reader did.
inline void controlla_scenario(const scenario& s) {
    pretendi(s.celle.empty() || s.celle.size() == static_cast<std::size_t>(s.ultima_cella) + 1,
             "le celle non corrispondono a ultima_cella");
    pretendi(s.n_montagne >= 0 && s.n_montagne <= max_montagne, "numero di montagne fuori dall'elenco");
    const auto& tratti = s.tracciato.tratti;
    for (std::size_t i = 0; i < tratti.size(); ++i)
        pretendi(tratti[i].fine >= 2 && static_cast<std::uint64_t>(tratti[i].fine) < s.tracciato.punti &&
                     (i == 0 || tratti[i].fine > tratti[i - 1].fine),
                 "tratti del tracciato fuori ordine o fuori dal tracciato");
    pretendi(tratti.empty() || s.tracciato.origine, "tratti del tracciato senza origine");
    pretendi(s.codice_errore == 0 || !s.diagnostiche.empty(), "codice di errore senza diagnostica");
}

}  // namespace valmarena::fuzz
