// The command table is the one source of the tool's interface: every --help, `scenario help`,
// the parser, the manual page, the completions and docs/cli.md say the same options, and every
// command that writes a file says so in one line unless --quiet.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "aiuto.h"
#include "strumento_supporto.h"
#include "tabella_comandi.h"

namespace valmarena {
namespace {

namespace fs = std::filesystem;
using prova::esegui_strumento;
using strumento::comandi;
using strumento::opzioni_di;

TEST(TabellaComandi, DocsCliComeLaTabella) {
    const auto doc = fs::path(VALMARENA_SORGENTI) / "docs" / "cli.md";
    if (!fs::exists(doc)) GTEST_SKIP() << "docs/cli.md not found beside the tests";
    auto r = esegui_strumento({"_reference", "cli"});
    EXPECT_EQ(r.stato, 0);
    EXPECT_EQ(prova::leggi(doc), r.out) << "run: build/scenario _reference cli > docs/cli.md";
}

// Each command's --help is the table's, `help COMMAND` is the same text, and every option the
// table gives it is in its help, its section of docs/cli.md, the manual page and each completion.
TEST(TabellaComandi, OgniAiutoEOgniOpzioneDallaTabella) {
    const std::string cli = strumento::riferimento_cli(), man = strumento::pagina_man();
    const std::string bash = *strumento::completamento("bash"), zsh = *strumento::completamento("zsh"),
                      fish = *strumento::completamento("fish");
    const std::string elenco = esegui_strumento({"--help"}).out;
    for (const auto& c : comandi()) {
        if (c.nascosto) continue;
        SCOPED_TRACE(c.nome);
        auto a = esegui_strumento({c.nome, "--help"});
        EXPECT_EQ(a.stato, 0);
        EXPECT_EQ(a.out, strumento::aiuto_comando(c));
        EXPECT_EQ(a.out.rfind(std::string("usage: scenario ") + c.nome, 0), 0u);
        EXPECT_NE(a.out.find("Exit status"), std::string::npos);
        EXPECT_EQ(esegui_strumento({"help", c.nome}).out, a.out);
        EXPECT_NE(elenco.find(std::string("  ") + c.nome + " "), std::string::npos);
        const auto sezione = cli.find(std::string("## scenario ") + c.nome + "\n");
        ASSERT_NE(sezione, std::string::npos);
        const std::string testo_cli = cli.substr(sezione, cli.find("\n## ", sezione + 1) - sezione);
        EXPECT_NE(man.find(std::string(".SS \"") + c.nome + "\""), std::string::npos);
        for (const auto& o : opzioni_di(c)) {
            SCOPED_TRACE(o.nome);
            const std::string nome = o.nome;
            EXPECT_NE(a.out.find("  " + nome + (o.valore ? " " + std::string(o.valore) : "") + "  "), std::string::npos);
            EXPECT_NE(testo_cli.find("| `" + nome), std::string::npos);
            std::string in_roff;
            for (char x : nome) in_roff += x == '-' ? std::string("\\-") : std::string(1, x);
            EXPECT_NE(man.find(in_roff), std::string::npos);
            EXPECT_NE(bash.find(nome), std::string::npos);
            EXPECT_NE(zsh.find("'" + nome + "["), std::string::npos);
            EXPECT_NE(fish.find(" -l " + nome.substr(2)), std::string::npos);
        }
    }
    EXPECT_EQ(esegui_strumento({"help", "boh"}).stato, 3);
    EXPECT_EQ(elenco.find("_reference"), std::string::npos);
}

// The parser knows a command's options from the table, and only those.
TEST(TabellaComandi, IlParserSegueLaTabella) {
    struct caso {
        std::vector<std::string> args;
        int stato;
        const char* in_err;
    } casi[] = {
        {{"new", "A", "B", "--out", "x", "--json"}, 3, "unknown option --json"},
        {{"explain", "--quiet"}, 3, "unknown option --quiet"},
        {{"dump", "--kind"}, 3, "--kind needs a value"},
        {{"help", "a", "b"}, 3, "unexpected argument b"},
        {{"_reference", "csh"}, 3, "no reference 'csh'"},
    };
    for (const auto& k : casi) {
        SCOPED_TRACE(k.args[0]);
        auto r = esegui_strumento(k.args);
        EXPECT_EQ(r.stato, k.stato);
        EXPECT_NE(r.err.find(k.in_err), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("(see 'scenario " + k.args[0] + " --help')"), std::string::npos) << r.err;
    }
    // A value after '=' is the same as the next word.
    prova::cartella_temporanea d;
    auto r = esegui_strumento({"new", "A", "B", "--out=" + d.cammino().string()});
    EXPECT_EQ(r.stato, 0) << r.err;
    EXPECT_TRUE(fs::exists(d / "A_linea.txt"));
}

// Every command that writes says what in one line; --quiet says nothing and writes the same.
TEST(TabellaComandi, UnaRigaSuCioCheScriveEQuietTace) {
    prova::cartella_temporanea d;
    ASSERT_EQ(esegui_strumento({"new", "Colle", "R 7", "--out", (d / "src").string(), "--quiet"}).out, "");
    const std::string linea = (d / "src" / "Colle_linea.txt").string(), treno = (d / "src" / "Colle_R 7-.txt").string();
    struct caso {
        std::vector<std::string> args;
        std::string riga;    // what it says, once
        fs::path scritto;    // a file it writes
    };
    const auto in = [&](const char* x) { return (d / x).string(); };
    const auto in2 = [&](const char* x, const char* y) { return (d / x / y).string(); };
    const std::vector<caso> casi = {
        {{"new", "Colle", "R 7", "--force", "--out", in("n")},
         "wrote " + in2("n", "Colle_linea.txt") + " and " + in2("n", "Colle_R 7-.txt") + "\n", d / "n" / "Colle_linea.txt"},
        {{"sources", "--out", in("s")},
         "wrote 5 files into " + in("s") +
             ": the line and train descriptions, the notes, the slowdown order and the train card\n",
         d / "s" / "Valmarena_RX 914_note.txt"},
        {{"compile", "--line", linea, "--train", treno, "--out", in("c")}, "", d / "c" / "Colle_R 7.dat"},
        {{"plot", "--line", linea, "--train", treno, "--out", in("p.svg")}, "wrote " + in("p.svg") + "\n", d / "p.svg"},
        {{"documents", "--line", linea, "--train", treno, "--out", in("doc")},
         "wrote " + in2("doc", "Colle_R 7_scheda_treno.txt") + " and " + in2("doc", "Colle_R 7_rallentamenti.txt") + "\n",
         d / "doc" / "Colle_R 7_rallentamenti.txt"},
        {{"package", "--line", linea, "--train", treno, "--stub", VALMARENA_PROGRAMMA, "--out", in("colle")}, "scenario: wrote " + in("colle") + "\n",
         d / "colle"},
    };
    for (const auto& k : casi) {
        SCOPED_TRACE(k.args[0]);
        auto r = esegui_strumento(k.args);
        ASSERT_EQ(r.stato, 0) << r.err;
        if (k.riga.empty()) {
            EXPECT_EQ(r.out.rfind("wrote ", 0), 0u) << r.out;
        } else {
            EXPECT_EQ(r.out, k.riga);
        }
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
        fs::remove_all(k.scritto);
        auto zitto = k.args;
        zitto.push_back("--quiet");
        auto q = esegui_strumento(zitto);
        EXPECT_EQ(q.stato, 0) << q.err;
        EXPECT_EQ(q.out, "");
        EXPECT_TRUE(fs::exists(k.scritto));
    }
}

#if !defined(_WIN32)
// The bash completion, loaded into a real bash, completes commands, options and fixed values.
TEST(TabellaComandi, CompletamentoBash) {
    if (std::system("bash -c true > /dev/null 2>&1") != 0) GTEST_SKIP() << "no bash here";
    prova::cartella_temporanea d;
    prova::scrivi(d / "scenario.bash", *strumento::completamento("bash"));
    struct caso {
        const char* parole;  // the words typed so far, the last being completed
        const char* atteso;  // COMPREPLY, joined by blanks
    } casi[] = {
        {"scenario he", "help"},
        {"scenario dump --k", "--kind"},
        {"scenario dump --kind t", "track table"},
        {"scenario help com", "compile"},
        {"scenario check --str", "--strict"},
        {"scenario compile --line x --no", "--no-track-plan"},
    };
    for (const auto& k : casi) {
        SCOPED_TRACE(k.parole);
        const std::string comando = "bash -c 'source \"" + (d / "scenario.bash").string() +
                                    "\"; COMP_WORDS=(" + k.parole + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                                    "_scenario; echo \"${COMPREPLY[*]}\"' > \"" + (d / "uscita").string() + "\"";
        ASSERT_EQ(std::system(comando.c_str()), 0);
        EXPECT_EQ(prova::leggi(d / "uscita"), std::string(k.atteso) + "\n");
    }
    // zsh and fish, where they are installed: the scripts parse, and fish completes a fixed value.
    for (const char* shell : {"zsh", "fish"}) {
        if (std::system((std::string(shell) + " -c true > /dev/null 2>&1").c_str()) != 0) continue;
        prova::scrivi(d / shell, *strumento::completamento(shell));
        EXPECT_EQ(std::system((std::string(shell) + " -n \"" + (d / shell).string() + "\"").c_str()), 0) << shell;
    }
    if (std::system("fish -c true > /dev/null 2>&1") == 0) {
        const std::string comando = "fish -c 'source \"" + (d / "fish").string() +
                                    "\"; complete -C \"scenario dump --kind t\"' > \"" + (d / "uscita").string() + "\"";
        ASSERT_EQ(std::system(comando.c_str()), 0);
        EXPECT_EQ(prova::leggi(d / "uscita"), "table\tthe kind of file, when its name does not tell\n"
                                              "track\tthe kind of file, when its name does not tell\n");
    }
}
#endif

}  // namespace
}  // namespace valmarena
