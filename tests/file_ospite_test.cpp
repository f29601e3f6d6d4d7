// Creating the temporary file of an output: only under a name nothing holds yet, on every host
// (under wine as well), and under names that do not repeat; the leftovers of a killed run
// cleared, and nothing else; one run at a time in a folder.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "platform/cartella_esclusiva.h"
#include "platform/file_ospite.h"
#include "supporto.h"

namespace valmarena {
namespace {

namespace fs = std::filesystem;

TEST(FileNuovo, SoloSeIlNomeELibero) {
    prova::cartella_temporanea c;
    prova::scrivi(c / "preso.txt", "mio");
    fs::create_directory(c / "cartella");
    for (const char* nome : {"preso.txt", "cartella"}) {
        std::string causa;
        bool occupato = false;
        EXPECT_EQ(crea_file_nuovo(c / nome, causa, occupato), nullptr) << nome;
        EXPECT_TRUE(occupato) << nome;
        EXPECT_FALSE(causa.empty()) << nome;
    }
    EXPECT_EQ(prova::leggi(c / "preso.txt"), "mio");
    EXPECT_TRUE(fs::is_directory(c / "cartella"));

    std::string causa;
    bool occupato = true;
    std::FILE* f = crea_file_nuovo(c / "nuovo.bin", causa, occupato);
    ASSERT_NE(f, nullptr) << causa;
    EXPECT_FALSE(occupato);
    EXPECT_EQ(std::fwrite("a\r\nb", 1, 4, f), 4u);  // binary: no line end is changed
    EXPECT_EQ(std::fclose(f), 0);
    EXPECT_EQ(prova::leggi(c / "nuovo.bin"), "a\r\nb");

    // A folder that is not there is a failure of another kind: no name would do.
    EXPECT_EQ(crea_file_nuovo(c / "assente" / "x", causa, occupato), nullptr);
    EXPECT_FALSE(occupato);
}

TEST(FileNuovo, NomiTemporaneiDiversiAccantoAllaDestinazione) {
    const fs::path d = fs::path("cartella") / "Valmarena_RX 914.sim";
    std::set<fs::path> visti;
    for (int i = 0; i < 200; ++i) {
        const fs::path t = dettaglio::nome_temporaneo(d);
        EXPECT_EQ(t.parent_path(), d.parent_path());
        const std::string n = t.filename().string();
        EXPECT_EQ(n.rfind("Valmarena_RX 914.sim.", 0), 0u) << n;
        EXPECT_EQ(n.size(), std::string("Valmarena_RX 914.sim.").size() + 8 + 5) << n;
        EXPECT_EQ(n.substr(n.size() - 5), ".~tmp");
        visti.insert(t);
    }
    EXPECT_EQ(visti.size(), 200u);
}

// The old fixed temporary name held by a user's file and by a folder: the output is written
// whole beside them and they stay as they were.
TEST(FileNuovo, ScritturaAccantoAlVecchioNomeTemporaneo) {
    prova::cartella_temporanea c;
    prova::scrivi(c / "uscita.txt.~tmp", "mio");
    fs::create_directory(c / "altra.txt.~tmp");
    scrivi_file(c / "uscita.txt", "nuovo");
    scrivi_file(c / "altra.txt", "nuova");
    EXPECT_EQ(prova::leggi(c / "uscita.txt"), "nuovo");
    EXPECT_EQ(prova::leggi(c / "altra.txt"), "nuova");
    EXPECT_EQ(prova::leggi(c / "uscita.txt.~tmp"), "mio");
    EXPECT_TRUE(fs::is_directory(c / "altra.txt.~tmp"));
    int voci = 0;
    for ([[maybe_unused]] const auto& x : fs::directory_iterator(c.cammino())) ++voci;
    EXPECT_EQ(voci, 4);
}

TEST(AvanziDiUnaCorsa, SoloITemporaneiDeiSuoiFile) {
    prova::cartella_temporanea c;
    const fs::path mio = c / "Linea_T.sim";
    const std::string suoi[] = {"Linea_T.sim.0123abcd.~tmp", "Linea_T.sim.ffffffff.~tmp"};
    const std::string altrui[] = {
        "Linea_T.sim",                 // the file itself
        "Altro.sim.0123abcd.~tmp",     // another file's
        "Linea_T.sim.ABCDEF01.~tmp",   // capitals: never made so
        "Linea_T.sim.0123abc.~tmp",    // seven digits
        "Linea_T.sim.0123abcde.~tmp",  // nine
        "Linea_T.sim.0123abcg.~tmp",   // not hexadecimal
        "Linea_T.sim.0123abcd.~tmp~",  // something after it
        "xLinea_T.sim.0123abcd.~tmp",  // something before it
    };
    for (const auto& n : suoi) {
        prova::scrivi(c / n, "lasciato");
        EXPECT_TRUE(dettaglio::temporaneo_di(c / n, mio)) << n;
    }
    for (const auto& n : altrui) {
        prova::scrivi(c / n, "dell'utente");
        EXPECT_FALSE(dettaglio::temporaneo_di(c / n, mio)) << n;
    }
    fs::create_directory(c / "Linea_T.sim.00000000.~tmp");  // a folder of that name is someone's
    rimuovi_temporanei_rimasti({mio, c / "Altro.dat"});
    for (const auto& n : suoi) EXPECT_FALSE(fs::exists(c / n)) << n;
    for (const auto& n : altrui) EXPECT_EQ(prova::leggi(c / n), "dell'utente") << n;
    EXPECT_TRUE(fs::is_directory(c / "Linea_T.sim.00000000.~tmp"));
    EXPECT_TRUE(dettaglio::temporaneo_di(dettaglio::nome_temporaneo(mio), mio));
}

TEST(CartellaEsclusiva, UnaCorsaAllaVoltaFinoAlRilascio) {
    // Two holders in one process stand for two runs: on every host the second one, from another
    // thread, finds the folder taken until the first lets it go.
    prova::cartella_temporanea c;
    auto primo = std::make_unique<cartella_esclusiva>();
    std::string causa;
    ASSERT_EQ(primo->prendi(c.cammino(), std::chrono::milliseconds(0), causa), cartella_esclusiva::esito::presa) << causa;
    auto prova_da_un_altro = [&](std::chrono::milliseconds attesa) {
        cartella_esclusiva::esito e{};
        std::thread t([&] {
            cartella_esclusiva secondo;
            std::string perche;
            e = secondo.prendi(c.cammino(), attesa, perche);
        });
        t.join();
        return e;
    };
    const auto inizio = std::chrono::steady_clock::now();
    EXPECT_EQ(prova_da_un_altro(std::chrono::milliseconds(200)), cartella_esclusiva::esito::occupata);
    EXPECT_GE(std::chrono::steady_clock::now() - inizio, std::chrono::milliseconds(150));
    primo.reset();
    EXPECT_EQ(prova_da_un_altro(std::chrono::milliseconds(0)), cartella_esclusiva::esito::presa);
    EXPECT_TRUE(fs::is_empty(c.cammino()));  // the lock leaves nothing in the folder
#ifndef _WIN32
    cartella_esclusiva assente;  // on Windows a mutex's name needs no folder
    EXPECT_EQ(assente.prendi(c / "manca", std::chrono::milliseconds(0), causa), cartella_esclusiva::esito::impossibile);
#endif
}

}  // namespace
}  // namespace valmarena
