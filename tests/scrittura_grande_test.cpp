// Long outputs: pieces written straight to the file or through the writer's block keep their
// order, the track plan and the cells written a piece at a time are the same bytes as laid out
// whole, the whole plan of the longest route is drawn, and the track plan stops at the cursor
// limit where it always did.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "compiler/binari.h"
#include "compiler/compilatore.h"
#include "compiler/linea_elementi.h"
#include "compiler/tracciato.h"
#include "platform/file_ospite.h"
#include "records/guasti.h"
#include "records/scenario.h"
#include "supporto.h"

namespace valmarena {
namespace {

// The encoding of a track plan worked out byte by byte, independently of the writers.
std::string tracciato_atteso(const struct tracciato& t) {
    std::string out;
    auto le = [&out](std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    for (std::size_t i = 0; i < t.etichette.size(); ++i) {
        le(static_cast<std::uint64_t>(t.etichette[i]), 2);
        if (t.etichette[i] == etichetta::intero) le(static_cast<std::uint16_t>(static_cast<std::int16_t>(t.valori[i])), 2);
        if (t.etichette[i] == etichetta::reale) {
            std::uint64_t bit = 0;
            std::memcpy(&bit, &t.valori[i], sizeof bit);
            le(bit, 8);
        }
    }
    return out;
}

TEST(ScritturaAPezzi, PezziPiccoliEGrandiRestanoInOrdine) {
    // Around the 64 KiB block: pieces that fill it, overflow it, pass by it when it is empty,
    // and small ones left in it before and after a large one.
    const std::size_t pezzi[] = {1, 65535, 1, 65536, 3, 200000, 0, 70000, 65536, 65537, 5, 131072, 7};
    prova::cartella_temporanea c;
    auto f = c / "pezzi.dat";
    std::string atteso;
    {
        file_uscita u(f);
        std::size_t k = 0;
        for (std::size_t n : pezzi) {
            std::string pezzo;
            for (std::size_t i = 0; i < n; ++i, ++k) pezzo += static_cast<char>((k * 131 + k / 256) & 0xFF);
            u.scrivi(pezzo);
            atteso += pezzo;
        }
        u.conferma();
    }
    std::string letto = prova::leggi(f);
    ASSERT_EQ(letto.size(), atteso.size());
    EXPECT_TRUE(letto == atteso);
}

TEST(ScritturaAPezzi, PezziNelleDueMetaDelFile) {
    // A file laid out in two halves, written a piece of each in turn: small pieces wait in the
    // block until the writer moves, large ones go straight; a gap left behind reads as zeros.
    prova::cartella_temporanea c;
    auto f = c / "meta.dat";
    const std::size_t meta = 300000;
    std::string atteso(2 * meta + 10, '\0');
    {
        file_uscita u(f);
        std::size_t in_a = 0, in_b = meta;
        for (std::size_t n : {std::size_t{5}, std::size_t{100000}, std::size_t{70000}, std::size_t{3}}) {
            const std::string a(n, static_cast<char>('a' + n % 7)), b(n, static_cast<char>('A' + n % 7));
            u.posiziona(in_a);
            u.scrivi(a);
            u.posiziona(in_b);
            u.scrivi(b);
            atteso.replace(in_a, n, a);
            atteso.replace(in_b, n, b);
            in_a += n;
            in_b += n;
        }
        u.posiziona(2 * meta + 5);
        u.scrivi("fine!");
        atteso.replace(2 * meta + 5, 5, "fine!");
        u.conferma();
    }
    std::string letto = prova::leggi(f);
    ASSERT_EQ(letto.size(), atteso.size());
    EXPECT_TRUE(letto == atteso);
}

TEST(ScritturaAPezzi, TracciatoLungoUgualeAllaCodificaIntera) {
    // Many pieces of 8192 elements, with runs of each tag across the piece boundaries.
    struct tracciato t;
    t.punti = 3 * 8192 + 17;
    t.etichette.assign(2 * t.punti, etichetta::vuoto);
    t.valori.assign(2 * t.punti, 0.0);
    for (std::size_t i = 0; i < t.etichette.size(); ++i) {
        std::size_t tratto = (i + 4000) / 6000 % 3;
        if (tratto == 1) {
            t.etichette[i] = etichetta::intero;
            t.valori[i] = static_cast<double>(static_cast<int>(i % 2001) - 1000);
        } else if (tratto == 2) {
            t.etichette[i] = etichetta::reale;
            t.valori[i] = std::sin(static_cast<double>(i)) * 1e5;
        }
    }
    t.valori[8191] = -0.0;
    t.etichette[8191] = etichetta::reale;
    t.valori[8192] = std::numeric_limits<double>::denorm_min();
    t.etichette[8192] = etichetta::reale;

    const std::string atteso = tracciato_atteso(t);
    EXPECT_TRUE(dettaglio::byte_tracciato(t) == atteso);
    prova::cartella_temporanea c;
    scrivi_tracciato(c / "linea.dat", t);
    std::string letto = prova::leggi(c / "linea.dat");
    ASSERT_EQ(letto.size(), atteso.size());
    EXPECT_TRUE(letto == atteso);
}

TEST(ScritturaAPezzi, PianoDisegnatoAPezziUgualeAlTracciatoIntero) {
    // Stretches of both hands and straights ending on, just before and just after the pieces the
    // writer draws at a time, an empty tail longer than a piece; a plan never opened is all empty values.
    constexpr std::int64_t P = metri_per_pezzo;
    piano_tracciato aperto;
    aperto.punti = 4 * P + 5;
    apri_tracciato(aperto);
    const tratto tratti[] = {{P - 2, 0.0},     {P - 1, 0.002},        {P, 0.0},     {P + 808, -0.0005},
                             {2 * P - 1, 0.0}, {2 * P + 1, 0.01}, {2 * P + 3616, -0.003}, {3 * P - 1, 0.0}};
    for (const tratto& t : tratti) aperto.tratti.push_back(t);
    piano_tracciato chiuso;
    chiuso.punti = P + 1;
    piano_tracciato corto;
    corto.punti = 7;
    apri_tracciato(corto);
    corto.tratti.push_back({4, 0.001});
    for (const piano_tracciato* p : {&aperto, &chiuso, &corto}) {
        const std::string atteso = tracciato_atteso(disegna_tracciato(*p));
        EXPECT_EQ(2 * penna_tracciato::byte_per_asse(*p), atteso.size()) << p->punti;
        prova::cartella_temporanea c;
        scrivi_tracciato(c / "linea.dat", *p);
        std::string letto = prova::leggi(c / "linea.dat");
        ASSERT_EQ(letto.size(), atteso.size()) << p->punti;
        EXPECT_TRUE(letto == atteso) << p->punti;
    }
    // Not writable: no file and no temporary file are left.
    prova::cartella_temporanea c;
    std::filesystem::create_directory(c / "cartella.dat");
    EXPECT_THROW(scrivi_tracciato(c / "cartella.dat", aperto), errore_file);
    std::vector<std::filesystem::path> rimasti{std::filesystem::directory_iterator(c.cammino()), {}};
    ASSERT_EQ(rimasti.size(), 1u);
    EXPECT_EQ(rimasti[0].filename(), "cartella.dat");

    // The plan's own points, by hand: the origin's whole numbers, then a real one step on.
    const struct tracciato t = disegna_tracciato(aperto);
    EXPECT_EQ(etichetta_punto(t, 1, 1), etichetta::intero);
    EXPECT_EQ(valore_punto(t, 2, 1), 2.0);
    EXPECT_EQ(etichetta_punto(t, 3 * P - 1, 0), etichetta::reale);
    EXPECT_EQ(etichetta_punto(t, 3 * P, 0), etichetta::vuoto);
}

TEST(ScritturaAPezzi, FileDellaCompilazioneComeLiLasciaLaLettura) {
    // Whatever the reading leaves (finished, or stopped by an error after some curves, or with the
    // curves after other rows), the compile writes the plan, the table and the cells the records
    // hold, and no temporary file is left.
    const std::string curve = "curvad3,  1000,  30000\r\ncurvas2,  40000,  500\r\ncurvas2,  40500,  500\r\n";
    const struct {
        const char* nome;
        std::string linea;
        std::int32_t codice;
    } casi[] = {
        {"letta tutta", prova::linea_minima(curve + "pendenza,  2000,  5\r\n", 90000), 0},
        {"fermata da una curva oltre la fine", prova::linea_minima(curve + "curvad1,  95000,  2000\r\n", 90000), 106},
        {"fermata da una curva senza classe", prova::linea_minima(curve + "curvad,  60000,  100\r\n", 90000), 103},
        {"curve dopo le pendenze", prova::linea_minima("pendenza,  2000,  5\r\n" + curve, 90000), 0},
    };
    for (const auto& c : casi) {
        prova::cartella_temporanea a;
        prova::scrivi(a / "l.txt", c.linea);
        prova::scrivi(a / "t.txt", prova::treno_minimo(""));
        scenario s;
        s.nome_percorso = "Valmarena";
        s.nome_treno = "RX 914";
        memorizza_percorso(s, tracciato_si_no::con, {a / "l.txt", a / "t.txt", false}, a.cammino());
        EXPECT_EQ(s.codice_errore, c.codice) << c.nome;
        std::vector<std::string> nomi;
        for (const auto& e : std::filesystem::directory_iterator(a.cammino())) nomi.push_back(e.path().filename().string());
        std::sort(nomi.begin(), nomi.end());
        EXPECT_EQ(nomi, (std::vector<std::string>{"Valmarena_RX 914.dat", "Valmarena_RX 914.sim", "Valmarena_linea.dat",
                                                   "l.txt", "t.txt"}))
            << c.nome;
        EXPECT_TRUE(prova::leggi(a / "Valmarena_linea.dat") == tracciato_atteso(disegna_tracciato(s.tracciato))) << c.nome;
        EXPECT_TRUE(prova::leggi(a / "Valmarena_RX 914.sim") == dettaglio::byte_tabella(s)) << c.nome;
        EXPECT_TRUE(prova::leggi(a / "Valmarena_RX 914.dat") == dettaglio::byte_celle(s)) << c.nome;
    }
}

TEST(ScritturaAPezzi, CelleDelPercorsoMassimoUgualiAllaCodificaIntera) {
    scenario s = prova::scenario_con_celle(1000000);
    ASSERT_GT(s.celle.size(), 4 * 4480u);
    for (std::size_t i = 0; i < s.celle.size(); ++i) {
        cella& c = s.celle[i];
        c.tipo = static_cast<std::uint8_t>(i % 15);
        c.valore1 = static_cast<std::int16_t>(i);
        c.valore4 = static_cast<std::int16_t>(-static_cast<int>(i % 30000));
        c.aderenza = static_cast<std::uint8_t>(i / 7);
    }
    prova::cartella_temporanea c;
    scrivi_celle(c / "celle.dat", s);
    std::string letto = prova::leggi(c / "celle.dat");
    EXPECT_TRUE(letto == dettaglio::byte_celle(s));
    ASSERT_EQ(letto.size(), s.celle.size() * byte_per_cella);
    // The cell after four whole pieces, by hand: tipo, valore1 = 17920, valore4 = -17920, aderenza.
    const std::size_t i = 4 * 4480;
    const std::string cella_17920 = letto.substr(i * byte_per_cella, byte_per_cella);
    EXPECT_EQ(static_cast<unsigned char>(cella_17920[0]), i % 15);
    EXPECT_EQ(static_cast<unsigned char>(cella_17920[1]), 0x00);
    EXPECT_EQ(static_cast<unsigned char>(cella_17920[2]), 0x46);
    EXPECT_EQ(static_cast<unsigned char>(cella_17920[7]), 0x00);
    EXPECT_EQ(static_cast<unsigned char>(cella_17920[8]), 0xBA);
    EXPECT_EQ(static_cast<unsigned char>(cella_17920[14]), (i / 7) & 0xFF);
}

TEST(Tracciato, InteroDelPercorsoMassimo) {
    scenario s;
    s.genera_tracciato = tracciato_si_no::con;
    alloca_percorso(s, 1000000);
    const std::size_t punti = 1007001;
    ASSERT_EQ(s.tracciato.punti, punti);
    EXPECT_FALSE(s.tracciato.origine);
    EXPECT_TRUE(s.tracciato.tratti.empty());
    struct tracciato t = disegna_tracciato(s.tracciato);
    ASSERT_EQ(t.etichette.size(), 2 * punti);
    for (std::size_t i : {std::size_t{0}, punti - 1, punti, 2 * punti - 1, std::size_t{777777}}) {
        EXPECT_EQ(t.etichette[i], etichetta::vuoto) << i;
        EXPECT_EQ(t.valori[i], 0.0) << i;
    }
    imposta_punto(t, 1007000, 1, etichetta::reale, 12.5);
    struct tracciato spostato = std::move(t);
    EXPECT_EQ(valore_punto(spostato, 1007000, 1), 12.5);
    EXPECT_EQ(etichetta_punto(spostato, 1007000, 1), etichetta::reale);
    alloca_percorso(s, 1000);
    EXPECT_EQ(s.tracciato.punti, 8001u);
    EXPECT_EQ(valore_punto(disegna_tracciato(s.tracciato), 8000, 1), 0.0);
}

TEST(Tracciato, LimiteDelCursore) {
    // Straight from (0,0),(0,1): every point drawn continues the line, y = metre.
    struct caso {
        std::int64_t cursore, fino_a, limite;
        bool atteso;
        std::int64_t cursore_dopo;  // one past the last point drawn
    };
    const caso casi[] = {
        {2, 10, 100, true, 11},   // before the limit
        {2, 10, 10, false, 11},   // reaching the limit stops after drawing it
        {2, 50, 10, false, 11},   // beyond it: drawn up to the limit
        {12, 50, 10, false, 13},  // starting past it: one point, then stop
        {20, 10, 5, true, 20},    // nothing to draw
    };
    for (const caso& k : casi) {
        // The line drawn straight from the origin up to the cursor: y = metre.
        piano_tracciato p;
        p.punti = 60;
        apri_tracciato(p);
        if (k.cursore > 2) p.tratti.push_back({k.cursore - 1, 0.0});
        std::int64_t cursore = k.cursore;
        EXPECT_EQ(estendi_tracciato(p, cursore, k.fino_a, 0.0, k.limite), k.atteso) << k.cursore << " " << k.fino_a;
        EXPECT_EQ(cursore, k.cursore_dopo) << k.cursore << " " << k.fino_a;
        const struct tracciato t = disegna_tracciato(p);
        for (std::int64_t m = k.cursore; m < 60; ++m) {
            bool disegnato = m < k.cursore_dopo;
            EXPECT_EQ(etichetta_punto(t, m, 0), disegnato ? etichetta::reale : etichetta::vuoto) << m;
            EXPECT_EQ(valore_punto(t, m, 1), disegnato ? static_cast<double>(m) : 0.0) << m;
        }
    }
}

}  // namespace
}  // namespace valmarena
