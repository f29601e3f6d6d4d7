// `scenario documents`: the train card and the slowdown order generated from a line file and a
// train file, written into a folder under the package's naming rule.

#include <filesystem>
#include <iostream>

#include "argomenti.h"
#include "cartella_uscita.h"
#include "comandi.h"
#include "confezione.h"
#include "rapporto.h"
#include "documenti.h"
#include "platform/file_ospite.h"
#include "records/guasti.h"
#include "sources/emettitori.h"
#include "sources/nomi.h"

namespace valmarena::strumento {

namespace {

}  // namespace

int comando_documents(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "documents");
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
    const std::filesystem::path linea = a.richiesto("--line"), treno = a.richiesto("--train"), out = a.richiesto("--out");
    const identita id = nomi_scenario(a, treno);
    dati_documenti d;
    if (int stato = verifica_rigorosa(linea, treno, id, true, &d, a_colori(a, true))) return stato;
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::cerr << "scenario: cannot create " << out.string() << ": " << ec.message() << "\n";
        return 3;
    }
    const std::string scheda = scheda_generata(d), rallentamenti = rallentamenti_generati(d);
    if (!documenti_adatti(scheda, rallentamenti)) return 3;
    const auto file_scheda = in_cartella(out, nome_documento(id.nome_percorso, id.nome_treno, "scheda_treno"));
    const auto file_rallentamenti = in_cartella(out, nome_documento(id.nome_percorso, id.nome_treno, "rallentamenti"));
    const auto blocco = prendi_uscita(out, {file_scheda, file_rallentamenti});
    if (!blocco) return 3;
    try {
        emetti_testo(file_scheda, scheda);
        emetti_testo(file_rallentamenti, rallentamenti);
    } catch (const errore_file& e) {
        std::cerr << "scenario: cannot write " << e.file << ": " << e.causa << "\n";
        return 3;
    }
    if (!a.ha("--quiet"))
        std::cout << "wrote " << cammino_in_testo(file_scheda) << " and " << cammino_in_testo(file_rallentamenti) << "\n";
    return 0;
}

}  // namespace valmarena::strumento
