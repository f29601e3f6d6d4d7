// The emitted text files: the line-table mechanism with its sentinel and limit, the bytes on
// disk, and the embedded content's counts and forms, cross-checked with the train file.

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <sstream>

#include "records/guasti.h"
#include "sources/contenuto.h"
#include "sources/emettitori.h"
#include "supporto.h"

namespace valmarena {
namespace {

std::vector<std::string> righe_di(std::string_view t) {
    tabella_righe r;
    riempi_tabella_righe(t, r);
    std::vector<std::string> out;
    for (const auto& x : r) {
        if (x == sentinella) break;
        out.emplace_back(x);
    }
    return out;
}

std::vector<std::string> campi(const std::string& riga) {
    std::vector<std::string> out;
    std::stringstream ss(riga);
    std::string c;
    while (std::getline(ss, c, ',')) {
        auto a = c.find_first_not_of(' ');
        out.push_back(a == std::string::npos ? "" : c.substr(a));
    }
    return out;
}

TEST(TabellaRighe, SentinellaELimite) {
    tabella_righe r;
    riempi_tabella_righe("a\r\n\r\nb\r\n", r);
    EXPECT_EQ(r[0], "a");
    EXPECT_EQ(r[1], "");
    EXPECT_EQ(r[2], "b");
    EXPECT_EQ(r[3], sentinella);

    std::string mille, milleuno;
    for (int i = 0; i < 1000; ++i) mille += "x\r\n";
    milleuno = mille + "y\r\n";
    EXPECT_NO_THROW(riempi_tabella_righe(mille, r));
    EXPECT_EQ(r[1000], sentinella);
    EXPECT_THROW(riempi_tabella_righe(milleuno, r), std::invalid_argument);
    EXPECT_THROW(riempi_tabella_righe("a\r\nriferimento fine del file\r\n", r), std::invalid_argument);
}

TEST(TabellaRighe, ByteSulDisco) {
    prova::cartella_temporanea c;
    tabella_righe r;
    riempi_tabella_righe("velocit\xe0\r\n\r\nfine", r);
    emetti_righe(c / "f.txt", r);
    EXPECT_EQ(prova::leggi(c / "f.txt"), "velocit\xe0\r\n\r\nfine\r\n");
}

TEST(Emettitori, NomiEContenutoIdentico) {
    prova::cartella_temporanea c;
    const identita id{"Valmarena", "RX 914"};
    dati_linea(c.cammino(), id);
    dati_treno(c.cammino(), id);
    dati_note(c.cammino(), id);
    dati_rallentamenti(c.cammino(), id);
    dati_scheda(c.cammino(), id);
    EXPECT_EQ(prova::leggi(c / "Valmarena_linea.txt"), contenuto::linea());
    EXPECT_EQ(prova::leggi(c / "Valmarena_RX 914-.txt"), contenuto::treno());
    EXPECT_EQ(prova::leggi(c / "Valmarena_RX 914_note.txt"), contenuto::note());
    EXPECT_EQ(prova::leggi(c / "Valmarena_RX 914_rallentamenti.txt"), contenuto::rallentamenti());
    EXPECT_EQ(prova::leggi(c / "Valmarena_RX 914_scheda_treno.txt"), contenuto::scheda_treno());
}

TEST(Emettitori, TestiInOrdineFinoAlPrimoFileImpossibile) {
    // The five files of a scenario's texts; a file that cannot be written stops the emitters
    // there: the files before it are in place, it and the files after it are not, and no
    // temporary file is left.
    const testi_scenario t = testi_incorporati();
    const char* nomi[] = {"Valmarena_linea.txt", "Valmarena_RX 914-.txt", "Valmarena_RX 914_note.txt",
                          "Valmarena_RX 914_rallentamenti.txt", "Valmarena_RX 914_scheda_treno.txt"};
    const std::string_view attesi[] = {t.linea, t.treno, t.note, t.rallentamenti, t.scheda};
    {
        prova::cartella_temporanea c;
        emetti_testi(c.cammino(), t);
        for (int i = 0; i < 5; ++i) EXPECT_EQ(prova::leggi(c / nomi[i]), attesi[i]) << nomi[i];
    }
    for (int guasto = 0; guasto < 5; ++guasto) {
        prova::cartella_temporanea c;
        std::filesystem::create_directory(c / nomi[guasto]);
        EXPECT_THROW(emetti_testi(c.cammino(), t), errore_file) << nomi[guasto];
        for (int i = 0; i < 5; ++i) {
            if (i < guasto) {
                EXPECT_EQ(prova::leggi(c / nomi[i]), attesi[i]) << nomi[guasto] << ": " << nomi[i];
            } else if (i > guasto) {
                EXPECT_FALSE(std::filesystem::exists(c / nomi[i])) << nomi[guasto] << ": " << nomi[i];
            }
        }
        EXPECT_TRUE(std::filesystem::is_directory(c / nomi[guasto]));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(c.cammino()), {}), guasto + 1) << nomi[guasto];
    }
}

