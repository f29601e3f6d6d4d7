// Reading the scenario to draw: the compiled files of a folder through the decoders, or the
// sources through the compiler's entry point, never a reader of its own.

#include "lettura_compilati.h"

#include <iostream>

#include "comune.h"
#include "compiler/binari.h"
#include "compiler/compilatore.h"
#include "compiler/tracciato.h"
#include "platform/file_ospite.h"
#include "records/guasti.h"
#include "sources/codifica.h"
#include "sources/nomi.h"

namespace valmarena::strumento {

namespace {

// The sources compiled in memory, as the picture needs them; status 0, or the reason it cannot draw.
int leggi_sorgenti(const argomenti& a, const std::string& comando, scenario_letto& letto) {
    const std::optional<sorgenti> date = sorgenti_date(a);
    if (!date) return 3;
    const sorgenti& src = *date;
    std::optional<scenario> nominato = scenario_da_sorgenti(a, src.linea, src.treno, false);
    scenario s = nominato ? std::move(*nominato) : scenario_con_nomi(a);
    const esito_compilazione e = compila_in_memoria(s, tracciato_si_no::con, src);
    if (e.senza_celle) {
        std::cerr << "scenario " << comando << ": no route cells were built from the sources ('scenario check' says why)\n";
        return 1;
    }
    letto.percorso = da_1252_a_utf8(s.nome_percorso);
    letto.treno = da_1252_a_utf8(s.nome_treno);
    letto.celle = s.celle;
    letto.tabella = std::vector<voce>(s.tabella.begin(), s.tabella.end());
    if (s.tracciato.punti > 0) letto.tracciato = disegna_tracciato(s.tracciato);
    else letto.note.push_back("no track plan was built");
    letto.curve = curve_del_tracciato(s.tracciato);
    letto.origini = s.origini;
    letto.nomi_sorgenti = s.nomi_sorgenti;
    letto.curve_lette = true;
    letto.parametri = parametri_di_marcia(a);
    letto.marcia = velocita_del_modello(s, letto.parametri);
    const std::size_t errori = s.diagnostiche.size();
    if (errori > 0 || e.fatale != errore_fatale::nessuno)
        letto.note.push_back(std::to_string(errori) + (errori == 1 ? " error" : " errors") +
                             " recorded by the compiler: see scenario check");
    return 0;
}

struct nomi_file {
    std::filesystem::path tracciato, tabella, celle;
    std::string percorso, treno;  // UTF-8
};

// The files of the scenario in `cartella`: the names given, or the defaults, or the only scenario there.
nomi_file trova_file(const std::filesystem::path& cartella, const argomenti& a) {
    nomi_file n;
    n.percorso = a.valore("--route", percorso_pacchetto);
    n.treno = a.valore("--train-name", treno_pacchetto);
    auto imposta = [&](const std::string& percorso_1252, const std::string& treno_1252) {
        n.tracciato = in_cartella(cartella, nome_tracciato_dat(percorso_1252));
        n.tabella = in_cartella(cartella, nome_tabella_sim(percorso_1252, treno_1252));
        n.celle = in_cartella(cartella, nome_celle_dat(percorso_1252, treno_1252));
    };
    imposta(nome_scenario(a, "--route", percorso_pacchetto), nome_scenario(a, "--train-name", treno_pacchetto));
    std::error_code ec;
    if (a.ha("--route") || a.ha("--train-name") || std::filesystem::exists(n.celle, ec)) return n;
    // No names given and no default scenario: take the only table file in the folder.
    std::vector<std::filesystem::path> tabelle;
    for (const auto& x : std::filesystem::directory_iterator(cartella, ec))
        if (x.path().extension() == ".sim") tabelle.push_back(x.path());
    if (tabelle.size() != 1) return n;
    std::string radice = cammino_in_testo(tabelle.front().stem());
    for (const auto& x : std::filesystem::directory_iterator(cartella, ec)) {
        std::string nome = cammino_in_testo(x.path().filename());
        const std::string coda = "_linea.dat";
        if (nome.size() <= coda.size() || !finisce_con(nome, coda)) continue;
        std::string percorso = nome.substr(0, nome.size() - coda.size());
        if (radice.rfind(percorso + "_", 0) == 0) {
            n.percorso = percorso;
            n.treno = radice.substr(percorso.size() + 1);
        }
    }
    if (n.percorso == a.valore("--route", percorso_pacchetto)) {
        auto sotto = radice.find('_');
        if (sotto == std::string::npos) return n;
        n.percorso = radice.substr(0, sotto);
        n.treno = radice.substr(sotto + 1);
    }
    imposta(da_utf8_a_1252(n.percorso), da_utf8_a_1252(n.treno));
    return n;
}


// The compiled files in the folder DIR: the cells required, the table and the track plan when
// they can be used.
int leggi_cartella(const argomenti& a, const std::string& comando, scenario_letto& s) {
    if (a.posizionali.empty()) throw argomenti_errati("missing DIR (or --line and --train)");
    if (a.posizionali.size() > 1) throw argomenti_errati("unexpected argument " + a.posizionali[1]);
    const std::filesystem::path cartella = a.posizionali.front();
    std::error_code ec;
    if (!std::filesystem::is_directory(cartella, ec)) {
        std::cerr << "scenario " << comando << ": " << cammino_in_testo(cartella) << " is not a folder\n";
        return 3;
    }
    const nomi_file n = trova_file(cartella, a);
    s.percorso = n.percorso;
    s.treno = n.treno;
    std::string causa;
    auto celle = carica_file(n.celle, causa);
    if (!celle) {
        std::cerr << "scenario " << comando << ": cannot read the cell file " << cammino_in_testo(n.celle) << ": " << causa << "\n";
        return 3;
    }
    try {
        s.celle = decodifica_celle(*celle);
    } catch (const formato_errato& e) {
        std::cerr << "scenario " << comando << ": " << cammino_in_testo(n.celle) << ": not a valid route cells file: " << e.what()
                  << "\n";
        return 3;
    }
    // The table and the track plan add names and the plan view; without them the picture says so.
    auto facoltativo = [&](const std::filesystem::path& p, const char* cosa, auto&& decodifica, auto& dove) {
        std::string c;
        auto b = carica_file(p, c);
        if (!b) {
            s.note.push_back(std::string("no ") + cosa + ": " + cammino_in_testo(p.filename()));
            return;
        }
        try {
            dove = decodifica(*b);
        } catch (const formato_errato& e) {
            s.note.push_back(std::string(cosa) + " " + cammino_in_testo(p.filename()) + " not used: " + e.what());
            std::cerr << "scenario " << comando << ": " << cammino_in_testo(p) << ": " << e.what() << "\n";
        }
    };
    facoltativo(n.tabella, "table", decodifica_tabella, s.tabella);
    facoltativo(n.tracciato, "track plan", decodifica_tracciato, s.tracciato);
    if (s.tabella) {
        if (!(*s.tabella)[voce_percorso].nome.empty()) s.percorso = da_1252_a_utf8((*s.tabella)[voce_percorso].nome);
        if (!(*s.tabella)[voce_treno].nome.empty()) s.treno = da_1252_a_utf8((*s.tabella)[voce_treno].nome);
    }
    return 0;
}

}  // namespace

int leggi_da_disegnare(const argomenti& a, const std::string& comando, scenario_letto& s) {
    if (a.ha("--line") || a.ha("--train")) {
        if (!a.posizionali.empty()) throw argomenti_errati("unexpected argument " + a.posizionali.front());
        return leggi_sorgenti(a, comando, s);
    }
    return leggi_cartella(a, comando, s);
}

int scrivi_disegno(const std::filesystem::path& uscita, const std::string& testo, const std::string& comando,
                   bool zitto) {
    std::error_code ec;
    if (uscita.has_parent_path()) std::filesystem::create_directories(uscita.parent_path(), ec);
    if (ec) {
        std::cerr << "scenario " << comando << ": cannot create " << cammino_in_testo(uscita.parent_path()) << ": " << ec.message()
                  << "\n";
        return 3;
    }
    try {
        scrivi_file(uscita, testo);
    } catch (const errore_file& e) {
        std::cerr << "scenario " << comando << ": cannot write " << e.file << ": " << e.causa << "\n";
        return 3;
    }
    if (!zitto) std::cout << "wrote " << cammino_in_testo(uscita) << "\n";
    return 0;
}

}  // namespace valmarena::strumento
