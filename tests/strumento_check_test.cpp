// `scenario check` and `compile --dry-run`: every fault of a file in one run, each at its place,
// nothing written, and the exit statuses the tool promises for every command.

#include <gtest/gtest.h>

#include <filesystem>

#include "strumento_supporto.h"

namespace valmarena {
namespace {

using prova::esegui_strumento;
using prova::leggi_json;

// A train file with three faults: two signals on cells already taken (line 4: on the stopping
// point of the station of line 3; line 7: on the signal of line 6) and a misspelled keyword
// (line 5), whose row is passed over.
const std::string treno_con_errori = prova::righe({
    "[generale]",
    "velocita,  0, 100",
    "stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Alfa",
    "segnale,  1100, 2, 3,4,1, 0, 2, 2,1,1, 0",
    "segnalle,  3000, 2, 3,4,1, 0, 2, 2,1,1, 0",
    "segnale,  5000, 2, 3,4,1, 0, 2, 2,1,1, 0",
    "  segnale,  5000, 2, 3,4,1, 0, 2, 2,1,1, 0",
    "[fine]",
});

struct sorgenti_di_prova {
    prova::cartella_temporanea dir;
    std::filesystem::path linea = dir / "linea.txt";
    std::filesystem::path treno = dir / "treno.txt";
    sorgenti_di_prova(const std::string& testo_linea, const std::string& testo_treno) {
        prova::scrivi(linea, testo_linea);
        prova::scrivi(treno, testo_treno);
    }
    std::vector<std::string> args(const std::string& comando, std::vector<std::string> altri = {}) const {
        std::vector<std::string> a{comando, "--line", linea.string(), "--train", treno.string()};
        // The files' names give no route or train name: compile is told them.
        if (comando == "compile") a.insert(a.end(), {"--route", "Valmarena", "--train-name", "RX 914"});
        a.insert(a.end(), altri.begin(), altri.end());
        return a;
    }
};

// The rows that make a slowdown lose its end mark are warned, the stopping point naming the
// slowdown's row; the route checks still walk to the slowdown's own end, so no error follows.
TEST(Check, RallentamentoChePerdeLaMarcaDiFine) {
    sorgenti_di_prova f(prova::linea_minima("", 30000),
                        prova::righe({"[generale]", "rallentamento, 4950, 60, 0, 0, 0, 0",
                                      "rallentamento, 10000, 60, 500, 0, 0, 0",
                                      "stazione, 10500, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, Lago", "[fine]"}));
    const std::string t = f.treno.string();
    auto r = esegui_strumento(f.args("check"));
    EXPECT_EQ(r.stato, 0);
    EXPECT_EQ(prova::senza_estratti(r.out),
              t + ":2:1: warning: the slowdown is shorter than one cell: its start and end both fall in "
                  "cell 100, so it has no end mark\n" +
                  t + ":4:1: warning: the station's stopping point in cell 211 is written over the end mark "
                  "of the slowdown of " + t + ":3\n" +
                  t + ":3: note: the slowdown whose end mark is covered\n" +
                  "0 errors, 2 warnings\n");
}

TEST(Check, TuttiGliErroriDiUnFileAlLoroPosto) {
    sorgenti_di_prova f(prova::linea_minima(""), treno_con_errori);
    const std::string t = f.treno.string();
    auto r = esegui_strumento(f.args("check"));
    EXPECT_EQ(r.stato, 1);
    // Each under its source line, the row a collision met as a note with its own line.
    EXPECT_EQ(r.out, t + ":4:1: error 16 at 1100 m (km 1+100): signal on a cell that is already taken (cell 23, at 1100 m, " +
                         "already holds a station's stopping point from " + t + ":3)\n" +
                         "    4 | segnale,  1100, 2, 3,4,1, 0, 2, 2,1,1, 0\n"
                         "      | ^~~~~~~\n" +
                         t + ":3: note: a station's stopping point placed by this row stands in cell 23\n" +
                         "    3 | stazione,  1000, 4, 400, 1,0,0, 1,0,0, 1,1,0, 0, 0,0,0, Alfa\n" +
                         t + ":5:1: warning: 'segnalle' matches no keyword: the row is passed over; did you mean 'segnale'?\n" +
                         "    5 | segnalle,  3000, 2, 3,4,1, 0, 2, 2,1,1, 0\n"
                         "      | ^~~~~~~~\n" +
                         t + ":7:3: error 16 at 5000 m (km 5+000): signal on a cell that is already taken (cell 101, at 5000 m, " +
                         "already holds a signal from " + t + ":6)\n" +
                         "    7 |   segnale,  5000, 2, 3,4,1, 0, 2, 2,1,1, 0\n"
                         "      |   ^~~~~~~\n" +
                         t + ":6: note: a signal placed by this row stands in cell 101\n" +
                         "    6 | segnale,  5000, 2, 3,4,1, 0, 2, 2,1,1, 0\n" +
                         "2 errors, 1 warning\n");
    EXPECT_EQ(r.err, "");

    auto j = esegui_strumento(f.args("check", {"--json"}));
    EXPECT_EQ(j.stato, 1);
    const prova::json v = leggi_json(j.out);
    // One list in the order of the text, each with the other row of its collision.
    const prova::json& dg = v["diagnostics"];
    ASSERT_EQ(dg.size(), 3u);
    EXPECT_EQ(dg[0]["id"].s, "error-16");
    EXPECT_EQ(dg[0]["severity"].s, "error");
    EXPECT_EQ(dg[0]["code"].intero(), 16);
    EXPECT_EQ(dg[0]["position"].intero(), 1100);
    EXPECT_EQ(dg[0]["message"].s, "signal on a cell that is already taken (cell 23, at 1100 m, already holds a station's "
                                 "stopping point from " + t + ":3)");
    ASSERT_EQ(dg[0]["related"].size(), 1u);
    EXPECT_EQ(dg[0]["related"][0]["file"].s, t);
    EXPECT_EQ(dg[0]["related"][0]["line"].intero(), 3);
    EXPECT_EQ(dg[1]["id"].s, "unknown-keyword");
    EXPECT_EQ(dg[1]["severity"].s, "warning");
    EXPECT_EQ(dg[1]["line"].intero(), 5);
    EXPECT_FALSE(dg[1].ha("code"));
    EXPECT_EQ(dg[1]["related"].size(), 0u);
    EXPECT_EQ(dg[2]["line"].intero(), 7);
    EXPECT_EQ(dg[2]["column"].intero(), 3);
    EXPECT_EQ(dg[2]["related"][0]["line"].intero(), 6);

    // compile --json prints the same list.
    auto cj = esegui_strumento(f.args("compile", {"--out", (f.dir / "o2").string(), "--json"}));
    EXPECT_EQ(leggi_json(cj.out)["diagnostics"][0]["message"].s, dg[0]["message"].s);
    EXPECT_EQ(v["status"].intero(), 1);
    EXPECT_EQ(v["codice_errore"].intero(), 16);

    // The synonym gives the same report, --out or not, and nothing is written or deleted.
    auto d = esegui_strumento(f.args("compile", {"--dry-run", "--out", (f.dir / "mai").string()}));
    EXPECT_EQ(d.stato, 1);
    EXPECT_EQ(d.out, r.out);
    EXPECT_FALSE(std::filesystem::exists(f.dir / "mai"));
    EXPECT_TRUE(std::filesystem::exists(f.linea));
    EXPECT_TRUE(std::filesystem::exists(f.treno));

    // compile stops at the first signal error, with the same exit status.
    auto c = esegui_strumento(f.args("compile", {"--out", (f.dir / "out").string()}));
    EXPECT_EQ(c.stato, 1);
    EXPECT_NE(c.err.find(":4:1: error 16"), std::string::npos);
    EXPECT_EQ(c.err.find(":7:3: error 16"), std::string::npos);
}

// The SARIF log of three mistakes: each a result with its rule, level, message, place and, for a
// collision, the row it met; every rule a result names is among the rules, with a description.
TEST(Check, SarifDiTreErrori) {
    sorgenti_di_prova f(prova::linea_minima(""), treno_con_errori);
    auto r = esegui_strumento(f.args("check", {"--format", "sarif"}));
    EXPECT_EQ(r.stato, 1);
    const prova::json v = leggi_json(r.out);
    EXPECT_EQ(v["version"].s, "2.1.0");
    ASSERT_EQ(v["runs"].size(), 1u);
    const prova::json& run = v["runs"][0];
    EXPECT_EQ(run["tool"]["driver"]["name"].s, "scenario");
    const prova::json& regole = run["tool"]["driver"]["rules"];
    auto regola = [&](const std::string& id) -> const prova::json* {
        for (std::size_t i = 0; i < regole.size(); ++i)
            if (regole[i]["id"].s == id) return &regole[i];
        return nullptr;
    };
    const prova::json& ris = run["results"];
    ASSERT_EQ(ris.size(), 3u);
    const char* id[] = {"error-16", "unknown-keyword", "error-16"};
    const char* livello[] = {"error", "warning", "error"};
    const long long riga[] = {4, 5, 7}, correlata[] = {3, 0, 6};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ris[i]["ruleId"].s, id[i]);
        const prova::json* g = regola(id[i]);
        ASSERT_NE(g, nullptr);
        EXPECT_FALSE((*g)["shortDescription"]["text"].s.empty());
        EXPECT_EQ(&regole[static_cast<std::size_t>(ris[i]["ruleIndex"].intero())], g);
        EXPECT_EQ(ris[i]["level"].s, livello[i]);
        EXPECT_FALSE(ris[i]["message"]["text"].s.empty());
        const prova::json& luogo = ris[i]["locations"][0]["physicalLocation"];
        EXPECT_EQ(luogo["artifactLocation"]["uri"].s, f.treno.generic_string());
        EXPECT_EQ(luogo["region"]["startLine"].intero(), riga[i]);
        EXPECT_GT(luogo["region"]["startColumn"].intero(), 0);
        ASSERT_EQ(ris[i]["relatedLocations"].size(), correlata[i] ? 1u : 0u);
        if (correlata[i]) {
            EXPECT_EQ(ris[i]["relatedLocations"][0]["physicalLocation"]["region"]["startLine"].intero(), correlata[i]);
        }
    }
    EXPECT_EQ(esegui_strumento(f.args("check", {"--format", "xml"})).stato, 3);
}

