// docs/formats.md is what `scenario explain` prints, byte for byte: a row, field or code table
// changed in the row description without the reference, or the other way round, fails here.
// Every row kind of the description is in it, and `explain KEYWORD` finds the row a keyword is read as.

#include <gtest/gtest.h>

#include <filesystem>

#include "compiler/formato.h"
#include "strumento_supporto.h"

namespace valmarena {
namespace {

TEST(Formati, IlRiferimentoComeExplain) {
    const auto doc = std::filesystem::path(VALMARENA_SORGENTI) / "docs" / "formats.md";
    if (!std::filesystem::exists(doc)) GTEST_SKIP() << "docs/formats.md not found beside the tests";
    auto r = prova::esegui_strumento({"explain"});
    EXPECT_EQ(r.stato, 0);
    EXPECT_EQ(prova::leggi(doc), r.out) << "run: build/scenario explain > docs/formats.md";
    for (const auto& d : descrizione_righe())
        EXPECT_NE(r.out.find(std::string("### `") + d.canonica + "`"), std::string::npos) << d.canonica;
}

// The reference's small scenario is clean as it stands.
TEST(Formati, LEsempioSenzaAvvertimenti) {
    prova::cartella_temporanea d;
    prova::scrivi(d / "l.txt", strumento::sorgente_di_esempio(true));
    prova::scrivi(d / "t.txt", strumento::sorgente_di_esempio(false));
    auto r = prova::esegui_strumento(
        {"check", "--strict", "--line", (d / "l.txt").string(), "--train", (d / "t.txt").string()});
    EXPECT_EQ(r.stato, 0);
    EXPECT_EQ(r.out, "0 errors, 0 warnings\n");
}

TEST(Formati, ExplainDiUnaParola) {
    auto r = prova::esegui_strumento({"explain", "curvaz4"});
    EXPECT_EQ(r.stato, 0);
    EXPECT_EQ(r.out.rfind("Line file row:\n\n### `curva`\n", 0), 0u) << r.out;
    auto f = prova::esegui_strumento({"explain", "frenata"});
    EXPECT_EQ(f.stato, 3);
    EXPECT_EQ(f.err, "scenario explain: no row is read from 'frenata'; 'scenario explain' lists every row\n");
    EXPECT_NE(prova::esegui_strumento({"explain", "massa frenata"}).out.find("### `percentuale massa frenata`"),
              std::string::npos);
}

}  // namespace
}  // namespace valmarena