TEST(Contenuto, RigheEFineRigheDiOgniFile) {
    struct {
        const char* nome;
        std::string_view testo;
        std::size_t righe;
    } file[] = {{"linea", contenuto::linea(), 542},       {"treno", contenuto::treno(), 368},
                {"note", contenuto::note(), 41},          {"rallentamenti", contenuto::rallentamenti(), 46},
                {"scheda", contenuto::scheda_treno(), 200}};
    for (const auto& f : file) {
        EXPECT_EQ(righe_di(f.testo).size(), f.righe) << f.nome;
        EXPECT_EQ(f.testo.substr(f.testo.size() - 2), "\r\n") << f.nome;
        std::size_t lf = 0, crlf = 0;
        for (std::size_t i = 0; i < f.testo.size(); ++i) {
            lf += f.testo[i] == '\n';
            crlf += f.testo[i] == '\n' && i > 0 && f.testo[i - 1] == '\r';
        }
        EXPECT_EQ(lf, crlf) << f.nome;
        // Single-byte accents: no UTF-8 lead byte anywhere.
        EXPECT_EQ(f.testo.find('\xc3'), std::string_view::npos) << f.nome;
        EXPECT_EQ(f.testo.find('\xc2'), std::string_view::npos) << f.nome;
    }
}

TEST(Contenuto, SezioniDellaLineaEDelTreno) {
    struct {
        std::string_view testo;
        const char* inizio;
        int attese;
    } conteggi[] = {
        {contenuto::linea(), "curvas", 99},       {contenuto::linea(), "curvad", 94},
        {contenuto::linea(), "pendenza,", 245},   {contenuto::linea(), "montagna,", 7},
        {contenuto::linea(), "indicatori_vmax,", 64}, {contenuto::linea(), "cartello_indicatore,", 17},
        {contenuto::treno(), "aderenza,", 14},    {contenuto::treno(), "velocit", 44},
        {contenuto::treno(), "stazione,", 47},    {contenuto::treno(), "rallentamento,", 4},
        {contenuto::treno(), "segnale,", 180},    {contenuto::treno(), "abbattimento,", 67},
    };
    for (const auto& c : conteggi) {
        int n = 0;
        for (const auto& r : righe_di(c.testo)) n += r.rfind(c.inizio, 0) == 0;
        EXPECT_EQ(n, c.attese) << c.inizio;
    }
    auto treno = righe_di(contenuto::treno());
    EXPECT_EQ(treno[4], "orologio,    10              9             30 ");
    int accentate = 0;
    for (const auto& r : treno) accentate += r.find('\xe0') != std::string::npos;
    EXPECT_EQ(accentate, 1);
}

TEST(Documenti, NoteConAccentiERigaLunga) {
    auto note = righe_di(contenuto::note());
    std::vector<std::size_t> lunghe;
    for (const auto& r : note)
        if (r.size() > 98) lunghe.push_back(r.size());
    std::sort(lunghe.begin(), lunghe.end());
    EXPECT_EQ(lunghe, (std::vector<std::size_t>{193, 195, 196, 390}));
    for (char c : std::string("\xe0\xe8\xec\xf2\xf9\xb0"))
        EXPECT_NE(contenuto::note().find(c), std::string_view::npos) << static_cast<int>(static_cast<unsigned char>(c));
}