// On clean sources the check agrees with compile, and writes nothing.
TEST(Check, SorgentiPulitiComeCompile) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea dir;
    auto r = esegui_strumento({"check", "--line", v.linea.string(), "--train", v.treno.string(), "--json"});
    EXPECT_EQ(r.stato, 0) << r.out;
    auto c = esegui_strumento({"compile", "--line", v.linea.string(), "--train", v.treno.string(), "--out",
                               dir.cammino().string(), "--json"});
    EXPECT_EQ(c.stato, 0);
    const prova::json a = leggi_json(r.out), b = leggi_json(c.out);
    EXPECT_EQ(a["codice_errore"].intero(), b["codice_errore"].intero());
    // The only diagnostics are check's three timetable notes; compile holds no timetable.
    ASSERT_EQ(a["diagnostics"].size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(a["diagnostics"][i]["severity"].s, "note");
    EXPECT_EQ(b["diagnostics"].size(), 0u);
    EXPECT_TRUE(a["cells_built"].b);
    auto testo = esegui_strumento({"check", "--line", v.linea.string(), "--train", v.treno.string()});
    // Three times are tighter than the running model's: notes, never a fault.
    EXPECT_NE(testo.out.find("0 errors, 0 warnings, 3 notes\n"), std::string::npos) << testo.out;
    EXPECT_TRUE(std::filesystem::exists(v.linea));
}

