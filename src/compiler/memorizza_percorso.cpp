// The compiler's entry point: reset the table, read the sources, check the route, claim the
// reserved slots, then write the track plan, the table and the cells.

#include "../sources/nomi.h"
#include "compilatore.h"
#include "scrittori.h"

namespace valmarena {

esito_compilazione memorizza_percorso(scenario& s, std::int32_t j, const sorgenti& src,
                                      const std::filesystem::path& cartella) {
    esito_compilazione esito;
    s.genera_tracciato = j;
    inizializza_tabella(s);
    memorizza_dati(s, src);
    // Without cells there is nothing the checks or the writers can work on: the error the reader
    // recorded stands, and the files of an earlier run are left as they are.
    if (s.celle.size() < 2) {
        esito.senza_celle = true;
        return esito;
    }
    controlla_percorso(s);
    esito.fatale = occupa_riservati(s);
    if (!esito.fatale.empty()) return esito;

    if (s.genera_tracciato != 0) {
        auto f = in_cartella(cartella, nome_tracciato_dat(s.nome_percorso));
        scrivi_tracciato(f, s.tracciato);
        esito.file_scritti.push_back(f);
    }
    auto tabella = in_cartella(cartella, nome_tabella_sim(s.nome_percorso, s.nome_treno));
    scrivi_tabella(tabella, s);
    esito.file_scritti.push_back(tabella);
    auto celle = in_cartella(cartella, nome_celle_dat(s.nome_percorso, s.nome_treno));
    scrivi_celle(celle, s);
    esito.file_scritti.push_back(celle);
    return esito;
}

}  // namespace valmarena
