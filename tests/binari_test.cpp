// The compiled files byte for byte: table entries, cell file sizes, the tagged track plan,
// and the replace step that never loses the previous file.

#include <gtest/gtest.h>

#include "compiler/compilatore.h"
#include "compiler/binari.h"
#include "records/scenario.h"
#include "platform/file_ospite.h"
#include "supporto.h"

namespace valmarena {
namespace {

std::string esadecimale(const std::string& b) {
    static const char* cifre = "0123456789abcdef";
    std::string out;
    for (unsigned char c : b) {
        if (!out.empty()) out += ' ';
        out += cifre[c >> 4];
        out += cifre[c & 15];
    }
    return out;
}

TEST(Tabella, VociRiservateComeSulDisco) {
    voce treno;
    treno.inizio = 34300;
    treno.fine = 333750;
    treno.progressiva = 9;
    treno.nome = "RX 914";
    treno.intero1 = 100;
    treno.intero3 = 10;
    treno.intero4 = 9;
    treno.intero5 = 30;
    EXPECT_EQ(esadecimale(dettaglio::byte_voce(treno)),
              "00 fc 85 00 00 b6 17 05 00 09 00 00 00 00 06 00 52 58 20 39 31 34 64 00 00 00 0a 00 09 00 1e 00 "
              "00 00 00 00 00 00 00 00");

    voce misure;
    misure.inizio = 105;
    misure.fine = 338050;
    misure.progressiva = 15;
    std::string attesi = "00 69 00 00 00 82 28 05 00 0f 00 00 00 00 00 00";
    for (int k = 0; k < 18; ++k) attesi += " 00";
    EXPECT_EQ(esadecimale(dettaglio::byte_voce(misure)), attesi);
}

TEST(Tabella, NomeVuotoHaSoloLaLunghezza) {
    scenario s;
    std::string b = dettaglio::byte_tabella(s);
    EXPECT_EQ(b.size(), 87u * 34u);
    EXPECT_EQ(b.substr(14, 2), std::string("\0\0", 2));
}

TEST(Celle, DimensioneConMetaAlPari) {
    struct caso {
        std::int32_t lunghezza;
        std::size_t byte;
    } casi[] = {{25, 2115}, {75, 2145}, {338050, 103530}};
    for (const auto& c : casi) {
        scenario s = prova::scenario_con_celle(c.lunghezza);
        EXPECT_EQ(dettaglio::byte_celle(s).size(), c.byte) << c.lunghezza;
    }
}

TEST(Celle, CampiInOrdineLittleEndian) {
    scenario s = prova::scenario_con_celle(1000);
    cella& c = s.celle[1];
    c.tipo = 1;
    c.valore1 = 5121;
    c.valore2 = -2;
    c.valore3 = 0x0102;
    c.valore4 = 0x0304;
    c.tempo = 5;
    c.preavviso = 6;
    c.montagna = 7;
    c.velocita = 8;
    c.pendenza = 9;
    c.aderenza = 10;
    EXPECT_EQ(esadecimale(dettaglio::byte_celle(s).substr(15, 15)), "01 01 14 fe ff 02 01 04 03 05 06 07 08 09 0a");
}

TEST(Tracciato, ValoriEtichettati) {
    struct tracciato t;
    t.punti = 3;
    t.etichette.assign(6, etichetta::vuoto);
    t.valori.assign(6, 0.0);
    imposta_punto(t, 0, 0, etichetta::intero, 0);
    imposta_punto(t, 1, 1, etichetta::intero, 1);
    imposta_punto(t, 2, 0, etichetta::reale, 1.5);
    EXPECT_EQ(esadecimale(dettaglio::byte_tracciato(t)),
              "02 00 00 00 00 00 05 00 00 00 00 00 00 00 f8 3f 00 00 02 00 01 00 00 00");
}

TEST(Sostituzione, FileLungoPrecedenteRidottoAllaNuovaLunghezza) {
    prova::cartella_temporanea c;
    auto f = c / "x.dat";
    prova::scrivi(f, std::string(5000, 'a'));
    scrivi_file(f, "nuovo");
    EXPECT_EQ(prova::leggi(f), "nuovo");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(c.cammino()), {}), 1);
}

TEST(Sostituzione, ScritturaFallitaLasciaIlFileVecchio) {
    prova::cartella_temporanea c;
    auto f = c / "x.dat";
    prova::scrivi(f, "vecchio");
    {
        file_uscita u(f);
        u.scrivi("parziale");
        // abandoned without confirmation, as when the writer fails midway
    }
    EXPECT_EQ(prova::leggi(f), "vecchio");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(c.cammino()), {}), 1);
}

}  // namespace
}  // namespace valmarena
