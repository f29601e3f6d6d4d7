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
#include "compiler/orario.h"
#include "json.h"
#include "rapporto.h"
#include "platform/file_ospite.h"

namespace valmarena::strumento {

namespace {

const char* aiuto =
    "usage: scenario check --line FILE --train FILE [--route NAME] [--train-name NAME]\n"
    "                      [--no-track-plan] [--json] [--strict] [--encoding utf-8]\n"
    "                      [--acceleration M/S2] [--braking M/S2]\n"
    "       scenario compile --dry-run ... (the same)\n"
    "Compiles the line and train descriptions in memory and writes nothing. Unlike compile, the\n"
    "reading goes on after a row that fails, so one run lists every fault of the files:\n"
    "  FILE:LINE:COLUMN: error CODE at POS m: what is wrong\n"
    "  FILE:LINE:COLUMN: warning: a row passed over, a value field holding text, ...\n"
    "sorted by file and line; errors found by the route checks after the reading come last.\n"
    "Past 100 warnings of one kind the rest are only counted. With --strict every warning is an\n"
    "error (exit status 1). With --encoding utf-8 the files are taken as UTF-8 and converted to\n"
    "Windows-1252 first; a character that Windows-1252 cannot hold is refused (exit status 3).\n"
    "The stations' times are held against the line: a time shorter than the stretch takes at the\n"
    "speed limits is a warning, one shorter than the running model needs (accelerating at 0.5 m/s2\n"
    "and braking at 0.7 m/s2 unless --acceleration and --braking say otherwise) is a note:\n"
    "  FILE:LINE:COLUMN: note: ... (never an error, not even under --strict)\n"
    "'scenario explain' describes every row of the two files.\n"
    "With --json the same report is one JSON object on standard output.\n"
    "Exit status: 0 no error (warnings allowed), 1 recorded errors, 2 fatal error (1250/1251:\n"
    "a reserved slot already taken), 3 bad arguments or a file that cannot be read.\n";

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
        if (!r.errore && !r.nota) voce_in_json(j, r);
    j.fine().chiave("notes").lista();
    for (const auto& r : rapporto)
        if (r.nota) voce_in_json(j, r);
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
      << (avvertimenti == 1 ? " warning" : " warnings") << (severo && avvertimenti > 0 ? " (errors under --strict)" : "");
    if (!s.note.empty()) o << ", " << s.note.size() << (s.note.size() == 1 ? " note" : " notes");
    o << "\n";
    return o.str();
}

}  // namespace

int comando_check(const std::vector<std::string>& args) {
    argomenti a = analizza(args, {"--line", "--train", "--route", "--train-name", "--encoding", "--acceleration", "--braking"},
                           {"--no-track-plan", "--json", "--help", "--strict"});
    if (a.ha("--help")) {
        std::cout << aiuto;
        return 0;
    }
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
    sorgenti src{a.richiesto("--line"), a.richiesto("--train"), false};
    if (!leggibile(src.linea) || !leggibile(src.treno)) return 3;
    if (!converti_sorgenti(a, src)) return 3;
    const bool severo = a.ha("--strict");

    scenario s = scenario_con_nomi(a);
    s.continua_dopo_errori = true;
    const esito_compilazione e = compila_in_memoria(s, a.ha("--no-track-plan") ? tracciato_si_no::senza : tracciato_si_no::con, src);
    diagnostica_orario(s, parametri_di_marcia(a));
    const std::string nome_linea = cammino_in_testo(src.linea);
    const std::string nome_treno = cammino_in_testo(src.treno);
    const std::vector<voce_rapporto> rapporto = rapporto_ordinato(s, nome_linea, nome_treno, severo);
    const int stato = stato_severo(stato_compilazione(s, e), s, severo);
    std::cout << (a.ha("--json") ? rapporto_in_json(nome_linea, nome_treno, stato, s, e, rapporto)
                                 : rapporto_in_testo(s, e, rapporto, severo));
    return stato;
}

}  // namespace valmarena::strumento
