// The kilometre post from the three references as the compile keeps them: the package's line
// gives the posts its train card prints, before, at and after each change of reckoning.

#include <gtest/gtest.h>

#include "compiler/chilometri.h"
#include "compiler/linea_elementi.h"
#include "contenuto.h"
#include "supporto.h"

namespace valmarena {
namespace {

using terna = std::array<std::int32_t, 3>;

// The references as the line file's rows uno, due, tre give them, through the compile's sort.
chilometri da_righe(terna uno, terna due, terna tre) {
    scenario s;
    auto metti = [&](int e, const terna& t) {
        voce& v = s.tabella[static_cast<std::size_t>(e)];
        v.inizio = t[0];
        v.fine = t[1];
        v.progressiva = t[2];
    };
    metti(voce_progressiva_uno, uno);
    metti(voce_progressiva_due, due);
    metti(voce_progressiva_tre, tre);
    progressive_ordina(s);
    return chilometri(s.tabella);
}

TEST(Chilometri, LaLineaDelPacchettoDaLePostiDellaScheda) {
    const scenario s = prova::leggi_sorgenti(std::string(contenuto::linea()), std::string(contenuto::treno()));
    ASSERT_EQ(s.codice_errore, 0);
    const chilometri km(s.tabella);
    struct caso {
        std::int64_t metri, posto, prima;
    } casi[] = {
        {0, 0, 0},                     // Velmora
        {79000, 79000, 79000},         // before the first reference the post is the position
        {287150, 287150, 287150},
        {287550, 0, 287550},           // Bivio Malgasca: 287.550/ then (0.000), position + K
        {300400, 12850, 12850},        // Passo Valmarena
        {319000, 415100, 31450},       // Bivio Ronchiano: 31.450/ then (415.100), K with F = 1
        {319450, 415550, 415550},      // K + the metres past P
        {335800, 431900, 431900},      // Aurenzo
    };
    for (const auto& c : casi) {
        EXPECT_EQ(km.progressiva(c.metri), c.posto) << c.metri;
        EXPECT_EQ(km.progressiva_prima(c.metri), c.prima) << c.metri;
    }
    ASSERT_EQ(km.riferimenti().size(), 2u);
    EXPECT_EQ(km.riferimenti()[1].k, 415100);  // the line file's K, not the compile's K + 100
}

TEST(Chilometri, ComeSiCombinanoIRiferimenti) {
    struct caso {
        const char* nome;
        terna uno, due, tre;
        std::vector<std::pair<std::int64_t, std::int64_t>> posti;  // metres, post
    } casi[] = {
        {"none in use", {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {{0, 0}, {5000, 5000}}},
        // The `new` scenario: from 0 position + 12000, from 6000 position + 30000.
        {"two with F = 0", {0, 12000, 0}, {6000, 30000, 0}, {0, 0, 0}, {{0, 12000}, {5999, 17999}, {6000, 36000}, {7000, 37000}}},
        {"F = 1 counts from K", {1000, 50000, 1}, {0, 0, 0}, {0, 0, 0}, {{999, 999}, {1000, 50000}, {1500, 50500}}},
        {"three, out of file order", {9000, 100, 0}, {3000, 0, 1}, {6000, -6000, 0},
         {{2999, 2999}, {3000, 0}, {4000, 1000}, {6000, 0}, {8999, 2999}, {9000, 9100}}},
        // The compile clears all three when two share the largest position.
        {"two at the largest position", {5000, 1000, 0}, {5000, 2000, 0}, {1000, 7, 0}, {{6000, 6000}}},
        // All at 0: the one with a positive K holds from the start.
        {"all at 0", {0, 0, 0}, {0, 4000, 1}, {0, 0, 0}, {{0, 4000}, {10, 4010}}},
    };
    for (const auto& c : casi) {
        const chilometri km = da_righe(c.uno, c.due, c.tre);
        for (const auto& [metri, posto] : c.posti) EXPECT_EQ(km.progressiva(metri), posto) << c.nome << " at " << metri;
    }
    EXPECT_EQ(chilometri().progressiva(123), 123);
    EXPECT_EQ(chilometri(std::span<const voce>()).progressiva(123), 123);
}

TEST(Chilometri, FormeScritte) {
    const std::pair<std::int64_t, const char*> cippi[] = {{36000, "km 36+000"}, {0, "km 0+000"}, {12050, "km 12+050"},
                                                           {-1250, "km -1+250"}, {-50, "km -0+050"}};
    for (const auto& [m, t] : cippi) EXPECT_EQ(km_cippo(m), t);
    const std::pair<std::int64_t, const char*> decimali[] = {{36000, "36.000"}, {415100, "415.100"}, {0, "0.000"},
                                                              {-1250, "-1.250"}, {-50, "-0.050"}};
    for (const auto& [m, t] : decimali) EXPECT_EQ(km_decimale(m), t);
}

}  // namespace
}  // namespace valmarena
