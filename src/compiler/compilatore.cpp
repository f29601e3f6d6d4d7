// The compiler's entry points: reset the table, read the sources, check the route, claim the
// reserved slots, then write the track plan, the table and the cells.

#include <exception>
#include <optional>

#include "../platform/file_ospite.h"
#include "../records/guasti.h"
#include "../sources/nomi.h"
#include "binari.h"
#include "compilatore.h"
#include "controlli.h"
#include "lettura.h"
#include "diagnosi.h"
#include "stesura.h"

namespace valmarena {

namespace {

// Reset, read, check, claim the reserved slots; `linea_letta` and `esteso` as for `memorizza_dati`.
esito_compilazione compila(scenario& s, tracciato_si_no j, const sorgenti& src, const std::function<void()>& linea_letta,
                           const std::function<void(std::int64_t)>& esteso = {}) {
    esito_compilazione esito;
    s.genera_tracciato = j;
    inizializza_tabella(s);
    memorizza_dati(s, src, linea_letta, esteso);
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

// With the track plan still being written on another thread: the table and the cells go into
// their temporary files meanwhile, then the three are put in place in order. A failure is the one
// the files written in order would have met first (the plan's before the table's before the
// cells'), and no file after it is put in place.
void scrivi_accanto_al_piano(const scenario& s, esito_compilazione& esito, stesura_tracciato& piano,
                             const std::filesystem::path& tracciato, const std::filesystem::path& tabella,
                             const std::filesystem::path& celle) {
    std::optional<file_uscita> ft, fc;
    bool tabella_pronta = false;
    std::exception_ptr guasto;
    try {
        scrivi_tabella(ft.emplace(tabella), s);
        tabella_pronta = true;
        scrivi_celle(fc.emplace(celle), s);
    } catch (...) {
        guasto = std::current_exception();
    }
    piano.conferma();
    esito.file_scritti.push_back(tracciato);
    if (guasto && !tabella_pronta) std::rethrow_exception(guasto);
    ft->conferma();
    esito.file_scritti.push_back(tabella);
    if (guasto) std::rethrow_exception(guasto);
    fc->conferma();
    esito.file_scritti.push_back(celle);
}

// The three files in order: the track plan (from `piano` when it is being written already), the
// table, the cells.
void scrivi(const scenario& s, esito_compilazione& esito, const std::filesystem::path& cartella,
            stesura_tracciato* piano) {
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
        if (piano) {
            scrivi_accanto_al_piano(s, esito, *piano, f, tabella, celle);
            return;
        }
        scrivi_tracciato(f, s.tracciato);
        esito.file_scritti.push_back(f);
    }
    scrivi_tabella(tabella, s);
    esito.file_scritti.push_back(tabella);
    scrivi_celle(celle, s);
    esito.file_scritti.push_back(celle);
}

}  // namespace

esito_compilazione compila_in_memoria(scenario& s, tracciato_si_no j, const sorgenti& src) { return compila(s, j, src, {}); }

stato_uscita stato_compilazione(const scenario& s, const esito_compilazione& e) {
    if (e.fatale != errore_fatale::nessuno) return uscita_errore_fatale;
    return s.codice_errore != 0 || e.senza_celle ? uscita_errore_registrato : uscita_ok;
}

void scrivi_compilati(const scenario& s, esito_compilazione& esito, const std::filesystem::path& cartella) {
    scrivi(s, esito, cartella, nullptr);
}

esito_compilazione compila_e_scrivi(scenario& s, tracciato_si_no j, const sorgenti& src,
                                    const std::filesystem::path& cartella, const da_scrivere& scrivere,
                                    lavoratore* aiuto) {
    // The track plan is drawn and written into its temporary file from the moment the line file
    // opens it, each piece once the reader's cursor has passed it, while the rest of the line file
    // and the train file are read and checked. It is finished with the stretches the reading left
    // (at the end of the line file, or after the reading whatever stopped it); a plan that does not
    // take the length announced (a line file whose reading stopped) is dropped and written at the
    // end instead, as when nothing is started here.
    std::optional<stesura_tracciato> piano;
    bool a_parte = false;
    const auto nome_piano = in_cartella(cartella, nome_tracciato_dat(s.nome_percorso));
    auto esteso = [&](std::int64_t fino_a) {
        if (a_parte) return;
        try {
            if (!piano) piano.emplace(s.tracciato, false, nome_piano, aiuto);
            piano->pubblica(s.tracciato, fino_a);
        } catch (const std::exception&) {
            piano.reset();
            a_parte = true;
        }
    };
    auto finisci = [&] {
        if (piano && !piano->completo() && !piano->completa(s.tracciato)) piano.reset();
    };
    esito_compilazione esito = compila(s, j, src, finisci, esteso);
    finisci();
    if (scrivere(s, esito)) scrivi(s, esito, cartella, piano ? &*piano : nullptr);
    return esito;
}

esito_compilazione memorizza_percorso(scenario& s, tracciato_si_no j, const sorgenti& src,
                                      const std::filesystem::path& cartella, lavoratore* aiuto) {
    return compila_e_scrivi(s, j, src, cartella, [](const scenario&, const esito_compilazione&) { return true; },
                            aiuto);
}

}  // namespace valmarena