// Exit statuses of check against compile's: recorded error 1, fatal 2, no cells 1.
TEST(Check, StatiDiUscita) {
    struct caso {
        const char* nome;
        std::string linea, treno;
        int stato;
        const char* atteso;
    } casi[] = {
        {"fatal 1250", prova::linea_minima(""), prova::treno_minimo("abbattimento,  50,  270\r\n"), 2,
         "fatal error 1250"},
        {"outside the route", prova::linea_minima(""), prova::treno_minimo("segnale, 900000, 2,3,4,1,0,2,2,1,1,0\r\n"),
         1, "error 15 at 900000 m (km 900+000)"},
        {"no route length", "[generale]\r\n[fine]\r\n", prova::treno_minimo(""), 1, "no route cells were built"},
    };
    for (const auto& k : casi) {
        SCOPED_TRACE(k.nome);
        sorgenti_di_prova f(k.linea, k.treno);
        auto r = esegui_strumento(f.args("check"));
        EXPECT_EQ(r.stato, k.stato);
        EXPECT_NE(r.out.find(k.atteso), std::string::npos) << r.out;
        auto c = esegui_strumento(f.args("compile", {"--out", (f.dir / "out").string()}));
        EXPECT_EQ(c.stato, k.stato) << c.err;
    }
}