TEST(Documenti, OrdineDiRallentamentoComeIlTreno) {
    auto ordine = righe_di(contenuto::rallentamenti());
    ASSERT_EQ(ordine.size(), 46u);
    for (std::size_t i = 8; i <= 38; ++i) EXPECT_EQ(ordine[i].size(), 82u) << i;
    std::vector<std::vector<std::string>> rallentamenti;
    for (const auto& r : righe_di(contenuto::treno()))
        if (r.rfind("rallentamento,", 0) == 0) rallentamenti.push_back(campi(r));
    ASSERT_EQ(rallentamenti.size(), 4u);
    auto taglia = [](const std::string& s) {
        auto a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
        return a == std::string::npos ? std::string() : s.substr(a, b - a + 1);
    };
    for (std::size_t n = 0; n < 4; ++n) {
        const std::string& riga = ordine[12 + n];
        const auto& r = rallentamenti[n];
        EXPECT_EQ(taglia(riga.substr(2, 3)), std::to_string(n + 1));
        EXPECT_EQ(taglia(riga.substr(35, 12)), std::to_string(std::stoi(r[1]) / 1000) + ".000");
        EXPECT_EQ(taglia(riga.substr(48, 10)), r[2]);
        EXPECT_EQ(taglia(riga.substr(59, 9)), r[3]);
        EXPECT_EQ(taglia(riga.substr(69, 12)), r[4] == "1" ? "A" : "");
    }
    for (std::size_t i = 16; i <= 37; ++i)
        EXPECT_EQ(ordine[i], " |   |                            |            |          |         |            |");
}

TEST(Documenti, SchedaTrenoColonneEOrari) {
    auto scheda = righe_di(contenuto::scheda_treno());
    ASSERT_EQ(scheda.size(), 200u);
    // Each page's table: the heading ends with the "|_Max.|_Mar.|" line, then 31 body rows and the closing row.
    int corpo = 0;
    for (std::size_t i = 0; i < scheda.size(); ++i) {
        if (scheda[i].find("|_Max.|_Mar.|") == std::string::npos) continue;
        for (std::size_t k = i + 1; k <= i + 32 && k < scheda.size(); ++k) {
            const std::string& r = scheda[k];
            ASSERT_EQ(r.size(), 83u) << k;
            for (std::size_t col : {1u, 7u, 13u, 23u, 25u, 48u, 68u, 74u, 82u}) EXPECT_EQ(r[col], '|') << k << ": " << r;
            corpo += k <= i + 31;
        }
    }
    EXPECT_EQ(corpo, 124);
    // Every timed station of the train file shows its time (hh.mm) on the card; the origin departs at 10.07.
    for (const auto& r : righe_di(contenuto::treno())) {
        if (r.rfind("stazione,", 0) != 0) continue;
        auto c = campi(r);
        int ore = std::stoi(c[14]), minuti = std::stoi(c[15]), secondi = std::stoi(c[16]);
        if (ore == 0 && minuti == 0 && secondi == 0) continue;
        const std::string& nome = c[17];
        if (nome == "Velmora") continue;
        int totale = ore * 60 + minuti + (secondi >= 30 ? 1 : 0);
        char orario[32];
        std::snprintf(orario, sizeof orario, "%02d.%02d", totale / 60, totale % 60);
        bool trovata = false;
        for (const auto& s : scheda)
            if (s.size() == 83 && s.substr(26, nome.size()) == nome && s.find(orario) != std::string::npos) trovata = true;
        EXPECT_TRUE(trovata) << nome << " " << orario;
    }
    auto origine = std::find_if(scheda.begin(), scheda.end(), [](const std::string& r) { return r.find("|Velmora ") != std::string::npos; });
    ASSERT_NE(origine, scheda.end());
    EXPECT_EQ(origine->substr(49, 19), "        10.07      ");
}

}  // namespace
}  // namespace valmarena
