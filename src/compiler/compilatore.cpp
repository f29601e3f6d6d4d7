// The compiler's entry points: reset the table, read the sources, check the route, claim the
// reserved slots, then write the track plan, the table and the cells.

#include "../platform/file_ospite.h"
#include "../records/guasti.h"
#include "../sources/nomi.h"
#include "binari.h"
#include "compilatore.h"
#include "controlli.h"
#include "lettura.h"
#include "diagnosi.h"

namespace valmarena {

esito_compilazione compila_in_memoria(scenario& s, tracciato_si_no j, const sorgenti& src) {
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
    if (esito.fatale != errore_fatale::nessuno) esito.causa_fatale = occupante(s, 1);
    return esito;
}

stato_uscita stato_compilazione(const scenario& s, const esito_compilazione& e) {
    if (e.fatale != errore_fatale::nessuno) return uscita_errore_fatale;
    return s.codice_errore != 0 || e.senza_celle ? uscita_errore_registrato : uscita_ok;
}

void scrivi_compilati(const scenario& s, esito_compilazione& esito, const std::filesystem::path& cartella) {
    if (esito.senza_celle || esito.fatale != errore_fatale::nessuno) return;

    // A name longer than its 2-byte length field cannot go into the table file: the compile
    // stops on that file before any file is touched, as for any file that cannot be written.
    auto tabella = in_cartella(cartella, nome_tabella_sim(s.nome_percorso, s.nome_treno));
    for (std::size_t i = 0; i < s.tabella.size(); ++i)
        if (s.tabella[i].nome.size() > 0xFFFF)
            throw errore_file(cammino_in_testo(tabella), "the name of entry " + std::to_string(i) + " is " +
                                                              std::to_string(s.tabella[i].nome.size()) +
                                                              " bytes long, more than the 65535 a table entry holds");

    auto celle = in_cartella(cartella, nome_celle_dat(s.nome_percorso, s.nome_treno));
    if (s.genera_tracciato == tracciato_si_no::con) {
        auto f = in_cartella(cartella, nome_tracciato_dat(s.nome_percorso));
        scrivi_tracciato(f, s.tracciato);
        esito.file_scritti.push_back(f);
    }
    scrivi_tabella(tabella, s);
    esito.file_scritti.push_back(tabella);
    scrivi_celle(celle, s);
    esito.file_scritti.push_back(celle);
}

esito_compilazione compila_e_scrivi(scenario& s, tracciato_si_no j, const sorgenti& src,
                                    const std::filesystem::path& cartella, const da_scrivere& scrivere) {
    esito_compilazione esito = compila_in_memoria(s, j, src);
    if (scrivere(s, esito)) scrivi_compilati(s, esito, cartella);
    return esito;
}

esito_compilazione memorizza_percorso(scenario& s, tracciato_si_no j, const sorgenti& src,
                                      const std::filesystem::path& cartella) {
    return compila_e_scrivi(s, j, src, cartella, [](const scenario&, const esito_compilazione&) { return true; });
}

}  // namespace valmarena
