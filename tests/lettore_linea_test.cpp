// The line half of the reader: its error codes, the route guard at its limit, the keyword
// rules, gradients, mountains, boards, signboards, the kilometric references and the track plan.

#include <gtest/gtest.h>

#include "compiler/errori.h"
#include "compiler/linea_elementi.h"
#include "compiler/tracciato.h"
#include "supporto.h"

namespace valmarena {
namespace {

using prova::linea_minima;
using prova::righe;

constexpr std::int32_t non_impostata = -1;

struct caso_errore {
    const char* nome;
    std::string linea;
    std::int32_t codice;
    std::int32_t posizione;  // non_impostata: posizione_errore stays 0
};

std::string generale(const std::string& righe_generale) { return "[generale]\r\n" + righe_generale + "[curve]\r\n[fine]\r\n"; }

TEST(LetturaLinea, CodiciDiErrore) {
    const std::string senza_digit = "ripetizione segnali codici,    100,  200\r\n";
    std::string molte_montagne, molti_cartelli;
    for (int i = 0; i < 81; ++i) {
        molte_montagne += "montagna,   " + std::to_string(i * 200) + ",  " + std::to_string(i * 200 + 50) + ",  2\r\n";
        molti_cartelli += "cartello_indicatore,  " + std::to_string(i * 100) + ",   (Km)\r\n";
    }
    const caso_errore casi[] = {
        {"senza [generale]", "abc\r\n[fine]\r\n", 102, non_impostata},
        {"[generale] come ultimo token", "abc\r\n[generale]\r\n", 102, non_impostata},
        {"file vuoto", "", 102, non_impostata},
        {"lunghezza oltre 1000000", generale("lunghezza percorso,    1000001\r\n"), 1, non_impostata},
        {"lunghezza negativa", generale("lunghezza percorso,    -8000\r\n"), 104, non_impostata},
        {"ripetizione da 34325", generale("lunghezza percorso,    20000\r\nripetizione segnali 9 codici,  34325,  0\r\n"), 3, non_impostata},
        {"ripetizione fino a 33", generale("lunghezza percorso,    20000\r\nripetizione segnali 4 codici,  100,  33\r\n"), 4, non_impostata},
        {"ripetizione senza 4 o 9", generale("lunghezza percorso,    20000\r\n" + senza_digit), 5, non_impostata},
        {"curva senza classe", linea_minima("curvas,  100,  50\r\n"), 103, non_impostata},
        {"curva oltre il tracciato", linea_minima("curvad2,  26000,  999\r\n"), 106, 26000},
        {"indicatore su un cartello", linea_minima("cartello_indicatore,  1000,   (Dev.)\r\nindicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0\r\n"), 21, 1000},
        {"cartello su un indicatore", linea_minima("indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0\r\ncartello_indicatore,  1000,   (Dev.)\r\n"), 6, 1000},
        {"guardia oltre il limite", linea_minima("indicatori_vmax,  26950,  90,  95,  100,  0,  ,  ,  ,  0\r\n"), 15, 26950},
        {"posizione negativa", linea_minima("pendenza,  -50,   3\r\n"), 15, -50},
        {"montagna oltre il percorso", linea_minima("montagna,   1000,  27000,  2\r\n"), 107, 27000},
        {"piu' di 80 montagne", linea_minima(molte_montagne), 108, 16000},
        {"piu' di 80 cartelli", linea_minima(molti_cartelli), 109, 8000},
        {"velocita' fuori dai 16 bit", linea_minima("indicatori_vmax,  1000,  2000,  95,  100,  0,  ,  ,  ,  0\r\n"), 25, non_impostata},
        {"riga troncata a fine file", linea_minima("") + "pendenza,  100", 25, non_impostata},
        {"elemento prima della lunghezza", "[generale]\r\n[curve]\r\npendenza,  100,  3\r\n[fine]\r\n", 25, non_impostata},
    };
    for (const auto& c : casi) {
        scenario s = prova::leggi_sorgenti(c.linea, prova::treno_minimo(""));
        EXPECT_EQ(s.codice_errore, c.codice) << c.nome;
        EXPECT_EQ(s.posizione_errore, c.posizione == non_impostata ? 0 : c.posizione) << c.nome;
    }
}

TEST(LetturaLinea, GuardiaAlLimiteEsatto) {
    // A route of 338050 m: boards up to 344950 m are accepted.
    scenario s = prova::leggi_sorgenti(
        linea_minima("indicatori_vmax,  344950,  90,  95,  100,  0,  ,  ,  ,  0\r\n", 338050), prova::treno_minimo(""));
    EXPECT_EQ(s.codice_errore, 0);
    EXPECT_EQ(s.celle[6900].tipo, cella_indicatore);
}

TEST(LetturaLinea, FileDellaLineaCancellatoOLasciato) {
    prova::cartella_temporanea c;
    // Missing line file: code 101, nothing deleted.
    prova::scrivi(c / "t.txt", prova::treno_minimo(""));
    scenario s;
    memorizza_dati(s, {c / "l.txt", c / "t.txt", true});
    EXPECT_EQ(s.codice_errore, 101);
    EXPECT_TRUE(std::filesystem::exists(c / "t.txt"));
    // An error in the line file deletes it and leaves the train file, which was never reached.
    prova::scrivi(c / "l.txt", linea_minima("curvas,  100,  50\r\n"));
    scenario s2;
    s2.genera_tracciato = tracciato_si_no::con;
    memorizza_dati(s2, {c / "l.txt", c / "t.txt", true});
    EXPECT_EQ(s2.codice_errore, 103);
    EXPECT_FALSE(std::filesystem::exists(c / "l.txt"));
    EXPECT_TRUE(std::filesystem::exists(c / "t.txt"));
    // A run-time failure deletes both.
    prova::scrivi(c / "l.txt", linea_minima("") + "pendenza,  100");
    scenario s3;
    memorizza_dati(s3, {c / "l.txt", c / "t.txt", true});
    EXPECT_EQ(s3.codice_errore, 25);
    EXPECT_FALSE(std::filesystem::exists(c / "l.txt"));
    EXPECT_FALSE(std::filesystem::exists(c / "t.txt"));
}

TEST(LetturaLinea, RigheGenerali) {
    const std::string l = righe({"testo prima", "[Generale]", "lunghezza percorso,    20000",
                                 "Progressiva chilometrica uno,    500,  7000,  0",
                                 "progressiva chilometrica due,    1000,  2000,  1", "sfondo uno,    1",
                                 "sfondo due,    2", "sfondo tre,    3", "ripetizione segnali 4 codici,    100,  0",
                                 "[curve]", "[fine]"});
    scenario s = prova::leggi_sorgenti(l, prova::treno_minimo(""));
    EXPECT_EQ(s.codice_errore, 0);
    EXPECT_EQ(s.ultima_cella, 540);
    EXPECT_EQ(s.tabella[voce_misure].fine, 20000);
    // "Progressiva" with a capital is not a reference; "due" sorts to the top and gets +100.
    EXPECT_EQ(s.tabella[voce_progressiva_tre].inizio, 1000);
    EXPECT_EQ(s.tabella[voce_progressiva_tre].fine, 2100);
    EXPECT_EQ(s.tabella[voce_percorso].inizio, 1);
    EXPECT_EQ(s.tabella[voce_percorso].progressiva, 2);
    EXPECT_EQ(s.tabella[voce_percorso].fine, 3);
    EXPECT_EQ(s.tabella[voce_treno].inizio, 100);
    EXPECT_EQ(s.tabella[voce_treno].progressiva, 0);  // kind 4, but the end is 0
}

TEST(LetturaLinea, Pendenze) {
    // Rows at 0 only set the previous gradient; a row in the same cell as the previous still writes one cell.
    scenario s = prova::leggi_sorgenti(
        linea_minima(righe({"pendenza,  0,   5", "PENDENZA,  200,   -3", "pendenza,  210,   7",
                            "----------------", "pendenza,  400,   0"})),
        prova::treno_minimo(""));
    ASSERT_EQ(s.codice_errore, 0);
    std::vector<int> attese = {105, 105, 105, 105, 97, 107, 107, 107, 100};
    for (std::size_t c = 0; c < attese.size(); ++c) EXPECT_EQ(s.celle[c].pendenza, attese[c]) << c;
    EXPECT_EQ(s.celle[537].pendenza, 100);
    EXPECT_EQ(s.celle[538].pendenza, 0);
    EXPECT_EQ(s.celle[540].pendenza, 0);
}

TEST(LetturaLinea, TrattiniSaltatiConLaRiga) {
    // The hyphenated keyword is replaced by the tokens after it, so its row does nothing.
    scenario s = prova::leggi_sorgenti(linea_minima(righe({"pendenza-x,  100,   9", "pendenza,  200,   1"})),
                                       prova::treno_minimo(""));
    EXPECT_EQ(s.codice_errore, 0);
    EXPECT_EQ(s.celle[0].pendenza, 100);
    EXPECT_EQ(s.celle[4].pendenza, 101);
}

TEST(LetturaLinea, MontagneIndicatoriCartelli) {
    scenario s = prova::leggi_sorgenti(
        linea_minima(righe({"montagna,   5950,  6200,  12", "montagna,   6300,  6500,  12",
                            "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0",
                            "indicatori_vmax,  6100,  100,  105,  110,  2,  100,  105,  110,  1",
                            "cartello_indicatore,  7950,   (  Cippo  )(Km 8+000)",
                            "cartello_indicatore,  8000,   (Dev.I.)"})),
        prova::treno_minimo(""));
    ASSERT_EQ(s.codice_errore, 0);
    for (int c = 119; c <= 123; ++c) EXPECT_EQ(s.celle[static_cast<std::size_t>(c)].montagna, 2) << c;
    // The second stretch starts 100 m after the first ends: kind 3, markers still on.
    for (int c = 126; c <= 129; ++c) EXPECT_EQ(s.celle[static_cast<std::size_t>(c)].montagna, 3) << c;
    EXPECT_EQ(s.celle[129].tipo, cella_marcatore_montagna);
    const cella& b = s.celle[21];
    EXPECT_EQ(b.tipo, cella_indicatore);
    EXPECT_EQ(b.valore1, 1800);
    EXPECT_EQ(b.valore2, 1900);
    EXPECT_EQ(b.valore3, 2000);
    EXPECT_EQ(b.valore4, 0);
    // A board on a marker cell is placed.
    const cella& m = s.celle[123];
    EXPECT_EQ(m.tipo, cella_indicatore);
    EXPECT_EQ(m.valore1, 2020);
    EXPECT_EQ(m.valore4, 21);
    EXPECT_EQ(s.celle[160].tipo, cella_cartello);
    EXPECT_EQ(s.celle[160].valore1, 80);
    EXPECT_EQ(s.tabella[80].nome, "(  Cippo  )(Km 8+000)");
    EXPECT_EQ(s.celle[161].valore1, 79);
    EXPECT_EQ(s.tabella[79].nome, "(Dev.I.)");
    EXPECT_EQ(s.prossimo_cartello, 78);
}

// Cells first := inizio / 50 and last := fine / 50 - 1, each rounded as a whole, halves to even.
TEST(LetturaLinea, CelleDiUnaMontagna) {
    struct {
        const char* riga;
        std::vector<std::size_t> celle, marcatori;
        std::uint8_t tipo;
    } casi[] = {
        {"montagna,   0,  75,  2", {0}, {}, 2},
        {"montagna,   0,  125,  2", {0, 1, 2}, {}, 2},
        {"montagna,   1000,  1125,  12", {20, 21, 22}, {}, 2},
        {"montagna,   5950,  6200,  12", {119, 120, 121, 122, 123}, {122}, 2},
    };
    for (const auto& c : casi) {
        scenario s = prova::leggi_sorgenti(linea_minima(righe({c.riga})), prova::treno_minimo(""));
        ASSERT_EQ(s.codice_errore, 0) << c.riga;
        std::vector<std::size_t> celle, marcatori;
        for (std::size_t i = 0; i < s.celle.size(); ++i) {
            if (s.celle[i].montagna != 0) {
                celle.push_back(i);
                EXPECT_EQ(s.celle[i].montagna, c.tipo) << c.riga << " cell " << i;
            }
            if (s.celle[i].tipo == cella_marcatore_montagna) marcatori.push_back(i);
        }
        EXPECT_EQ(celle, c.celle) << c.riga;
        EXPECT_EQ(marcatori, c.marcatori) << c.riga;
    }
}

TEST(ProgressiveOrdina, Casi) {
    using terna = std::array<std::int32_t, 3>;
    struct caso {
        const char* nome;
        terna uno, due, tre;
        terna e81, e82, e83;
    } casi[] = {
        {"linea incorporata", {287550, -287550, 0}, {319000, 415100, 1}, {0, 0, 0},
         {319000, 415200, 1}, {287550, -287550, 0}, {0, 0, 0}},
        {"pari al secondo posto: prima uno", {100, 1, 0}, {100, 2, 0}, {500, 3, 0},
         {500, 3, 0}, {100, 1, 0}, {100, 2, 0}},
        {"due piu' grandi uguali: tutto a zero", {500, 1, 1}, {500, 2, 0}, {100, 3, 0},
         {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        {"posizioni nulle, K1 positivo", {0, 7, 1}, {0, 0, 0}, {0, 9, 0},
         {0, 107, 1}, {0, 0, 0}, {0, 9, 0}},
        {"posizioni nulle, K2 positivo", {0, 0, 0}, {0, 5, 0}, {0, 9, 1},
         {0, 5, 0}, {0, 109, 1}, {0, 0, 0}},
        {"posizioni nulle, nulla di positivo", {0, -1, 1}, {0, 0, 1}, {0, -5, 0},
         {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
    };
    for (const auto& c : casi) {
        scenario s;
        auto metti = [&](int e, const terna& t) {
            s.tabella[static_cast<std::size_t>(e)].inizio = t[0];
            s.tabella[static_cast<std::size_t>(e)].fine = t[1];
            s.tabella[static_cast<std::size_t>(e)].progressiva = t[2];
        };
        auto leggi = [&](int e) {
            const voce& v = s.tabella[static_cast<std::size_t>(e)];
            return terna{v.inizio, v.fine, v.progressiva};
        };
        metti(voce_progressiva_uno, c.uno);
        metti(voce_progressiva_due, c.due);
        metti(voce_progressiva_tre, c.tre);
        progressive_ordina(s);
        EXPECT_EQ(leggi(81), c.e81) << c.nome;
        EXPECT_EQ(leggi(82), c.e82) << c.nome;
        EXPECT_EQ(leggi(83), c.e83) << c.nome;
    }
}

TEST(Tracciato, CurvaPiccolaDaSinistraADestra) {
    scenario s = prova::leggi_sorgenti(linea_minima(righe({"curvad4,  0,  3"}), 100), prova::treno_minimo(""));
    ASSERT_EQ(s.codice_errore, 0);
    const struct tracciato t = disegna_tracciato(s.tracciato);
    ASSERT_EQ(t.punti, 7101u);
    EXPECT_EQ(etichetta_punto(t, 1, 1), etichetta::intero);
    EXPECT_EQ(valore_punto(t, 1, 1), 1.0);
    EXPECT_EQ(valore_punto(t, 2, 0), 0.001);
    EXPECT_EQ(valore_punto(t, 2, 1), 2.0);
    EXPECT_EQ(valore_punto(t, 3, 0), (0.001 + 0.001) + 0.001 * 1.0);
    EXPECT_EQ(valore_punto(t, 3, 1), (2.0 + 1.0) - 0.001 * 0.001);
    // Straight after the curve: the last step repeats, not renormalised.
    EXPECT_EQ(valore_punto(t, 4, 0) - valore_punto(t, 3, 0), valore_punto(t, 3, 0) - valore_punto(t, 2, 0));
    EXPECT_EQ(etichetta_punto(t, 7098, 0), etichetta::reale);
    EXPECT_EQ(etichetta_punto(t, 7099, 0), etichetta::vuoto);
    EXPECT_EQ(etichetta_punto(t, 7100, 1), etichetta::vuoto);
}

TEST(Tracciato, PercorsoMassimoDisegnatoFinoInFondo) {
    // Curves may not take the cursor past 1000000 m, the straight run to the end may.
    scenario s = prova::leggi_sorgenti(linea_minima(righe({"curvad1,  999000,  500"}), 1000000), prova::treno_minimo(""));
    EXPECT_EQ(s.codice_errore, 0);
    const struct tracciato t = disegna_tracciato(s.tracciato);
    EXPECT_EQ(etichetta_punto(t, 1006998, 1), etichetta::reale);
    EXPECT_EQ(etichetta_punto(t, 1006999, 1), etichetta::vuoto);
    scenario oltre = prova::leggi_sorgenti(linea_minima(righe({"curvad1,  999000,  1500"}), 1000000), prova::treno_minimo(""));
    EXPECT_EQ(oltre.codice_errore, 103);
}

TEST(Tracciato, SenzaTracciatoLeCurveNonContano) {
    scenario s = prova::leggi_sorgenti(linea_minima(righe({"curvas,  100,  50"})), prova::treno_minimo(""), tracciato_si_no::senza);
    EXPECT_EQ(s.codice_errore, 0);
    EXPECT_EQ(s.tracciato.punti, 0u);
    EXPECT_TRUE(s.tracciato.tratti.empty());
    EXPECT_TRUE(disegna_tracciato(s.tracciato).valori.empty());
}

// A curve keyword's class is its smallest digit 1 to 6, wherever it stands among other bytes.
TEST(Tracciato, ClasseDellaCurvaLaCifraPiuPiccola) {
    const std::pair<const char*, double> casi[] = {
        {"curvas1", 0.0001}, {"curvad6", 0.003}, {"curva62", 0.0002}, {"c4urva3", 0.0004},
        {"curva7", 0.0}, {"curva0", 0.0}, {"curva", 0.0}, {"curva9d5", 0.002},
    };
    for (const auto& [token, kappa] : casi) EXPECT_EQ(curvatura_classe(token), kappa) << token;
}

TEST(Tracciato, CurvaSinistraVersoMenoX) {
    scenario s = prova::leggi_sorgenti(linea_minima(righe({"curvaS6,  100,  200"}), 1000), prova::treno_minimo(""));
    ASSERT_EQ(s.codice_errore, 0);
    const struct tracciato t = disegna_tracciato(s.tracciato);
    EXPECT_EQ(valore_punto(t, 100, 0), 0.0);
    EXPECT_LT(valore_punto(t, 300, 0), -10.0);
}

}  // namespace
}  // namespace valmarena

namespace valmarena {
namespace {

TEST(Diagnostiche, TestoInUtf8) {
    // A file name with an accented letter and a source token in Windows-1252 both reach the
    // message as UTF-8.
    prova::cartella_temporanea c;
    const auto linea = c.cammino() / std::filesystem::path(u8"l\u00ecnea.txt");
    prova::scrivi(linea, linea_minima("velocit\xe0,  100,  3\r\ncurvas,  100,  50\r\n"));
    prova::scrivi(c / "t.txt", prova::treno_minimo(""));
    scenario s;
    s.genera_tracciato = tracciato_si_no::con;
    memorizza_dati(s, {linea, c / "t.txt", false});
    ASSERT_EQ(s.diagnostiche.size(), 1u);
    EXPECT_NE(messaggio_diagnostica(s.diagnostiche[0]).find("l\xc3\xacnea.txt:5:1: error 103"), std::string::npos)
        << messaggio_diagnostica(s.diagnostiche[0]);
    ASSERT_FALSE(s.avvertimenti.empty());
    EXPECT_NE(messaggio_avvertimento(s.avvertimenti[0]).find("'velocit\xc3\xa0'"), std::string::npos)
        << messaggio_avvertimento(s.avvertimenti[0]);
}

}  // namespace
}  // namespace valmarena