// Bad arguments and unreadable files give status 3 with a message; --help gives 0.
TEST(Comandi, StatiDiUscitaEAiuto) {
    const auto& v = prova::valmarena_compilato();
    prova::cartella_temporanea dir;
    const std::string manca = (dir / "manca.txt").string();
    struct caso {
        std::vector<std::string> args;
        int stato;
        const char* in_err;
    } casi[] = {
        {{}, 3, "usage: scenario COMMAND"},
        {{"boh"}, 3, "unknown command 'boh'\n"},
        {{"chek"}, 3, "unknown command 'chek'; did you mean 'check'?\n"},
        {{"explain", "stazine"}, 3, "no row is read from 'stazine'; did you mean 'stazione'?"},
        {{"dump"}, 3, "missing FILE"},
        {{"dump", v.celle.string(), "--bogus"}, 3, "unknown option --bogus"},
        {{"dump", v.celle.string(), "--kind", "pane"}, 3, "--kind takes track, table or cells"},
        {{"dump", v.tracciato.string(), "--step", "0"}, 3, "--step needs a whole number"},
        {{"dump", manca}, 3, "cannot read"},
        {{"dump", dir.cammino().string()}, 3, "it is a folder"},
        {{"dump", v.celle.string(), "altro"}, 3, "unexpected argument altro"},
        {{"plot", v.compilati.string()}, 3, "missing --out"},
        {{"plot", "--out", (dir / "x.svg").string()}, 3, "missing DIR"},
        {{"plot", manca, "--out", (dir / "x.svg").string()}, 3, "is not a folder"},
        {{"check", "--line"}, 3, "--line needs a value"},
        {{"check", "--line", v.linea.string()}, 3, "missing --train"},
        {{"check", "--line", manca, "--train", v.treno.string()}, 3, "cannot read"},
        {{"compile", "--dry-run", "--line", v.linea.string(), "--train", manca}, 3, "cannot read"},
        {{"compile", "--line", v.linea.string(), "--train", v.treno.string()}, 3, "missing --out"},
        {{"sources"}, 3, "missing --out"},
    };
    for (const auto& c : casi) {
        std::string nome;
        for (const auto& a : c.args) nome += a + " ";
        SCOPED_TRACE(nome);
        auto r = esegui_strumento(c.args);
        EXPECT_EQ(r.stato, c.stato);
        EXPECT_NE(r.err.find(c.in_err), std::string::npos) << r.err;
    }
    for (const char* comando : {"sources", "compile", "check", "dump", "plot"}) {
        auto r = esegui_strumento({comando, "--help"});
        EXPECT_EQ(r.stato, 0) << comando;
        EXPECT_EQ(r.out.find(std::string("usage: scenario ") + comando), 0u) << r.out;
        EXPECT_NE(r.out.find("Exit status"), std::string::npos) << comando;
    }
    auto r = esegui_strumento({"--help"});
    EXPECT_EQ(r.stato, 0);
    for (const char* comando : {"sources", "compile", "check", "dump", "plot"})
        EXPECT_NE(r.out.find(std::string("  ") + comando + " "), std::string::npos) << comando;
}

}  // namespace
}  // namespace valmarena
