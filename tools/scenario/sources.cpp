// `scenario sources --out DIR`: the package's embedded text files, written as its emitters do.

#include <filesystem>
#include <iostream>

#include "argomenti.h"
#include "cartella_uscita.h"
#include "comandi.h"
#include "platform/file_ospite.h"
#include "records/guasti.h"
#include "sources/emettitori.h"
#include "sources/nomi.h"

namespace valmarena::strumento {

int comando_sources(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "sources");
    if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
    std::filesystem::path out = a.richiesto("--out");
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::cerr << "scenario: cannot create " << out.string() << ": " << ec.message() << "\n";
        return 3;
    }
    const identita id{percorso_pacchetto, treno_pacchetto};
    const std::string& r = id.nome_percorso;
    const std::string& t = id.nome_treno;
    const auto blocco = prendi_uscita(out, {in_cartella(out, nome_linea_txt(r)), in_cartella(out, nome_treno_txt(r, t)),
                                            in_cartella(out, nome_documento(r, t, "note")),
                                            in_cartella(out, nome_documento(r, t, "rallentamenti")),
                                            in_cartella(out, nome_documento(r, t, "scheda_treno"))});
    if (!blocco) return 3;
    try {
        dati_linea(out, id);
        dati_treno(out, id);
        dati_note(out, id);
        dati_rallentamenti(out, id);
        dati_scheda(out, id);
    } catch (const errore_file& e) {
        std::cerr << "scenario: cannot write " << e.file << ": " << e.causa << "\n";
        return 3;
    }
    if (!a.ha("--quiet"))
        std::cout << "wrote 5 files into " << cammino_in_testo(out)
                  << ": the line and train descriptions, the notes, the slowdown order and the train card\n";
    return 0;
}

}  // namespace valmarena::strumento
