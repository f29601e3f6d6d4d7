// The route checks (abatement points around slowdowns and signals), the reserved slots with
// the fatal errors 1250 and 1251, and the competition codes.

#include <gtest/gtest.h>

#include "compiler/codici_gara.h"
#include "compiler/compilatore.h"
#include "compiler/errori.h"
#include "sources/nomi.h"
#include "supporto.h"

namespace valmarena {
namespace {

// A route of 20000 m (cells 0..540) with the features placed directly.
struct percorso_prova {
    scenario s = prova::scenario_con_celle(20000);
    percorso_prova& metti(std::size_t c, std::uint8_t tipo, std::int16_t v1 = 0) {
        s.celle[c].tipo = tipo;
        s.celle[c].valore1 = v1;
        return *this;
    }
    percorso_prova& rallentamento(std::size_t inizio, std::size_t fine, std::int16_t velocita) {
        metti(inizio, cella_inizio_rallentamento, velocita);
        return metti(fine, cella_fine_rallentamento, velocita);
    }
    std::vector<std::size_t> punti() const {
        std::vector<std::size_t> p;
        for (std::size_t c = 0; c < s.celle.size(); ++c)
            if (s.celle[c].tipo == cella_abbattimento && s.celle[c].valore1 == 180) p.push_back(c);
        return p;
    }
};

using celle = std::vector<std::size_t>;

TEST(Controlli, FinestreSecondoLaCellaDiInizio) {
    struct {
        std::size_t inizio;
        celle attesi;
    } casi[] = {{7, {}}, {8, {3}}, {13, {8}}, {14, {3, 9}}, {20, {9, 15}}, {21, {3, 10, 16}}};
    for (const auto& c : casi) {
        percorso_prova p;
        p.rallentamento(c.inizio, c.inizio + 5, 110);
        controlla_percorso(p.s);
        EXPECT_EQ(p.punti(), c.attesi) << c.inizio;
        EXPECT_EQ(p.s.codice_errore, 0) << c.inizio;
    }
}

TEST(Controlli, RallentamentoLentoDa100A130) {
    percorso_prova p;
    p.rallentamento(100, 130, 60).metti(135, cella_segnale);
    controlla_percorso(p.s);
    EXPECT_EQ(p.punti(), (celle{82, 89, 95, 108, 116, 124, 134}));
    EXPECT_EQ(p.s.codice_errore, 0);
}

TEST(Controlli, Velocita110SenzaPuntiLungo) {
    percorso_prova p;
    p.rallentamento(100, 130, 110).metti(135, cella_segnale);
    controlla_percorso(p.s);
    EXPECT_EQ(p.punti(), (celle{82, 89, 95, 134}));
}

TEST(Controlli, OttavaCellaOccupata) {
    percorso_prova p;
    p.rallentamento(100, 130, 60).metti(108, cella_segnale);
    controlla_percorso(p.s);
    EXPECT_EQ(p.punti(), (celle{82, 89, 95, 107, 115, 123}));
}

TEST(Controlli, RegolaASegnaliPrimaDellAvviso) {
    struct {
        const char* nome;
        std::int16_t valore_prima;  // abatement value in s - 1 (0: s - 1 taken by something else)
        bool s2_libera;
        std::int16_t atteso_s1;
        bool punto_in_s2;
    } casi[] = {
        {"270 abbassato a 180", 270, false, 180, false},
        {"120 resta 120", 120, false, 120, false},
        {"s-2 libera: nuovo punto, 270 resta", 270, true, 270, true},
    };
    for (const auto& c : casi) {
        percorso_prova p;
        p.metti(200, cella_avviso_rallentamento, 30).metti(190, cella_segnale).metti(189, cella_abbattimento, c.valore_prima);
        if (!c.s2_libera) p.metti(188, cella_indicatore);
        controlla_percorso(p.s);
        EXPECT_EQ(p.s.celle[189].valore1, c.atteso_s1) << c.nome;
        EXPECT_EQ(p.s.celle[188].tipo == cella_abbattimento, c.punto_in_s2) << c.nome;
        EXPECT_EQ(p.s.codice_errore, 0) << c.nome;
    }
}

TEST(Controlli, RegolaALimiteBasso) {
    percorso_prova a;
    a.metti(3, cella_avviso_rallentamento).metti(2, cella_segnale);
    controlla_percorso(a.s);
    EXPECT_TRUE(a.punti().empty());
    percorso_prova b;
    b.metti(5, cella_avviso_rallentamento).metti(3, cella_segnale).metti(2, cella_segnale);
    controlla_percorso(b.s);
    EXPECT_EQ(b.punti(), (celle{1}));  // the signal in 3 is examined (point in 2 is taken: 1), the one in 2 is not
}

TEST(Controlli, ErroriRegistratiEPassataCheProsegue) {
    {
        percorso_prova p;  // rule A: both cells before the signal taken
        p.metti(200, cella_avviso_rallentamento).metti(190, cella_segnale).metti(189, cella_indicatore).metti(188, cella_indicatore);
        controlla_percorso(p.s);
        EXPECT_EQ(p.s.codice_errore, 11);
        EXPECT_EQ(p.s.posizione_errore, 190 * 50);
    }
    {
        percorso_prova p;  // B1: the first window full, the next windows still get their points
        p.rallentamento(100, 103, 110).metti(95, cella_indicatore).metti(94, cella_indicatore).metti(93, cella_indicatore);
        controlla_percorso(p.s);
        EXPECT_EQ(p.s.codice_errore, 12);
        EXPECT_EQ(p.s.posizione_errore, 5000);
        EXPECT_EQ(p.punti(), (celle{82, 89}));
    }
    {
        percorso_prova p;  // B2: the eighth cell and both neighbours taken; no more points along
        p.rallentamento(100, 130, 60).metti(107, cella_segnale).metti(108, cella_segnale).metti(109, cella_segnale);
        controlla_percorso(p.s);
        EXPECT_EQ(p.s.codice_errore, 13);
        EXPECT_EQ(p.s.posizione_errore, 108 * 50);
        EXPECT_EQ(p.punti(), (celle{82, 89, 95}));
    }
    {
        percorso_prova p;  // B3: both cells before the signal after the end taken
        p.rallentamento(100, 105, 60).metti(110, cella_segnale).metti(109, cella_indicatore).metti(108, cella_indicatore);
        controlla_percorso(p.s);
        EXPECT_EQ(p.s.codice_errore, 13);
        EXPECT_EQ(p.s.posizione_errore, 105 * 50);
    }
    {
        percorso_prova p;  // a slowdown start without an end: the walk stops at the last cell
        p.metti(500, cella_inizio_rallentamento, 60);
        controlla_percorso(p.s);
        EXPECT_EQ(p.s.codice_errore, 13);
        EXPECT_EQ(p.s.posizione_errore, 500 * 50);
        ASSERT_EQ(p.s.diagnostiche.size(), 1u);
        EXPECT_EQ(messaggio_diagnostica(p.s.diagnostiche[0]),
                  "error 13 at 25000 m: the slowdown has no end cell ahead of it");
    }
}

// Slowdowns whose end mark the cells lost: the start written over the end (shorter than a cell,
// or 50 m from an odd multiple of 25 m, both rounded to one cell), or a stopping point written
// over the end. The walks end at the slowdown's own end cell and touch no later slowdown.
TEST(Controlli, RallentamentiSenzaMarcaDiFine) {
    struct {
        const char* nome;
        std::int32_t lunghezza;
        std::string treno;
        celle attesi;
    } casi[] = {
        {"piu' corto di una cella", 10000,
         prova::righe({"rallentamento, 4950, 60, 0, 0, 0, 0", "rallentamento, 8000, 60, 500, 0, 0, 0",
                       "segnale, 5200, 2, 3, 4, 1, 0, 2, 2, 1, 1, 0", "segnale, 8600, 2, 3, 4, 1, 0, 2, 2, 1, 1, 0"}),
         {82, 89, 95, 104, 143, 150, 156, 169, 172}},
        {"50 m da 4425 m", 10000,
         prova::righe({"rallentamento, 4425, 60, 50, 0, 0, 0", "rallentamento, 8000, 60, 500, 0, 0, 0",
                       "segnale, 8600, 2, 3, 4, 1, 0, 2, 2, 1, 1, 0"}),
         {72, 79, 85, 143, 150, 156, 169, 172}},
        {"fermata sulla fine", 30000,
         prova::righe({"rallentamento, 10000, 60, 500, 0, 0, 0",
                       "stazione, 10500, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, Lago",
                       "segnale, 12000, 2, 3, 4, 1, 0, 2, 2, 1, 1, 0"}),
         {183, 190, 196, 209}},
    };
    for (const auto& c : casi) {
        scenario s = prova::leggi_sorgenti(prova::linea_minima("", c.lunghezza), prova::treno_minimo(c.treno));
        ASSERT_EQ(s.codice_errore, 0) << c.nome;
        controlla_percorso(s);
        celle punti;
        for (std::size_t i = 0; i < s.celle.size(); ++i)
            if (s.celle[i].tipo == cella_abbattimento) punti.push_back(i);
        EXPECT_EQ(punti, c.attesi) << c.nome;
        EXPECT_EQ(s.codice_errore, 0) << c.nome;
    }
}

TEST(SlotRiservati, MarcheECodiciOErroreFatale) {
    percorso_prova p;
    p.s.tabella[voce_percorso].nome = "Valmarena";
    p.s.tabella[voce_treno].nome = "RX 914";
    EXPECT_EQ(occupa_riservati(p.s), errore_fatale::nessuno);
    EXPECT_EQ(p.s.celle[1].valore1, 5121);
    EXPECT_EQ(p.s.celle[1].valore2, 2515);
    EXPECT_EQ(p.s.tabella[voce_percorso].intero1, 610);
    EXPECT_EQ(p.s.tabella[voce_percorso].orario, 35052);

    percorso_prova a;
    a.s.celle[1].valore1 = 7;
    EXPECT_EQ(occupa_riservati(a.s), errore_fatale::slot_1250);
    percorso_prova b;
    b.s.tabella[voce_percorso].orario = 3;
    EXPECT_EQ(occupa_riservati(b.s), errore_fatale::slot_1251);
    EXPECT_EQ(b.s.tabella[voce_percorso].intero1, 610);
}

TEST(SlotRiservati, Fatale1250NonScriveNulla) {
    prova::cartella_temporanea c;
    // A board at 0 m lands in cell 1 and leaves a value in its reserved slot.
    prova::scrivi(c / "l.txt", prova::linea_minima("indicatori_vmax,  0,  90,  95,  100,  0,  ,  ,  ,  0\r\n"));
    prova::scrivi(c / "t.txt", prova::treno_minimo(""));
    const auto vecchio = in_cartella(c.cammino(), "Valmarena_RX 914.sim");
    prova::scrivi(vecchio, "run precedente");
    scenario s;
    s.nome_percorso = "Valmarena";
    s.nome_treno = "RX 914";
    esito_compilazione e = memorizza_percorso(s, tracciato_si_no::con, {c / "l.txt", c / "t.txt", true}, c.cammino());
    EXPECT_EQ(codice_fatale(e.fatale), "1250");
    EXPECT_TRUE(e.file_scritti.empty());
    EXPECT_EQ(prova::leggi(vecchio), "run precedente");
    // Only the older file is left: the track plan started while the train file was read is gone too.
    std::vector<std::filesystem::path> rimasti{std::filesystem::directory_iterator(c.cammino()), {}};
    ASSERT_EQ(rimasti.size(), 1u);
    EXPECT_EQ(rimasti[0], vecchio);
}

TEST(SlotRiservati, SenzaTracciatoNienteFileDelTracciato) {
    prova::cartella_temporanea c;
    prova::scrivi(c / "l.txt", prova::linea_minima(""));
    prova::scrivi(c / "t.txt", prova::treno_minimo(""));
    scenario s;
    s.nome_percorso = "Valmarena";
    s.nome_treno = "RX 914";
    esito_compilazione e = memorizza_percorso(s, tracciato_si_no::senza, {c / "l.txt", c / "t.txt", true}, c.cammino());
    EXPECT_EQ(e.file_scritti.size(), 2u);
    EXPECT_FALSE(std::filesystem::exists(in_cartella(c.cammino(), "Valmarena_linea.dat")));
    EXPECT_TRUE(std::filesystem::exists(in_cartella(c.cammino(), "Valmarena_RX 914.sim")));
}

TEST(CodiciDiGara, Esempi) {
    struct {
        const char* treno;
        const char* percorso;
        std::int16_t og;
        std::int32_t st;
    } casi[] = {
        {"abcdefghij", "klmnopqrstuvwxy", 2725, 36725},
        {"ABCDEFGHIJ", "KLMNOPQRSTUVWXY", 2725, 36725},
        {"abcdefghij", "klmnopqrstuvwxyQUALSIASI", 2725, 36725},
        {"RX 914", "Valmarena", 2515, 35052},
        {"", "", 2813, 36136},
    };
    for (const auto& c : casi) {
        scenario s;
        s.tabella[voce_treno].nome = c.treno;
        s.tabella[voce_percorso].nome = c.percorso;
        EXPECT_EQ(codice_gara_og(s), c.og) << c.treno << c.percorso;
        EXPECT_EQ(codice_gara_st(s), c.st) << c.treno << c.percorso;
    }
}

}  // namespace
}  // namespace valmarena
