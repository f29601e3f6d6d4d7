// The train half of the reader: its error codes, stations and their zones, signal packing,
// slowdown cells, abatement points and the speed and adhesion fills.

#include <gtest/gtest.h>

#include "supporto.h"

namespace valmarena {
namespace {

using prova::righe;

// A line of 20000 m (cells 0..540) with optional extra rows.
std::string linea(const std::string& extra = {}, std::int32_t lunghezza = 20000) {
    return prova::linea_minima(extra, lunghezza);
}

scenario leggi_treno(const std::string& righe_treno, const std::string& extra_linea = {}, std::int32_t lunghezza = 20000) {
    return prova::leggi_sorgenti(linea(extra_linea, lunghezza), prova::treno_minimo(righe_treno));
}

const std::string stazione_1000 = "stazione,    1000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, Prima\r\n";

TEST(LetturaTreno, CodiciDiErrore) {
    std::string ottanta_cartelli;
    for (int i = 0; i < 80; ++i) ottanta_cartelli += "cartello_indicatore,  " + std::to_string(i * 100) + ",   (Km)\r\n";
    struct caso {
        const char* nome;
        std::string treno;
        std::string extra_linea;
        std::int32_t codice, posizione;
    } casi[] = {
        {"segnale su una fermata", stazione_1000 + "segnale,    1100,   2, 3, 4,  1, 0,    2,  2,1,1, 0\r\n", "", 16, 1100},
        {"avviso su cella presa", "segnale,    3800,   2, 3, 4,  1, 0,    2,  2,1,1, 0\r\nrallentamento,    5000,    20,  500, 0,  0,  0\r\n", "", 17, 5000},
        {"inizio su cella presa", "segnale,    5000,   2, 3, 4,  1, 0,    2,  2,1,1, 0\r\nrallentamento,    5000,    20,  500, 0,  0,  0\r\n", "", 18, 5000},
        {"fine su cella presa", "segnale,    5500,   2, 3, 4,  1, 0,    2,  2,1,1, 0\r\nrallentamento,    5000,    20,  500, 0,  0,  0\r\n", "", 19, 5000},
        {"celle numerate prese", "segnale,    3700,   2, 3, 4,  1, 0,    2,  2,1,1, 0\r\nrallentamento,    5000,    20,  500, 0,  1,  0\r\n", "", 20, 5000},
        {"abbattimento su cella presa", "segnale,    2000,   2, 3, 4,  1, 0,    2,  2,1,1, 0\r\nabbattimento,    2050,   270\r\n", "", 7, 2050},
        {"stazione non multipla di 50", "stazione,    1025,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, X\r\n", "", 8, 1025},
        {"zona non multipla di 100", "stazione,    1000,  2,  450,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, X\r\n", "", 9, 1000},
        {"stazioni troppo vicine", stazione_1000 + "stazione,    1500,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, Seconda\r\n", "", 22, 1500},
        {"fermata nella cella 1", "stazione,       0,  2,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, X\r\n", "", 24, 0},
        {"oltre il percorso", "velocita,   30000,    30\r\n", "", 15, 30000},
        {"stazione oltre il margine", "stazione,    26250,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, X\r\n", "", 15, 26250},
        {"riferimento non multiplo di 50", "", "", 2, 0},
        {"tabella piena", stazione_1000, ottanta_cartelli, 10, 0},
        {"rallentamento oltre le celle", "rallentamento,    5000,    20,  90000, 0,  0,  0\r\n", "", 110, 5000},
        {"fermata oltre le celle", "stazione,    10000,  2,  90000,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, X\r\n", "", 111, 10000},
        {"velocita' che non sta in un byte", "velocita,   0,    2000\r\n", "", 25, 0},
    };
    for (auto& c : casi) {
        std::string l = linea(c.extra_linea);
        if (c.codice == 2) l = righe({"[generale]", "lunghezza percorso,    20000", "progressiva chilometrica uno,    125,  0,  0", "[fine]"});
        scenario s = prova::leggi_sorgenti(l, prova::treno_minimo(c.treno));
        EXPECT_EQ(s.codice_errore, c.codice) << c.nome;
        EXPECT_EQ(s.posizione_errore, c.posizione) << c.nome;
    }
}

TEST(LetturaTreno, FermataSuUnSegnaleNonFaFineNormale) {
    scenario s = leggi_treno("velocita,   0,    30\r\n" + stazione_1000 +
                             "segnale,    1100,   2, 3, 4,  1, 0,    2,  2,1,1, 0\r\n");
    EXPECT_EQ(s.codice_errore, 16);
    EXPECT_EQ(s.celle[23].tipo, cella_fermata);
    EXPECT_EQ(s.celle[23].valore4, 0);  // nothing of the signal written
    EXPECT_EQ(s.celle[0].velocita, 0);  // the fills were not carried on
}

TEST(LetturaTreno, TabellaPienaNonCancellaICartelli) {
    std::string ottanta;
    for (int i = 0; i < 80; ++i) ottanta += "cartello_indicatore,  " + std::to_string(i * 100) + ",   (Km " + std::to_string(i) + ")\r\n";
    scenario s = leggi_treno(stazione_1000, ottanta);
    EXPECT_EQ(s.codice_errore, 10);
    EXPECT_EQ(s.tabella[1].nome, "(Km 79)");
    EXPECT_EQ(s.tabella[1].progressiva, 0);
}

TEST(LetturaTreno, RigheGeneraliEParoleChiave) {
    scenario s = leggi_treno(righe({"numero vetture,    15", "percentuale massa frenata,    105", "sabbia,    100",
                                    "orologio,    10              9             30 ", "[vel_limite]",
                                    "VELOCITA,   0,    30", "velocit\xe0,   1000,   140"}));
    EXPECT_EQ(s.codice_errore, 0);
    EXPECT_EQ(s.tabella[voce_misure].progressiva, 15);
    EXPECT_EQ(s.tabella[voce_misure].inizio, 105);
    EXPECT_EQ(s.tabella[voce_treno].intero1, 100);
    EXPECT_EQ(s.tabella[voce_treno].intero3, 10);
    EXPECT_EQ(s.tabella[voce_treno].intero4, 9);
    EXPECT_EQ(s.tabella[voce_treno].intero5, 30);
    EXPECT_EQ(s.celle[19].velocita, 6);
    EXPECT_EQ(s.celle[20].velocita, 28);
    EXPECT_EQ(s.celle[537].velocita, 28);
    EXPECT_EQ(s.celle[538].velocita, 0);
}

TEST(LetturaTreno, SenzaGeneraleNienteRigheNeErrori) {
    scenario s = prova::leggi_sorgenti(linea(), "velocita,   0,    30\r\nstazione,    1000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, X\r\n[fine]\r\n");
    EXPECT_EQ(s.codice_errore, 0);
    EXPECT_EQ(s.celle[5].velocita, 0);
    EXPECT_TRUE(s.tabella[1].nome.empty());
}

TEST(LetturaTreno, UltimaRigaSoloSeCompleta) {
    scenario solo = prova::leggi_sorgenti(linea(), "[generale]\r\nsabbia,    7\r\nsabbia\r\n");
    EXPECT_EQ(solo.tabella[voce_treno].intero1, 7);
    scenario completa = prova::leggi_sorgenti(linea(), "[generale]\r\nsabbia,    7\r\nsabbia,    9\r\n");
    EXPECT_EQ(completa.tabella[voce_treno].intero1, 9);
}

TEST(LetturaTreno, RiempimentiDaiPuntatori) {
    // Two rows at one position: the second sets one more cell to the first row's speed.
    scenario s = leggi_treno(righe({"velocita,   0,    30", "velocita,   500,    60", "velocita,   500,    90",
                                    "aderenza,   0,    95", "aderenza,   500,    70", "velocita,   40000,    120"}));
    EXPECT_EQ(s.codice_errore, 15);
    EXPECT_EQ(s.celle[9].velocita, 6);
    EXPECT_EQ(s.celle[10].velocita, 12);
    EXPECT_EQ(s.celle[11].velocita, 18);
    EXPECT_EQ(s.celle[537].velocita, 18);  // the row beyond the route did not take its speed
    EXPECT_EQ(s.celle[9].aderenza, 95);
    EXPECT_EQ(s.celle[10].aderenza, 70);
}

TEST(LetturaTreno, SegnaliImpacchettatiETempo) {
    scenario s = leggi_treno(righe({"segnale,    1050,   2, 3, 4,  1, 0,    2,  2,1,1, 0",
                                    "segnale,    3000,   2, 2, 3,  1, 1,    0,  0,0,0, 50",
                                    "segnale,    4000,   1, 2, 3,  1, 1,    0,  0,0,0, 50",
                                    "segnale,    5000,   2, 2, 3,  1, 1,    0,  0,0,0, 255"}));
    ASSERT_EQ(s.codice_errore, 0);
    const cella& c = s.celle[22];
    EXPECT_EQ(c.tipo, cella_segnale);
    EXPECT_EQ(c.valore1, 32);
    EXPECT_EQ(c.valore2, 41);
    EXPECT_EQ(c.valore3, 11);
    EXPECT_EQ(c.valore4, 8);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(s.celle[static_cast<std::size_t>(22 - 2 * k)].preavviso, 80 + k);
    EXPECT_EQ(s.celle[61].tempo, 101);
    EXPECT_EQ(s.celle[81].tempo, 0);
    EXPECT_EQ(s.celle[101].tempo, 255);
    EXPECT_EQ(s.celle[59].preavviso, 61);
}

TEST(LetturaTreno, SegnaleVicinoAllInizio) {
    // Approach marks that would fall before cell 0 are dropped.
    scenario s = leggi_treno("segnale,    100,   2, 3, 4,  1, 0,    2,  2,1,1, 0\r\n");
    EXPECT_EQ(s.codice_errore, 0);
    EXPECT_EQ(s.celle[3].tipo, cella_segnale);
    EXPECT_EQ(s.celle[1].preavviso, 81);
}

TEST(LetturaTreno, Rallentamenti) {
    scenario vicino = leggi_treno("rallentamento,    1500,    20,  500, 0,  1,  0\r\n");
    ASSERT_EQ(vicino.codice_errore, 0);
    int avvisi = 0, numerate = 0;
    for (const auto& c : vicino.celle) {
        avvisi += c.tipo == cella_avviso_rallentamento;
        numerate += c.tipo == cella_numerata;
    }
    EXPECT_EQ(avvisi, 0);
    EXPECT_EQ(numerate, 0);

    scenario oltre = leggi_treno("rallentamento,    1550,    20,  500, 1,  1,  0\r\n");
    ASSERT_EQ(oltre.codice_errore, 0);
    EXPECT_EQ(oltre.celle[8].tipo, cella_avviso_rallentamento);
    EXPECT_EQ(oltre.celle[8].valore1, 20);
    for (int k = 0; k < 4; ++k) {
        const cella& n = oltre.celle[static_cast<std::size_t>(7 - k)];
        EXPECT_EQ(n.tipo, cella_numerata);
        EXPECT_EQ(n.valore1, k + 1);
        EXPECT_EQ(n.valore2, 0);
    }
    EXPECT_EQ(oltre.celle[32].tipo, cella_inizio_rallentamento);
    EXPECT_EQ(oltre.celle[32].valore3, 1);
    EXPECT_EQ(oltre.celle[42].tipo, cella_fine_rallentamento);
    EXPECT_EQ(oltre.celle[42].valore1, 20);

    // Start and end in one cell: the start replaces the end.
    scenario corto = leggi_treno("rallentamento,    5000,    20,  10, 0,  0,  0\r\n");
    EXPECT_EQ(corto.celle[101].tipo, cella_inizio_rallentamento);
}

TEST(LetturaTreno, Abbattimenti) {
    scenario s = leggi_treno(righe({"abbattimento,   2000,   270", "abbattimento,   3000,   0"}));
    ASSERT_EQ(s.codice_errore, 0);
    EXPECT_EQ(s.celle[40].tipo, cella_abbattimento);
    EXPECT_EQ(s.celle[40].valore1, 270);
    EXPECT_EQ(s.celle[60].tipo, cella_abbattimento_senza_valore);
    EXPECT_EQ(s.celle[60].valore1, 0);
}

TEST(LetturaTreno, StazioniEZone) {
    scenario s = leggi_treno(righe({
        "stazione,       0,  8,  500,  1, 7, 1,  5,1,0,  2,1,1,    1,  10, 9,30, Velmora",
        "[stazioni]",
        "stazione,    5000,  6,  300,  0, 0, 1,  0,0,0,  0,0,0,    0,   0, 0, 0, Sesta",
        "stazione,   10000,  2,  400,  0, 9, 1,  0,0,0,  0,0,0,    0,   0, 0, 0, Valle - di Sopra",
        "stazione,   12000, 27,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, Senza celle",
        "stazione,   14000, 12,  600,  0, 9, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, Lunga",
    }));
    ASSERT_EQ(s.codice_errore, 0);
    const voce& v1 = s.tabella[1];
    EXPECT_EQ(v1.inizio, -500);
    EXPECT_EQ(v1.fine, 500);
    EXPECT_EQ(v1.byte3, 0);
    EXPECT_EQ(v1.byte4, 0);
    EXPECT_EQ(v1.orario, 36570);
    EXPECT_EQ(v1.nome, "Velmora");
    EXPECT_EQ(s.celle[9].tipo, cella_fermata);
    EXPECT_EQ(s.celle[9].valore1, 1);
    for (int k = 1; k <= 4; ++k) EXPECT_EQ(s.celle[static_cast<std::size_t>(9 - k)].preavviso, 80 + k);

    const voce& v2 = s.tabella[2];  // kind 6: zone p - L .. p + 150, a stopping point, no marks
    EXPECT_EQ(v2.inizio, 4700);
    EXPECT_EQ(v2.fine, 5150);
    EXPECT_EQ(v2.byte3, 0);
    EXPECT_EQ(s.celle[102].tipo, cella_fermata);
    EXPECT_EQ(s.celle[101].preavviso, 0);

    const voce& v3 = s.tabella[3];  // byte3 lengthens the zone; byte4 cleared below 600 m
    EXPECT_EQ(v3.inizio, 9800);
    EXPECT_EQ(v3.fine, 10250);
    EXPECT_EQ(v3.byte4, 0);
    EXPECT_EQ(v3.byte3, 1);
    EXPECT_EQ(v3.nome, "Valle - di Sopra");

    EXPECT_EQ(s.tabella[4].nome, "Senza celle");
    EXPECT_EQ(s.tabella[5].byte4, 9);  // 600 m keeps byte4
    int fermate = 0;
    for (const auto& c : s.celle) fermate += c.tipo == cella_fermata;
    EXPECT_EQ(fermate, 4);
}

TEST(LetturaTreno, FileDelTrenoMancante) {
    prova::cartella_temporanea c;
    prova::scrivi(c / "l.txt", linea());
    scenario s;
    memorizza_dati(s, {c / "l.txt", c / "t.txt", true});
    EXPECT_EQ(s.codice_errore, 25);
    EXPECT_FALSE(std::filesystem::exists(c / "l.txt"));
}

TEST(LetturaTreno, Dopo15DellaLineaIlTrenoSiLeggeTutto) {
    // The line stops at a row beyond the route; the train is still read to its end.
    scenario s = prova::leggi_sorgenti(
        linea("pendenza,  30000,   3\r\n"),
        prova::treno_minimo(righe({"segnale,    1050,   2, 3, 4,  1, 0,    2,  2,1,1, 0",
                                   "segnale,    2050,   2, 3, 4,  1, 0,    2,  2,1,1, 0"})));
    EXPECT_EQ(s.codice_errore, 15);
    EXPECT_EQ(s.posizione_errore, 30000);
    EXPECT_EQ(s.celle[22].tipo, cella_segnale);
    EXPECT_EQ(s.celle[42].tipo, cella_segnale);
}

}  // namespace
}  // namespace valmarena
