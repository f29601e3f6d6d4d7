// `scenario documents`: the train card and slowdown order generated from the package's own line
// and train files carry the same facts as the embedded forms, in the same frames; on a small
// scenario every row of the card is as the sources give it.

#include <gtest/gtest.h>

#include <regex>

#include "comandi.h"
#include "confezione.h"
#include "compiler/compilatore.h"
#include "records/arrotonda.h"

#include "contenuto.h"
#include "scenario_di_prova.h"
#include "strumento_supporto.h"

namespace valmarena {
namespace {

std::vector<std::string> righe_di(const std::string& testo) {
    std::vector<std::string> r;
    std::size_t inizio = 0;
    while (inizio < testo.size()) {
        const std::size_t fine = testo.find("\r\n", inizio);
        EXPECT_NE(fine, std::string::npos) << "a line without CR LF";
        if (fine == std::string::npos) break;
        r.push_back(testo.substr(inizio, fine - inizio));
        inizio = fine + 2;
    }
    return r;
}

std::string spogliato(const std::string& t) {
    const auto a = t.find_first_not_of(' ');
    return a == std::string::npos ? std::string() : t.substr(a, t.find_last_not_of(' ') - a + 1);
}

// One body row of the card: its page, kilometre post, place and time cell.
struct riga_corpo {
    int pagina;
    std::string km, nome, orario;
};

bool e_riga_di_corpo(const std::string& r) {
    if (r.size() != 83) return false;
    for (std::size_t c : {1, 7, 13, 23, 25, 48, 68, 74, 82})
        if (r[c] != '|') return false;
    return r[2] != '_' && r.find("Progr") == std::string::npos && r.find(" Vel.") == std::string::npos &&
           !spogliato(r.substr(14, 9)).empty();
}

struct scheda_letta {
    int pagine = 0;
    std::vector<riga_corpo> righe;
    std::vector<std::string> tabella;  // every line of the tables' frames and rows
};

scheda_letta leggi_scheda(const std::string& testo) {
    scheda_letta s;
    const std::regex etichetta("Scheda n\xB0 ([0-9]+)/([0-9]+)");
    for (const std::string& r : righe_di(testo)) {
        std::smatch m;
        if (std::regex_search(r, m, etichetta)) s.pagine = std::stoi(m[1]);
        if (r.size() == 83 && r.substr(0, 2) == " |" && r[7] == '|' && r[13] == '|') s.tabella.push_back(r);
        if (e_riga_di_corpo(r))
            s.righe.push_back({s.pagine, spogliato(r.substr(14, 9)), spogliato(r.substr(26, 22)), spogliato(r.substr(49, 19))});
    }
    return s;
}

// "km name" of every station row, in route order.
std::vector<std::string> stazioni(const scheda_letta& s) {
    std::vector<std::string> v;
    for (const auto& r : s.righe)
        if (!r.nome.empty() && r.nome.rfind("Cippo Km", 0) != 0) v.push_back(r.km + " " + r.nome);
    return v;
}

// The departure time of a station row: the last hh.mm of its time cell.
std::string partenza(const std::string& orario) {
    const std::regex ora("[0-9][0-9]\\.[0-9][0-9]");
    std::string ultima;
    for (auto i = std::sregex_iterator(orario.begin(), orario.end(), ora); i != std::sregex_iterator(); ++i) ultima = i->str();
    return ultima;
}

struct documenti_generati {
    prova::cartella_temporanea dir;
    prova::esito_strumento esito;
    std::string scheda, ordine;
    documenti_generati(const std::filesystem::path& linea, const std::filesystem::path& treno, const std::string& nomi) {
        esito = prova::esegui_strumento({"documents", "--line", linea.string(), "--train", treno.string(), "--out",
                                         dir.cammino().string()});
        scheda = prova::leggi(dir / (nomi + "_scheda_treno.txt"));
        ordine = prova::leggi(dir / (nomi + "_rallentamenti.txt"));
    }
};

TEST(DocumentiGenerati, DaiSorgentiDelPacchettoGliStessiFatti) {
    const auto& v = prova::valmarena_compilato();
    documenti_generati g(v.linea, v.treno, "Valmarena_RX 914");
    ASSERT_EQ(g.esito.stato, 0) << g.esito.err;
    const scheda_letta generata = leggi_scheda(g.scheda), propria = leggi_scheda(std::string(contenuto::scheda_treno()));

    EXPECT_EQ(generata.pagine, propria.pagine);
    EXPECT_EQ(stazioni(generata), stazioni(propria));  // names and kilometre posts, in route order
    // The times the train file gives, against the card's departures. The origin is left out: its
    // card time (10.07) is not the train file's start clock (10:09:30).
    std::map<std::string, std::string> orari;
    for (const auto& r : propria.righe) orari[r.nome] = partenza(r.orario);
    int con_orario = 0;
    for (const auto& r : generata.righe) {
        if (r.orario.empty() || r.nome == "Velmora") continue;
        ++con_orario;
        EXPECT_EQ(partenza(r.orario), orari[r.nome]) << r.nome;
    }
    EXPECT_EQ(con_orario, 7);
    // The changes of kilometric reckoning: the post ending the old one and the new one's start.
    auto cambi = [](const scheda_letta& s) {
        std::vector<std::string> c;
        for (const auto& r : s.righe)
            if (r.km.back() == '/' || r.km.front() == '(') c.push_back(r.km);
        return c;
    };
    EXPECT_EQ(cambi(generata), (std::vector<std::string>{"287.550/", "(0.000)", "31.450/", "(415.100)"}));
    EXPECT_EQ(cambi(generata), cambi(propria));

    // The frame: every table line 83 characters with its separators where the package's own has them.
    for (const auto& r : generata.tabella) EXPECT_EQ(r.size(), 83u) << r;
    const auto propria_righe = righe_di(std::string(contenuto::scheda_treno()));
    const auto generata_righe = righe_di(g.scheda);
    for (std::size_t i : {11, 12, 13, 14, 15}) EXPECT_EQ(generata_righe[i], propria_righe[i]);

    // The slowdown order: same length and frame, and the four rows exactly as the package's own.
    const auto ordine = righe_di(g.ordine), proprio = righe_di(std::string(contenuto::rallentamenti()));
    ASSERT_EQ(ordine.size(), proprio.size());
    for (std::size_t i = 0; i < ordine.size(); ++i)
        if (i != 4) {
            EXPECT_EQ(ordine[i], proprio[i]) << "line " << i;
        }
}

TEST(DocumentiGenerati, OgniRigaDellaSchedaDaiSorgenti) {
    prova::sorgenti_brenta src;
    documenti_generati g(src.linea, src.treno, "Brenta_R 21");
    ASSERT_EQ(g.esito.stato, 0) << g.esito.err;
    const auto r = righe_di(g.scheda);
    const std::vector<std::string> corpo(r.begin() + 16, r.begin() + 25);
    EXPECT_EQ(corpo, (std::vector<std::string>{
                         " |  60 |     |   0.000 | |Lago Nero             |        08.00      |  60 |       |",
                         " | 100 |     |   2.500 | |Cippo Km 2.500        |                   | 100 |COD COD|",
                         " |     |     |   5.000 | |Pieve                 |    08.06          |     | :   : |",
                         " |     |     |   6.000/|-|Cippo Km 6.000        |                   |     | :   : |",
                         " |     |     |  (0.000)| |                      |                   |     | :   : |",
                         " |  80 |     |   1.000 | |Cippo Km 1.000        |                   |  80 | :   : |",
                         " |     |     |   3.000/|-|Cippo Km 3.000        |                   |     | :   : |",
                         " |     |     | (52.000)| |                      |                   |     | :   : |",
                         " |     |     |  54.000 | |Brenta                |08.12              |     | :   : |",
                     }));
    EXPECT_EQ(r[5], " |_________________|_____Brenta_____|      Scheda n\xB0 1/1       |_______110%_______|");
    EXPECT_EQ(r[7], "  __________________________________  Da: Lago Nero");
    EXPECT_EQ(r.size(), 49u);  // one page: two empty lines, title, table of 37 lines, an empty line
    const auto o = righe_di(g.ordine);
    ASSERT_EQ(o.size(), 46u);
    EXPECT_EQ(o[12], " | 1 |Lago Nero - Pieve           |3.000       |   30     | 300     |     A      |");
    EXPECT_EQ(o[6], "  Si ordina al macchinista del treno R21 di effettuare i seguenti rallentamenti");
}

TEST(DocumentiGenerati, SorgentiConErroriNessunFile) {
    prova::sorgenti_brenta src;
    prova::scrivi(src.treno, prova::treno_brenta + "segnale,  1050, 2, 3,4,1, 0, 2, 2,1,1, 0\r\n");
    documenti_generati g(src.linea, src.treno, "Brenta_R 21");
    EXPECT_EQ(g.esito.stato, 1);
    EXPECT_TRUE(std::filesystem::is_empty(g.dir.cammino()));
}

// The forms take the rows as the compiler reads them: on every test scenario the stations and
// slowdowns that `documents` shows are those `compile` stores, also where a quote left open
// swallows the rest of the train file (the compile then holds one station and no slowdown).
TEST(DocumentiGenerati, GliStessiFattiDellaCompilazione) {
    std::string treno_aperto = prova::treno_brenta;
    treno_aperto.replace(treno_aperto.find("Pieve"), 5, "\"Pieve");
    struct caso {
        const char* nome;
        std::string linea, treno;
        std::size_t stazioni, rallentamenti;
    } casi[] = {
        {"package", std::string(contenuto::linea()), std::string(contenuto::treno()), 47, 4},
        {"brenta", prova::linea_brenta, prova::treno_brenta, 3, 1},
        {"reference example", strumento::sorgente_di_esempio(true), strumento::sorgente_di_esempio(false), 2, 1},
        {"new", {}, {}, 3, 1},
        {"quote left open", prova::linea_brenta, treno_aperto, 2, 0},
    };
    for (auto& c : casi) {
        prova::cartella_temporanea dir;
        const auto linea = dir / "S_linea.txt", treno = dir / "S_T-.txt";
        if (c.linea.empty()) {
            ASSERT_EQ(prova::esegui_strumento({"new", "S", "T", "--out", dir.cammino().string()}).stato, 0);
        } else {
            prova::scrivi(linea, c.linea);
            prova::scrivi(treno, c.treno);
        }
        strumento::dati_documenti d;
        ASSERT_EQ(strumento::verifica_rigorosa(linea, treno, {"S", "T"}, true, &d), 0) << c.nome;
        scenario s;
        s.nome_percorso = "S";
        s.nome_treno = "T";
        const esito_compilazione e = compila_in_memoria(s, tracciato_si_no::con, sorgenti{linea, treno, false});
        ASSERT_EQ(stato_compilazione(s, e), uscita_ok) << c.nome;

        EXPECT_EQ(d.stazioni.size(), c.stazioni) << c.nome;
        for (std::size_t i = 0; i < d.stazioni.size(); ++i) {
            const voce& v = s.tabella[i + 1];
            EXPECT_EQ(d.stazioni[i].posizione, v.progressiva) << c.nome << " station " << i;
            EXPECT_EQ(d.stazioni[i].nome, v.nome) << c.nome << " station " << i;
            EXPECT_EQ(d.stazioni[i].orario, v.orario) << c.nome << " station " << i;
        }
        EXPECT_EQ(s.tabella[d.stazioni.size() + 1], voce{}) << c.nome << ": a station the forms do not show";
        ASSERT_EQ(d.rallentamenti.size(), s.rallentamenti.size()) << c.nome;
        EXPECT_EQ(d.rallentamenti.size(), c.rallentamenti) << c.nome;
        for (std::size_t i = 0; i < d.rallentamenti.size(); ++i) {
            const auto& r = d.rallentamenti[i];
            EXPECT_EQ(cella_di_metri(r.x), s.rallentamenti[i].inizio) << c.nome << " slowdown " << i;
            EXPECT_EQ(cella_di_metri(static_cast<double>(r.x) + r.l), s.rallentamenti[i].fine) << c.nome << " slowdown " << i;
        }
    }
}

}  // namespace
}  // namespace valmarena
