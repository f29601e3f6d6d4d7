// `scenario check` (and `compile --dry-run`): compiles in memory, reading on after a failing row,
// and reports every recorded error and every note on the sources. Writes no file.

#include <algorithm>
#include <iostream>
#include <sstream>

#include "argomenti.h"
#include "comandi.h"
#include "comune.h"
#include "compiler/compilatore.h"
#include "compiler/diagnosi.h"
#include "compiler/errori.h"
#include "compiler/orario.h"
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
    diagnostiche_in_json(j, rapporto);
    const conteggio_diagnostiche c = conta_diagnostiche(s);
    j.chiave("errors_found").intero(c.errori).chiave("warnings_found").intero(c.avvertimenti).fine();
    return j.risultato();
}

std::string rapporto_in_testo(const scenario& s, const esito_compilazione& e,
                              const std::vector<voce_rapporto>& rapporto, bool severo, const testi_letti& testi,
                              bool colore) {
    std::ostringstream o;
    for (const auto& r : rapporto) o << voce_in_testo(r, testi, colore);
    o << avvertimenti_non_mostrati(s);
    if (e.senza_celle && !senza_celle_spiegato(s)) o << "scenario: no route cells were built (no route length was read)\n";
    if (e.fatale != errore_fatale::nessuno)
        o << "fatal error " << codice_fatale(e.fatale) << ": a reserved slot ("
          << (e.fatale == errore_fatale::slot_1250 ? "valore1 of cell 1 or intero1 of entry 85" : "valore2 of cell 1 or orario of entry 85")
          << ") was already taken" << (e.causa_fatale.empty() ? "" : ": " + e.causa_fatale)
          << "; compile would write no file\n";
    const conteggio_diagnostiche c = conta_diagnostiche(s);
    const std::int64_t avvertimenti = c.avvertimenti;
    const std::int64_t errori = c.errori;
    o << errori << (errori == 1 ? " error, " : " errors, ") << avvertimenti
      << (avvertimenti == 1 ? " warning" : " warnings") << (severo && avvertimenti > 0 ? " (errors under --strict)" : "");
    if (c.note > 0) o << ", " << c.note << (c.note == 1 ? " note" : " notes");
    o << "\n";
    return o.str();
}

}  // namespace

bool formato_sarif(const argomenti& a) {
    const std::string f = a.valore("--format", "text");
    if (f != "text" && f != "sarif") throw argomenti_errati("--format takes text or sarif");
    return f == "sarif";
}

std::string sarif_della_compilazione(const scenario& s, const esito_compilazione& e,
                                     const std::vector<voce_rapporto>& rapporto) {
    std::vector<riga_correlata> dove;
    if (e.fatale != errore_fatale::nessuno)
        if (auto r = riga_occupante(s, 1)) dove.push_back(*r);
    return rapporto_in_sarif(rapporto, e.fatale == errore_fatale::nessuno ? "" : codice_fatale(e.fatale), dove);
}

int comando_check(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "check");
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
    const std::optional<sorgenti> date = sorgenti_date(a);
    if (!date) return 3;
    const sorgenti& src = *date;
    const bool severo = a.ha("--strict");
    const bool colore = a_colori(a, false);

    scenario s = scenario_con_nomi(a);
    s.continua_dopo_errori = true;
    const esito_compilazione e = compila_in_memoria(s, a.ha("--no-track-plan") ? tracciato_si_no::senza : tracciato_si_no::con, src);
    diagnostica_orario(s, parametri_di_marcia(a));
    const std::string nome_linea = cammino_in_testo(src.linea);
    const std::string nome_treno = cammino_in_testo(src.treno);
    const std::vector<voce_rapporto> rapporto = rapporto_ordinato(s, nome_linea, nome_treno, severo);
    const int stato = stato_verifica(stato_compilazione(s, e), s, severo);
    if (formato_sarif(a)) {
        std::cout << sarif_della_compilazione(s, e, rapporto);
        return stato;
    }
    std::cout << (a.ha("--json") ? rapporto_in_json(nome_linea, nome_treno, stato, s, e, rapporto)
                                 : rapporto_in_testo(s, e, rapporto, severo, testi_di(src), colore));
    return stato;
}

}  // namespace valmarena::strumento
