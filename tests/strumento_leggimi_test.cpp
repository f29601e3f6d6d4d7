// The documents a newcomer reads say what the programs do: the table of error codes in
// docs/cli.md says what `significato_errore` says, code for code, and every session shown in the
// README and the tutorial (lines starting with "$ " in a fenced block, the lines after each its
// output) runs as written, from the top of a source tree, and prints what the page shows.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "compiler/errori.h"
#include "supporto.h"

namespace valmarena {
namespace {

namespace fs = std::filesystem;

const fs::path radice = VALMARENA_SORGENTI;

TEST(Leggimi, TabellaDeiCodiciComeGliErrori) {
    const auto doc = radice / "docs" / "cli.md";
    if (!fs::exists(doc)) GTEST_SKIP() << "docs/cli.md not found beside the tests";
    std::istringstream in(prova::leggi(doc));
    std::map<int, std::string> righe;
    std::string riga;
    bool sezione = false;
    static const std::regex codice(R"(^\| (\d+) \| ([^|]+) \| [^|]+ \|$)");
    while (std::getline(in, riga)) {
        if (riga.rfind("#", 0) == 0) sezione = riga == "## Error codes";
        std::smatch m;
        if (sezione && std::regex_match(riga, m, codice)) righe[std::stoi(m[1])] = m[2];
    }
    ASSERT_FALSE(righe.empty()) << "no table of error codes in " << doc;
    for (int c = 1; c < 1250; ++c) {
        std::string_view s = significato_errore(c);
        if (s.empty()) {
            EXPECT_EQ(righe.count(c), 0u) << "docs/cli.md lists code " << c << ", which the compiler never records";
            continue;
        }
        ASSERT_EQ(righe.count(c), 1u) << "code " << c << " is missing from docs/cli.md";
        EXPECT_EQ(righe[c], s) << "code " << c;
    }
}

#if !defined(_WIN32)
// One command of a page's session and the output the page shows under it.
struct passo {
    int riga;
    std::string comando;
    std::string uscita;
};

std::vector<passo> sessioni(const std::string& pagina) {
    std::vector<passo> passi;
    std::istringstream in(pagina);
    std::string riga;
    bool blocco = false, seguito = false, sessione = false;
    for (int n = 1; std::getline(in, riga); ++n) {
        if (riga.rfind("```", 0) == 0) {
            blocco = !blocco;
            seguito = sessione = false;
            continue;
        }
        if (!blocco) continue;
        if (seguito) {
            passi.back().comando += "\n" + riga;
        } else if (riga.rfind("$ ", 0) == 0) {
            passi.push_back({n, riga.substr(2), ""});
            sessione = true;
        } else if (sessione) {
            passi.back().uscita += riga + "\n";
            continue;
        }
        seguito = !riga.empty() && riga.back() == '\\';
    }
    return passi;
}

// The page's sessions run one after the other by bash in a scratch folder where build/ is this
// build: each command's output (standard output and error together) and status are collected
// between marks, and the status of one is still $? for the next. A command must end with status 0
// unless the page shows its status next.
void esegui_pagina(const std::string& nome) {
    const auto pagina = radice / nome;
    if (!fs::exists(pagina)) GTEST_SKIP() << nome << " not found beside the tests";
    const std::vector<passo> passi = sessioni(prova::leggi(pagina));
    ASSERT_FALSE(passi.empty()) << "no session in " << nome;
    prova::cartella_temporanea d;
    fs::create_directory_symlink(fs::path(VALMARENA_STRUMENTO).parent_path(), d / "build");
    std::string script = "cd \"" + d.cammino().string() + "\"\nexport LC_ALL=C PAGER=cat\ns=0\n";
    for (std::size_t i = 0; i < passi.size(); ++i)
        script += "printf '@@@ " + std::to_string(i) + "\\n'\n(exit \"$s\")\n{ " + passi[i].comando +
                  "\n} < /dev/null 2>&1\ns=$?\nprintf '\\n@@@ status %d\\n' \"$s\"\n";
    prova::scrivi(d / "sessione.sh", script);
    const fs::path uscita = d / "uscita.txt";
    ASSERT_NE(std::system(("bash '" + (d / "sessione.sh").string() + "' > '" + uscita.string() + "' 2>&1").c_str()), -1);
    const std::string tutto = prova::leggi(uscita);
    for (std::size_t i = 0; i < passi.size(); ++i) {
        SCOPED_TRACE(nome + ":" + std::to_string(passi[i].riga) + ": " + passi[i].comando);
        const std::string inizio = "@@@ " + std::to_string(i) + "\n";
        const auto a = tutto.find(inizio);
        ASSERT_NE(a, std::string::npos) << tutto;
        const auto b = tutto.find("\n@@@ status ", a);
        ASSERT_NE(b, std::string::npos);
        const std::string detto = tutto.substr(a + inizio.size(), b - a - inizio.size());
        const int stato = std::atoi(tutto.c_str() + b + 12);
        EXPECT_EQ(detto.empty() || detto.back() == '\n' ? detto : detto + "\n", passi[i].uscita);
        const bool stato_mostrato = i + 1 < passi.size() && passi[i + 1].comando == "echo $?";
        if (!stato_mostrato) {
            EXPECT_EQ(stato, 0);
        }
    }
}

TEST(Leggimi, LeSessioniDelLeggimiComeScritte) { esegui_pagina("README.md"); }
TEST(Leggimi, LeSessioniDellaGuidaComeScritte) { esegui_pagina("docs/authoring.md"); }
#endif

}  // namespace
}  // namespace valmarena
