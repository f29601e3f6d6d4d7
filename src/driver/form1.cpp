// The run sequence: identity, window, the five emitters, the compiler, the end of the process;
// the scenario is the one appended to the program when it carries one.

#include "form1.h"

#include "carico_programma.h"

#include <string>
#include <vector>

#include "../compiler/compilatore.h"
#include "../compiler/errori.h"
#include "../platform/cartella_esclusiva.h"
#include "../platform/file_ospite.h"
#include "../platform/ospite.h"
#include "../records/guasti.h"
#include "../sources/emettitori.h"
#include "../sources/nomi.h"

namespace valmarena {

namespace {

std::string rapporto_errori(const scenario& s) {
    std::string m = "The scenario was compiled with errors:";
    for (const auto& d : s.diagnostiche) m += "\n" + messaggio_diagnostica(d);
    return m;
}

// Every file a run of the scenario `id` writes into `cartella`, the two sources included.
std::vector<std::filesystem::path> file_della_corsa(const std::filesystem::path& cartella, const identita& id) {
    const std::string& r = id.nome_percorso;
    const std::string& t = id.nome_treno;
    std::vector<std::filesystem::path> file;
    for (const std::string& nome : {nome_linea_txt(r), nome_treno_txt(r, t), nome_documento(r, t, "note"),
                                    nome_documento(r, t, "rallentamenti"), nome_documento(r, t, "scheda_treno"),
                                    nome_tracciato_dat(r), nome_tabella_sim(r, t), nome_celle_dat(r, t)})
        file.push_back(in_cartella(cartella, nome));
    return file;
}

// Takes the folder for this run and clears what a killed run left there; ends the process with
// status 3 when another run keeps it.
cartella_esclusiva prendi_cartella(const std::filesystem::path& cartella, const identita& id) {
    cartella_esclusiva blocco;
    std::string causa;
    switch (blocco.prendi(cartella, attesa_cartella, causa)) {
    case cartella_esclusiva::esito::presa: break;
    case cartella_esclusiva::esito::occupata:
        mostra_messaggio(messaggio_cartella_occupata(cartella));
        termina_processo(uscita_errore_file);
    case cartella_esclusiva::esito::impossibile:
        mostra_messaggio("Cannot lock the folder " + cammino_in_testo(cartella) + " for this run: " + causa +
                         ". No file was written.");
        termina_processo(uscita_errore_file);
    }
    rimuovi_temporanei_rimasti(file_della_corsa(cartella, id));
    return blocco;
}

}  // namespace

int esegui_scenario(Form1& form, const std::filesystem::path& cartella) {
    return esegui_scenario(form, cartella, testi_incorporati());
}

int esegui_scenario(Form1& form, const std::filesystem::path& cartella, const testi_scenario& testi) {
    scenario& s = form.s;
    s.nome_percorso = testi.id.nome_percorso;
    s.nome_treno = testi.id.nome_treno;
    s.diagnosi_per_autori = false;  // the package shows recorded errors only
    mostra_finestra();
    try {
        emetti_testi(cartella, testi);
        sorgenti src{in_cartella(cartella, nome_linea_txt(s.nome_percorso)),
                     in_cartella(cartella, nome_treno_txt(s.nome_percorso, s.nome_treno)), true};
        esito_compilazione esito = memorizza_percorso(s, tracciato_si_no::con, src, cartella);
        const stato_uscita stato = stato_compilazione(s, esito);
        if (stato == uscita_errore_fatale) {
            mostra_messaggio(" Errore n. " + codice_fatale(esito.fatale));
        } else if (stato == uscita_errore_registrato) {
            std::string m = rapporto_errori(s);
            if (esito.senza_celle) m += "\nNo route cells were built: no compiled file was written.";
            mostra_messaggio(m);
        }
        return stato;
    } catch (const errore_file& e) {
        mostra_messaggio("Cannot write " + e.file + ": " + e.causa);
        return uscita_errore_file;
    } catch (const std::exception& e) {
        mostra_messaggio(std::string("The run failed: ") + e.what());
        return uscita_errore_file;
    }
}

void Form_Load(const char* argv0) {
    std::filesystem::path cartella;
    try {
        cartella = cartella_programma(argv0);
    } catch (const std::exception& e) {
        // Nowhere else is the right place: writing into the current folder would scatter the files.
        mostra_messaggio(e.what());
        termina_processo(uscita_errore_file);
    }
    const esito_carico carico = carico_del_programma(programma_in_esecuzione(argv0));
    if (carico.st == esito_carico::stato::guasto) {
        mostra_messaggio(messaggio_carico_guasto(carico));
        termina_processo(uscita_errore_file);
    }
    const testi_scenario& testi = carico.st == esito_carico::stato::valido ? carico.testi : testi_incorporati();
    // Held to the end of the process, which lets it go.
    const cartella_esclusiva blocco = prendi_cartella(cartella, testi.id);
    Form1 form;
    const int stato = esegui_scenario(form, cartella, testi);
    termina_processo(stato);
}

}  // namespace valmarena
