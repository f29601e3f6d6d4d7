// `scenario documents`: the train card and the slowdown order generated from a line file and a
// train file, written into a folder under the package's naming rule.

#include <filesystem>
#include <iostream>

#include "argomenti.h"
#include "comandi.h"
#include "confezione.h"
#include "documenti.h"
#include "records/guasti.h"
#include "sources/emettitori.h"
#include "sources/nomi.h"

namespace valmarena::strumento {

namespace {

const char* aiuto =
    "usage: scenario documents --line FILE --train FILE --out DIR [--route NAME] [--train-name NAME]\n"
    "Writes into DIR the train card (ROUTE_TRAIN_scheda_treno.txt) and the slowdown order\n"
    "(ROUTE_TRAIN_rallentamenti.txt), laid out as the package's own forms, from what the line and\n"
    "train files give: stations, kilometre posts, times, speed limits and slowdowns. Windows-1252,\n"
    "CR LF. The names come from --route and --train-name, else from a train file named\n"
    "ROUTE_TRAIN-.txt. A notes file is never generated.\n"
    "Exit status: 0 written, 1 the sources have errors (nothing written), 3 bad arguments or a file\n"
    "that cannot be read or written.\n";

}  // namespace

int comando_documents(const std::vector<std::string>& args) {
    argomenti a = analizza(args, {"--line", "--train", "--route", "--train-name", "--out"}, {"--help"});
    if (a.ha("--help")) {
        std::cout << aiuto;
        return 0;
    }
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
    const std::filesystem::path linea = a.richiesto("--line"), treno = a.richiesto("--train"), out = a.richiesto("--out");
    const identita id = nomi_scenario(a, treno);
    dati_documenti d;
    if (int stato = verifica_rigorosa(linea, treno, id, true, &d)) return stato;
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::cerr << "scenario: cannot create " << out.string() << ": " << ec.message() << "\n";
        return 3;
    }
    const std::string scheda = scheda_generata(d), rallentamenti = rallentamenti_generati(d);
    if (!documenti_adatti(scheda, rallentamenti)) return 3;
    try {
        emetti_testo(in_cartella(out, nome_documento(id.nome_percorso, id.nome_treno, "scheda_treno")), scheda);
        emetti_testo(in_cartella(out, nome_documento(id.nome_percorso, id.nome_treno, "rallentamenti")), rallentamenti);
    } catch (const errore_file& e) {
        std::cerr << "scenario: cannot write " << e.file << ": " << e.causa << "\n";
        return 3;
    }
    return 0;
}

}  // namespace valmarena::strumento
