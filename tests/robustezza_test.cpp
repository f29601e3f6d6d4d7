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
#include "casi_robustezza.h"
#include "supporto.h"

namespace valmarena {
namespace {

using prova::linea_minima;
using prova::treno_minimo;

// A line of 200000 fields: each field's first-of-line test must not rescan the line (it did,
// and such a line took minutes).
TEST(Robustezza, UnaRigaDiDuecentomilaCampi) {
    scenario s = prova::leggi_sorgenti(prova::linea_duecentomila_campi(), treno_minimo(""));
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
    // In the general section each hyphen token is replaced by the next token, ten at a time.
    // Hyphens up to the end of the file: the general section never ends, the cells are never
    // allocated and the closing fill is a run-time failure.
    const std::int32_t codici[] = {0, 0, 25};
    const auto casi = prova::casi_trattini();
    for (std::size_t i = 0; i < casi.size(); ++i) {
        const auto& c = casi[i];
        scenario s = prova::leggi_sorgenti(c.linea, c.treno);
        EXPECT_EQ(s.codice_errore, codici[i]) << c.nome;
        if (codici[i] == 0) {
            ASSERT_FALSE(s.celle.empty()) << c.nome;
            EXPECT_EQ(s.celle[20].pendenza, 105) << c.nome;
        }
    }
}

TEST(Robustezza, CurveDiLunghezzaEnorme) {
    // On the longest route the third curve fits the track plan but carries the cursor past
    // 1000000 m: the drawing stops there with code 103.
    const std::pair<std::int32_t, std::int32_t> attesi[] = {{106, 1000}, {0, 0}, {103, 0}, {0, 0}};
    const auto casi = prova::casi_curve_enormi();
    for (std::size_t i = 0; i < casi.size(); ++i) {
        scenario s = prova::leggi_sorgenti(casi[i].linea, casi[i].treno, tracciato_si_no::con);
        EXPECT_EQ(s.codice_errore, attesi[i].first) << casi[i].nome;
        EXPECT_EQ(s.posizione_errore, attesi[i].second) << casi[i].nome;
    }
}

// The longest route, every cell of it busy (casi_robustezza.h).
TEST(Robustezza, PercorsoMassimoPienoDiElementi) {
    const auto caso = prova::percorso_massimo_pieno();
    const std::string& l = caso.linea;
    const std::string& t = caso.treno;
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
    prova::scrivi(c / "linea.txt", prova::linea_cartello_lunghissimo());
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
