// Creating the temporary file of an output: only under a name nothing holds yet, on every host
// (under wine as well), and under names that do not repeat.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

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

}  // namespace
}  // namespace valmarena
