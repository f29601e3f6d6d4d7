// Pathological source files: each must end quickly with a definite result. No test here takes
// a time measurement; each one would run for minutes (or hours) if a loop over the input or
// over the cells lost its bound, and the result asserted shows that the whole file was read.

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "comandi.h"
#include "compiler/compilatore.h"
#include "compiler/lettore_token.h"
#include "records/guasti.h"
#include "supporto.h"

namespace valmarena {
namespace {

using prova::linea_minima;
using prova::treno_minimo;

std::string ripeti(const std::string& riga, int volte) {
    std::string t;
    t.reserve(riga.size() * static_cast<std::size_t>(volte));
    for (int i = 0; i < volte; ++i) t += riga;
    return t;
}

// A line of 200000 fields: each field's first-of-line test must not rescan the line (it did,
// and such a line took minutes).
TEST(Robustezza, UnaRigaDiDuecentomilaCampi) {
    std::string t = "[generale]\r\nlunghezza percorso,    20000\r\n[curve]\r\npendenza,  1000,  5" +
                    ripeti(",7", 200000) + "\r\npendenza,  2000,  9\r\n[fine]\r\n";
    scenario s = prova::leggi_sorgenti(t, treno_minimo(""));
    EXPECT_EQ(s.codice_errore, 0);
    // Both gradient rows were read: the row after the long line took effect.
    EXPECT_EQ(s.celle[19].pendenza, 100);
    EXPECT_EQ(s.celle[20].pendenza, 105);
    EXPECT_EQ(s.celle[40].pendenza, 109);

    lettore_token in("  " + std::string(100000, ','), "virgole.txt");
    in.testo();
    EXPECT_TRUE(in.primo_della_riga());
    int campi = 1;
    while (!in.fine()) {
        in.testo();
        ++campi;
    }
    EXPECT_EQ(campi, 100000);
    EXPECT_FALSE(in.primo_della_riga());
}

TEST(Robustezza, UnMilioneDiRigheDiTrattini) {
    const std::string milione = ripeti("-\r\n", 1000000);
    const std::string centomila = ripeti("-\r\n", 100000);
    struct caso {
        const char* nome;
        std::string linea;
        std::int32_t codice;
    } casi[] = {
        // In the general section each hyphen token is replaced by the next token, ten at a time.
        {"nella sezione generale", "[generale]\r\n" + milione + "lunghezza percorso,    20000\r\n[curve]\r\npendenza,  1000,  5\r\n[fine]\r\n", 0},
        {"tra gli elementi", linea_minima(centomila + "pendenza,  1000,  5\r\n"), 0},
        // Hyphens up to the end of the file: the general section never ends, the cells are
        // never allocated and the closing fill is a run-time failure.
        {"fino alla fine del file", "[generale]\r\n" + centomila, 25},
    };
    for (const auto& c : casi) {
        scenario s = prova::leggi_sorgenti(c.linea, treno_minimo(""));
        EXPECT_EQ(s.codice_errore, c.codice) << c.nome;
        if (c.codice == 0) {
            ASSERT_FALSE(s.celle.empty()) << c.nome;
            EXPECT_EQ(s.celle[20].pendenza, 105) << c.nome;
        }
    }
}

TEST(Robustezza, CurveDiLunghezzaEnorme) {
    struct caso {
        const char* nome;
        std::string linea;
        std::int32_t codice;
        std::int32_t posizione;
    } casi[] = {
        {"oltre il tracciato", linea_minima("curvas1,  1000,  2000000000\r\n"), 106, 1000},
        {"lunghezza negativa", linea_minima("curvas1,  1000,  -2000000000\r\n"), 0, 0},
        // On the longest route the curve fits the track plan but carries the cursor past
        // 1000000 m: the drawing stops there with code 103.
        {"sul percorso piu' lungo", linea_minima("curvas1,  1000,  999500\r\n", 1000000), 103, 0},
        {"fino all'ultimo metro disegnabile", linea_minima("curvad6,  0,  999999\r\n", 1000000), 0, 0},
    };
    for (const auto& c : casi) {
        scenario s = prova::leggi_sorgenti(c.linea, treno_minimo(""), tracciato_si_no::con);
        EXPECT_EQ(s.codice_errore, c.codice) << c.nome;
        EXPECT_EQ(s.posizione_errore, c.posizione) << c.nome;
    }
}

// The longest route, every cell of it busy: a gradient every 50 m, a curve every kilometre,
// 80 mountain stretches, boards and signboards; in the train file speed and adhesion every
// 100 m, signals, abatement points and 600 nested slowdowns whose ends all lie beyond the last
// start, so that the route checks walk most of the route once for each of them.
TEST(Robustezza, PercorsoMassimoPienoDiElementi) {
    std::string l = "[generale]\r\nlunghezza percorso,    1000000\r\n"
                    "ripetizione segnali 9 codici,    500,    999000\r\n[elementi]\r\n";
    for (int p = 50; p <= 1000000; p += 50) l += "pendenza, " + std::to_string(p) + ", " + std::to_string(p / 50 % 7) + "\r\n";
    for (int p = 0; p < 999000; p += 1000)
        l += std::string(p / 1000 % 2 ? "curvas" : "curvad") + std::to_string(p / 1000 % 6 + 1) + ", " + std::to_string(p) + ", 400\r\n";
    for (int i = 0; i < 80; ++i)
        l += "montagna, " + std::to_string(i * 12000) + ", " + std::to_string(i * 12000 + 10000) + ", 12\r\n";
    for (int p = 960025; p < 990000; p += 1000) l += "indicatori_vmax, " + std::to_string(p) + ", 6, 8, 10, 2, 0, 0, 0, 0\r\n";
    for (int i = 0; i < 40; ++i) l += "cartello_indicatore, " + std::to_string(990000 + i * 200) + ", (Km " + std::to_string(i) + ")\r\n";
    l += "[fine]\r\n";

    std::string t = "[generale]\r\nnumero vetture, 15\r\n";
    for (int p = 0; p <= 999000; p += 100) {
        t += "velocita, " + std::to_string(p) + ", " + std::to_string(60 + p / 100 % 80) + "\r\n";
        t += "aderenza, " + std::to_string(p) + ", " + std::to_string(80 + p / 100 % 19) + "\r\n";
    }
    for (int i = 0; i < 600; ++i)
        t += "rallentamento, " + std::to_string(2000 + 250 * i) + ", 30, 500000, 1, 0, 0\r\n";
    for (int p = 953000; p < 959000; p += 300) t += "segnale, " + std::to_string(p) + ", 1, 2, 3, 4, 5, 0, 1, 2, 3, 0\r\n";
    for (int p = 999100; p < 1003000; p += 100) t += "abbattimento, " + std::to_string(p) + ", 90\r\n";
    t += "[fine]\r\n";

    prova::cartella_temporanea c;
    prova::scrivi(c / "linea.txt", l);
    prova::scrivi(c / "treno.txt", t);
    scenario s;
    s.nome_percorso = "Valmarena";
    s.nome_treno = "RX 914";
    esito_compilazione e = memorizza_percorso(s, tracciato_si_no::con, {c / "linea.txt", c / "treno.txt", true}, c.cammino());

    // The reading went through both files without an error; only the route checks complain,
    // about abatement points that find no free cell before (12) and along (13) the crowded
    // slowdowns.
    EXPECT_EQ(e.fatale, errore_fatale::nessuno);
    ASSERT_EQ(e.file_scritti.size(), 3u);
    std::set<std::int32_t> codici;
    for (const auto& d : s.diagnostiche) codici.insert(d.codice);
    EXPECT_EQ(codici, (std::set<std::int32_t>{12, 13}));
    EXPECT_EQ(s.codice_errore, 12);
    EXPECT_EQ(s.celle.size(), 20141u);
    EXPECT_EQ(s.celle[20137].pendenza, 100 + 20000 % 7);  // the last gradient carried to the end
    EXPECT_EQ(s.celle[20000].velocita, (60 + 9990 % 80) / 5);
    EXPECT_EQ(s.celle[41].tipo, cella_inizio_rallentamento);
    EXPECT_EQ(s.celle[10041].tipo, cella_fine_rallentamento);
    EXPECT_EQ(s.celle[20000].tipo, cella_abbattimento);
    EXPECT_EQ(prova::leggi(c / "Valmarena_RX 914.dat").size(), s.celle.size() * 15);
}

// A signboard text longer than the 65535 bytes a table entry's name can hold: the compile stops
// on the table file before writing anything, with the file and the cause named, and the tool
// exits with status 3 instead of ending abnormally.
TEST(Robustezza, TestoDiCartelloOltre65535Byte) {
    prova::cartella_temporanea c;
    prova::scrivi(c / "linea.txt", linea_minima("cartello_indicatore,  1000,  " + std::string(70000, 'A') + "\r\n"));
    prova::scrivi(c / "treno.txt", treno_minimo(""));
    const auto out = c / "out";
    testing::internal::CaptureStderr();
    int stato = strumento::esegui({"compile", "--line", (c / "linea.txt").string(), "--train", (c / "treno.txt").string(),
                                   "--out", out.string(), "--route", "Valmarena", "--train-name", "RX 914"});
    std::string errori = testing::internal::GetCapturedStderr();
    EXPECT_EQ(stato, 3);
    EXPECT_NE(errori.find("scenario: cannot write " + (out / "Valmarena_RX 914.sim").string() +
                          ": the name of entry 80 is 70000 bytes long"),
              std::string::npos)
        << errori;
    EXPECT_TRUE(std::filesystem::is_empty(out));
}

}  // namespace
}  // namespace valmarena
