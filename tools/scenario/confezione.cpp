// Names, strict check and reading of the sources for `package` and `documents`.

#include "confezione.h"

#include <iostream>
#include <optional>

#include "comune.h"
#include "rapporto.h"
#include "compiler/compilatore.h"
#include "compiler/errori.h"
#include "compiler/orario.h"
#include "platform/file_ospite.h"
#include "sources/carico.h"
#include "sources/nomi.h"

namespace valmarena::strumento {

identita nomi_scenario(const argomenti& a, const std::filesystem::path& treno) {
    std::string percorso = percorso_pacchetto, nome_treno = treno_pacchetto;
    const std::string file = cammino_in_testo(treno.filename());
    const std::size_t separatore = file.find('_');
    if (finisce_con(file, "-.txt") && separatore != std::string::npos && separatore > 0 &&
        separatore + 1 < file.size() - 5) {
        percorso = file.substr(0, separatore);
        nome_treno = file.substr(separatore + 1, file.size() - 5 - separatore - 1);
    }
    return {nome_scenario(a, "--route", percorso), nome_scenario(a, "--train-name", nome_treno)};
}

int verifica_rigorosa(const std::filesystem::path& linea, const std::filesystem::path& treno, const identita& id,
                      bool avvertimenti_ammessi, dati_documenti* documenti, bool colore) {
    if (!leggibile(linea) || !leggibile(treno)) return uscita_errore_file;
    scenario s;
    s.nome_percorso = id.nome_percorso;
    s.nome_treno = id.nome_treno;
    s.continua_dopo_errori = true;
    sorgenti src{linea, treno, false};
    std::optional<raccolta_documenti> raccolta;
    if (documenti) {
        documenti->nome_treno = id.nome_treno;
        src.osservatore = &raccolta.emplace(*documenti);
    }
    const esito_compilazione e = compila_in_memoria(s, tracciato_si_no::con, src);
    if (documenti) documenti->km = chilometri(s.tabella);
    diagnostica_orario(s, parametri_marcia{});
    // The same report and exit status as `check`, under --strict unless warnings are allowed.
    const bool severo = !avvertimenti_ammessi;
    const testi_letti testi = testi_di(src);
    for (const auto& r : rapporto_ordinato(s, cammino_in_testo(linea), cammino_in_testo(treno), severo))
        std::cerr << voce_in_testo(r, testi, colore);
    std::cerr << avvertimenti_non_mostrati(s);
    if (e.senza_celle && !senza_celle_spiegato(s)) std::cerr << "scenario: no route cells were built (no route length was read)\n";
    if (e.fatale != errore_fatale::nessuno) std::cerr << "scenario: fatal error " << codice_fatale(e.fatale) << "\n";
    const int stato = stato_verifica(stato_compilazione(s, e), s, severo);
    if (stato == uscita_ok) return uscita_ok;
    const conteggio_diagnostiche c = conta_diagnostiche(s);
    std::cerr << "scenario: the sources have " << c.errori << " error(s) and " << c.avvertimenti
              << " warning(s); put them right first (see 'scenario check')\n";
    return stato;
}

bool documenti_adatti(const std::string& scheda, const std::string& rallentamenti) {
    for (const auto& [testo, nome] : {std::pair{&scheda, "train card"}, std::pair{&rallentamenti, "slowdown order"}}) {
        if (auto d = difetto_testo(*testo)) {
            std::cerr << "scenario: the generated " << nome << " " << d->cosa << "\n";
            return false;
        }
    }
    return true;
}

std::optional<std::string> leggi_sorgente(const std::filesystem::path& p) {
    std::string causa;
    auto testo = carica_file(p, causa);
    if (!testo) std::cerr << "scenario: cannot read " << cammino_in_testo(p) << ": " << causa << "\n";
    return testo;
}

}  // namespace valmarena::strumento
