// The run sequence: identity, window, the five emitters, the compiler, the end of the process;
// the scenario is the one appended to the program when it carries one.

#include "form1.h"

#include "carico_programma.h"

#include <string>

#include "../compiler/compilatore.h"
#include "../compiler/errori.h"
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
    Form1 form;
    int stato = carico.st == esito_carico::stato::valido ? esegui_scenario(form, cartella, carico.testi)
                                                        : esegui_scenario(form, cartella, testi_incorporati());
    termina_processo(stato);
}

}  // namespace valmarena
