// `scenario compile`: compiles an author's line and train files into the three binary files,
// without touching the input files, and reports every recorded error with its place.

#include <filesystem>
#include <iostream>

#include "argomenti.h"
#include "cartella_uscita.h"
#include "sources/nomi.h"
#include "comandi.h"
#include "comune.h"
#include "compiler/compilatore.h"
#include "compiler/errori.h"
#include "descrizione.h"
#include "json.h"
#include "rapporto.h"
#include "platform/file_ospite.h"
#include "records/guasti.h"

namespace valmarena::strumento {

namespace {

void stampa_json(const scenario& s, const esito_compilazione& e, const std::vector<voce_rapporto>& rapporto) {
    json_scrittore j;
    j.oggetto().chiave("codice_errore").intero(s.codice_errore).chiave("posizione_errore").intero(s.posizione_errore);
    j.chiave("fatal");
    e.fatale == errore_fatale::nessuno ? j.nullo() : j.testo(codice_fatale(e.fatale));
    j.chiave("files").lista();
    for (const auto& f : e.file_scritti) j.testo(cammino_in_testo(f));
    j.fine();
    diagnostiche_in_json(j, rapporto);
    const conteggio_diagnostiche c = conta_diagnostiche(s);
    j.chiave("errors_found").intero(c.errori).chiave("warnings_found").intero(c.avvertimenti).fine();
    std::cout << j.risultato();
}

// One line on what was written: the files and how many signals, stations, slowdowns and cells.
std::string riepilogo(const scenario& s, const esito_compilazione& e) {
    std::size_t segnali = 0, rallentamenti = 0, stazioni = 0;
    for (const auto& c : s.celle) {
        segnali += c.tipo == cella_segnale ? 1 : 0;
        rallentamenti += c.tipo == cella_inizio_rallentamento ? 1 : 0;
    }
    const std::vector<voce> voci(s.tabella.begin(), s.tabella.end());
    for (std::size_t i = 1; i < prima_voce_cartelli; ++i) stazioni += ruolo_voce(voci, i) == "station" ? 1 : 0;
    std::string t = "wrote";
    for (std::size_t i = 0; i < e.file_scritti.size(); ++i)
        t += (i == 0 ? " " : ", ") + cammino_in_testo(e.file_scritti[i]);
    auto quanti = [](std::size_t n, const std::string& cosa) { return std::to_string(n) + " " + cosa + (n == 1 ? "" : "s"); };
    return t + ": " + quanti(segnali, "signal") + ", " + quanti(stazioni, "station") + ", " +
           quanti(rallentamenti, "slowdown") + ", " + quanti(s.celle.size(), "cell") + "\n";
}

}  // namespace

int comando_compile(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "compile");
    if (a.ha("--dry-run")) {
        // The check takes the same options but those about writing: nothing is written.
        std::vector<std::string> resto;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--dry-run" || args[i] == "--write-on-error" || args[i] == "--quiet" ||
                args[i].rfind("--out=", 0) == 0)
                continue;
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
    const bool colore = a_colori(a, true);
    std::optional<scenario> nominato = scenario_da_sorgenti(a, src.linea, src.treno);
    if (!nominato) return 3;
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec) {
        std::cerr << "scenario: cannot create " << out.string() << ": " << ec.message() << "\n";
        return 3;
    }

    scenario& s = *nominato;
    const auto blocco = prendi_uscita(out, {in_cartella(out, nome_tracciato_dat(s.nome_percorso)),
                                            in_cartella(out, nome_tabella_sim(s.nome_percorso, s.nome_treno)),
                                            in_cartella(out, nome_celle_dat(s.nome_percorso, s.nome_treno))});
    if (!blocco) return 3;
    // Under --strict a warning is an error too: nothing is written then either.
    const bool scrivi_comunque = a.ha("--write-on-error");
    bool scrivi = false;
    esito_compilazione e;
    try {
        e = compila_e_scrivi(s, a.ha("--no-track-plan") ? tracciato_si_no::senza : tracciato_si_no::con, src, out,
                             [&](const scenario& c, const esito_compilazione& x) {
                                 scrivi = stato_severo(stato_compilazione(c, x), c, severo) == uscita_ok || scrivi_comunque;
                                 return scrivi;
                             });
    } catch (const errore_file& x) {
        std::cerr << "scenario: cannot write " << x.file << ": " << x.causa << "\n";
        return 3;
    }
    const int stato = stato_severo(stato_compilazione(s, e), s, severo);
    const auto rapporto = rapporto_ordinato(s, cammino_in_testo(src.linea), cammino_in_testo(src.treno), severo);
    const testi_letti testi = testi_di(src);
    for (const auto& r : rapporto) std::cerr << voce_in_testo(r, testi, colore);
    std::cerr << avvertimenti_non_mostrati(s);
    if (e.fatale != errore_fatale::nessuno) std::cerr << " Errore n. " << codice_fatale(e.fatale) << "\n";
    if (!e.causa_fatale.empty()) std::cerr << "scenario: a reserved slot is taken: " << e.causa_fatale << "\n";
    if (e.senza_celle) std::cerr << (senza_celle_spiegato(s) ? "scenario: no file was written\n" : "scenario: no route cells were built; no file was written\n");
    else if (!scrivi && e.fatale == errore_fatale::nessuno)
        std::cerr << "scenario: errors recorded; no file was written (--write-on-error writes them)\n";
    if (!a.ha("--json") && !a.ha("--quiet") && !formato_sarif(a) && !e.file_scritti.empty()) std::cout << riepilogo(s, e);
    if (formato_sarif(a)) std::cout << sarif_della_compilazione(s, e, rapporto);
    else if (a.ha("--json")) stampa_json(s, e, rapporto);
    return stato;
}

}  // namespace valmarena::strumento
