// `scenario check` (and `compile --dry-run`): compiles in memory, reading on after a failing row,
// and reports every recorded error and every note on the sources. Writes no file.

#include <algorithm>
#include <iostream>
#include <sstream>

#include "argomenti.h"
#include "comandi.h"
#include "comune.h"
#include "compiler/compilatore.h"
#include "compiler/errori.h"
#include "json.h"
#include "rapporto.h"
#include "platform/file_ospite.h"

namespace valmarena::strumento {

namespace {

std::string rapporto_in_json(const std::string& nome_linea, const std::string& nome_treno, int stato,
                             const scenario& s, const esito_compilazione& e,
                             const std::vector<voce_rapporto>& rapporto) {
    json_scrittore j;
    j.oggetto().chiave("line").testo(nome_linea).chiave("train").testo(nome_treno);
    j.chiave("status").intero(stato);
    j.chiave("codice_errore").intero(s.codice_errore).chiave("posizione_errore").intero(s.posizione_errore);
    j.chiave("fatal");
    e.fatale == errore_fatale::nessuno ? j.nullo() : j.testo(codice_fatale(e.fatale));
    j.chiave("cells_built").logico(!e.senza_celle);
    j.chiave("errors").lista();
    for (const auto& r : rapporto)
        if (r.errore) voce_in_json(j, r);
    j.fine().chiave("warnings").lista();
    for (const auto& r : rapporto)
        if (!r.errore) voce_in_json(j, r);
    j.fine().chiave("errors_found").intero(errori_trovati(s));
    j.chiave("warnings_found").intero(avvertimenti_trovati(s)).fine();
    return j.risultato();
}

std::string rapporto_in_testo(const scenario& s, const esito_compilazione& e,
                              const std::vector<voce_rapporto>& rapporto, bool severo) {
    std::ostringstream o;
    for (const auto& r : rapporto) o << r.testo << "\n";
    o << avvertimenti_non_mostrati(s);
    if (e.senza_celle) o << "scenario: no route cells were built (no route length was read)\n";
    if (e.fatale != errore_fatale::nessuno)
        o << "fatal error " << codice_fatale(e.fatale) << ": a reserved slot ("
          << (e.fatale == errore_fatale::slot_1250 ? "valore1 of cell 1 or intero1 of entry 85" : "valore2 of cell 1 or orario of entry 85")
          << ") was already taken" << (e.causa_fatale.empty() ? "" : ": " + e.causa_fatale)
          << "; compile would write no file\n";
    const std::int64_t avvertimenti = avvertimenti_trovati(s);
    const std::int64_t errori = errori_trovati(s);
    o << errori << (errori == 1 ? " error, " : " errors, ") << avvertimenti
      << (avvertimenti == 1 ? " warning" : " warnings") << (severo && avvertimenti > 0 ? " (errors under --strict)" : "")
      << "\n";
    return o.str();
}

}  // namespace

int comando_check(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "check");
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
    sorgenti src{a.richiesto("--line"), a.richiesto("--train"), false};
    if (!leggibile(src.linea) || !leggibile(src.treno)) return 3;
    if (!converti_sorgenti(a, src)) return 3;
    const bool severo = a.ha("--strict");

    scenario s = scenario_con_nomi(a);
    s.continua_dopo_errori = true;
    const esito_compilazione e = compila_in_memoria(s, a.ha("--no-track-plan") ? tracciato_si_no::senza : tracciato_si_no::con, src);
    const std::string nome_linea = cammino_in_testo(src.linea);
    const std::string nome_treno = cammino_in_testo(src.treno);
    const std::vector<voce_rapporto> rapporto = rapporto_ordinato(s, nome_linea, nome_treno, severo);
    const int stato = stato_severo(stato_compilazione(s, e), s, severo);
    std::cout << (a.ha("--json") ? rapporto_in_json(nome_linea, nome_treno, stato, s, e, rapporto)
                                 : rapporto_in_testo(s, e, rapporto, severo));
    return stato;
}

}  // namespace valmarena::strumento
