// `scenario compile`: compiles an author's line and train files into the three binary files,
// without touching the input files, and reports every recorded error with its place.

#include <filesystem>
#include <iostream>

#include "argomenti.h"
#include "comandi.h"
#include "comune.h"
#include "compiler/compilatore.h"
#include "compiler/errori.h"
#include "json.h"
#include "rapporto.h"
#include "platform/file_ospite.h"
#include "records/guasti.h"

namespace valmarena::strumento {

namespace {

const char* aiuto =
    "usage: scenario compile --line FILE --train FILE --out DIR [--route NAME] [--train-name NAME]\n"
    "                        [--no-track-plan] [--json] [--dry-run] [--strict] [--encoding utf-8]\n"
    "Compiles a line description and a train description into DIR as ROUTE_linea.dat (track plan),\n"
    "ROUTE_TRAIN.sim (scenario table) and ROUTE_TRAIN.dat (route cells). The input files are never\n"
    "changed or deleted. ROUTE defaults to Valmarena and TRAIN to \"RX 914\".\n"
    "Exit status: 0 no error, 1 recorded errors (files written), 2 fatal error (no file written),\n"
    "3 bad arguments or a file that cannot be read or written.\n"
    "Every error and warning goes to standard error as FILE:LINE:COLUMN (with --json also under\n"
    "\"diagnostics\", each with a stable \"id\"); past 100 warnings of one kind the rest are counted.\n"
    "--strict makes every warning an error (exit status 1); --encoding utf-8 as for check.\n"
    "With --dry-run nothing is written and --out is not needed: the same as 'scenario check'.\n";

void stampa_json(const scenario& s, const esito_compilazione& e, const std::vector<voce_rapporto>& rapporto) {
    json_scrittore j;
    j.oggetto().chiave("codice_errore").intero(s.codice_errore).chiave("posizione_errore").intero(s.posizione_errore);
    j.chiave("fatal");
    e.fatale.empty() ? j.nullo() : j.testo(e.fatale);
    j.chiave("files").lista();
    for (const auto& f : e.file_scritti) j.testo(percorso_in_testo(f));
    j.fine().chiave("diagnostics").lista();
    for (const auto& r : rapporto) voce_in_json(j, r);
    j.fine().chiave("errors_found").intero(errori_trovati(s));
    j.chiave("warnings_found").intero(avvertimenti_trovati(s)).fine();
    std::cout << j.risultato();
}

}  // namespace

int comando_compile(const std::vector<std::string>& args) {
    argomenti a = analizza(args, {"--line", "--train", "--route", "--train-name", "--out", "--encoding"},
                           {"--no-track-plan", "--json", "--help", "--dry-run", "--strict"});
    if (a.ha("--help")) {
        std::cout << aiuto;
        return 0;
    }
    if (a.ha("--dry-run")) {
        // The check takes the same options but --out: nothing is written.
        std::vector<std::string> resto;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--dry-run") continue;
            if (args[i] == "--out") {
                ++i;
                continue;
            }
            resto.push_back(args[i]);
        }
        return comando_check(resto);
    }
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
    sorgenti src{a.richiesto("--line"), a.richiesto("--train"), false};
    std::filesystem::path out = a.richiesto("--out");
    if (!leggibile(src.linea) || !leggibile(src.treno)) return 3;
    if (!converti_sorgenti(a, src)) return 3;
    const bool severo = a.ha("--strict");
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::cerr << "scenario: cannot create " << out.string() << ": " << ec.message() << "\n";
        return 3;
    }

    scenario s = scenario_con_nomi(a);
    esito_compilazione e;
    try {
        e = memorizza_percorso(s, a.ha("--no-track-plan") ? 0 : 1, src, out);
    } catch (const errore_file& x) {
        std::cerr << "scenario: cannot write " << x.file << ": " << x.causa << "\n";
        return 3;
    }
    const auto rapporto = rapporto_ordinato(s, percorso_in_testo(src.linea), percorso_in_testo(src.treno), severo);
    for (const auto& r : rapporto) std::cerr << r.testo << "\n";
    std::cerr << avvertimenti_non_mostrati(s);
    if (!e.fatale.empty()) std::cerr << " Errore n. " << e.fatale << "\n";
    if (!e.causa_fatale.empty()) std::cerr << "scenario: a reserved slot is taken: " << e.causa_fatale << "\n";
    if (e.senza_celle) std::cerr << "scenario: no route cells were built; no file was written\n";
    if (a.ha("--json")) stampa_json(s, e, rapporto);
    return stato_severo(stato_compilazione(s, e), s, severo);
}

}  // namespace valmarena::strumento
