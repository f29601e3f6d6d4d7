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
#include "platform/file_ospite.h"

namespace valmarena::strumento {

namespace {

const char* aiuto =
    "usage: scenario check --line FILE --train FILE [--route NAME] [--train-name NAME]\n"
    "                      [--no-track-plan] [--json]\n"
    "       scenario compile --dry-run ... (the same)\n"
    "Compiles the line and train descriptions in memory and writes nothing. Unlike compile, the\n"
    "reading goes on after a row that fails, so one run lists every fault of the files:\n"
    "  FILE:LINE:COLUMN: error CODE at POS m: what is wrong\n"
    "  FILE:LINE:COLUMN: warning: a row passed over, a value field holding text, ...\n"
    "sorted by file and line; errors found by the route checks after the reading come last.\n"
    "With --json the same report is one JSON object on standard output.\n"
    "Exit status: 0 no error (warnings allowed), 1 recorded errors, 2 fatal error (1250/1251:\n"
    "a reserved slot already taken), 3 bad arguments or a file that cannot be read.\n";

// One line of the report, with what it is sorted by.
struct voce_rapporto {
    int rango_file = 2;  // 0 line file, 1 train file, 2 none (route checks)
    int riga = 0;
    int colonna = 0;
    bool errore = true;
    std::string testo;      // the whole report line, UTF-8
    const diagnostica* d = nullptr;
};

// Every error and warning, sorted by file (line file, train file, then the route checks in the
// order they were found) and by line and column within a file.
std::vector<voce_rapporto> rapporto_ordinato(const scenario& s, const std::string& nome_linea,
                                             const std::string& nome_treno) {
    auto rango = [&](const std::string& f) { return f.empty() ? 2 : f == nome_linea ? 0 : f == nome_treno ? 1 : 2; };
    std::vector<voce_rapporto> rapporto;
    for (const auto& d : s.diagnostiche)
        rapporto.push_back({rango(d.file), d.riga, d.colonna, true, messaggio_diagnostica(d), &d});
    for (const auto& d : s.avvertimenti)
        rapporto.push_back({rango(d.file), d.riga, d.colonna, false, messaggio_avvertimento(d), &d});
    std::stable_sort(rapporto.begin(), rapporto.end(), [](const voce_rapporto& x, const voce_rapporto& y) {
        if (x.rango_file != y.rango_file) return x.rango_file < y.rango_file;
        if (x.rango_file == 2) return false;  // route-check errors keep the order they were found in
        if (x.riga != y.riga) return x.riga < y.riga;
        return x.colonna < y.colonna;
    });
    return rapporto;
}

std::string rapporto_in_json(const std::string& nome_linea, const std::string& nome_treno, int stato,
                             const scenario& s, const esito_compilazione& e,
                             const std::vector<voce_rapporto>& rapporto) {
    json_scrittore j;
    j.oggetto().chiave("line").testo(nome_linea).chiave("train").testo(nome_treno);
    j.chiave("status").intero(stato);
    j.chiave("codice_errore").intero(s.codice_errore).chiave("posizione_errore").intero(s.posizione_errore);
    j.chiave("fatal");
    e.fatale.empty() ? j.nullo() : j.testo(e.fatale);
    j.chiave("cells_built").logico(!e.senza_celle);
    j.chiave("errors").lista();
    for (const auto& r : rapporto)
        if (r.errore) errore_in_json(j, *r.d);
    j.fine().chiave("warnings").lista();
    for (const auto& r : rapporto) {
        if (r.errore) continue;
        const diagnostica& d = *r.d;
        j.oggetto().chiave("file").testo(d.file).chiave("line").intero(d.riga).chiave("column").intero(d.colonna);
        j.chiave("message").testo(r.testo).fine();
    }
    j.fine().fine();
    return j.risultato();
}

std::string rapporto_in_testo(const scenario& s, const esito_compilazione& e,
                              const std::vector<voce_rapporto>& rapporto) {
    std::ostringstream o;
    for (const auto& r : rapporto) o << r.testo << "\n";
    if (e.senza_celle) o << "scenario: no route cells were built (no route length was read)\n";
    if (!e.fatale.empty())
        o << "fatal error " << e.fatale << ": a reserved slot ("
          << (e.fatale == "1250" ? "valore1 of cell 1 or intero1 of entry 85" : "valore2 of cell 1 or orario of entry 85")
          << ") was already taken; compile would write no file\n";
    o << s.diagnostiche.size() << (s.diagnostiche.size() == 1 ? " error, " : " errors, ") << s.avvertimenti.size()
      << (s.avvertimenti.size() == 1 ? " warning\n" : " warnings\n");
    return o.str();
}

}  // namespace

int comando_check(const std::vector<std::string>& args) {
    argomenti a = analizza(args, {"--line", "--train", "--route", "--train-name"},
                           {"--no-track-plan", "--json", "--help"});
    if (a.ha("--help")) {
        std::cout << aiuto;
        return 0;
    }
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
    const sorgenti src{a.richiesto("--line"), a.richiesto("--train"), false};
    if (!leggibile(src.linea) || !leggibile(src.treno)) return 3;

    scenario s = scenario_con_nomi(a);
    s.continua_dopo_errori = true;
    const esito_compilazione e = compila_in_memoria(s, a.ha("--no-track-plan") ? 0 : 1, src);
    const std::string nome_linea = percorso_in_testo(src.linea);
    const std::string nome_treno = percorso_in_testo(src.treno);
    const std::vector<voce_rapporto> rapporto = rapporto_ordinato(s, nome_linea, nome_treno);
    const int stato = stato_compilazione(s, e);
    std::cout << (a.ha("--json") ? rapporto_in_json(nome_linea, nome_treno, stato, s, e, rapporto)
                                 : rapporto_in_testo(s, e, rapporto));
    return stato;
}

}  // namespace valmarena::strumento
