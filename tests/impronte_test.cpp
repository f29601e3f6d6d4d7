// The compiled bytes, held by their SHA-256: the package's six files, the longest route and the
// robustness cases, compiled as the tool's `compile --write-on-error` writes them. A change to
// the readers, the route checks or the writers that moves a single byte fails here, with the
// files that differ named. `impronte.txt` beside this file holds the hashes, one line a file as
// `sha256sum` prints them; a case whose compile writes nothing holds the line "-  CASE/".

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "../bench/percorso_lungo.h"
#include "casi_robustezza.h"
#include "driver/form1.h"
#include "sha256.h"
#include "strumento_supporto.h"
#include "supporto.h"

namespace valmarena {
namespace {

namespace fs = std::filesystem;
using impronte = std::map<std::string, std::string>;  // "CASE/FILE" -> hash

// Every file left in `cartella`, by name; a folder left empty is "CASE/" with the hash "-".
void raccogli(impronte& m, const std::string& caso, const fs::path& cartella) {
    bool vuota = true;
    for (const auto& e : fs::directory_iterator(cartella)) {
        m[caso + "/" + e.path().filename().string()] = prova::sha256(prova::leggi(e.path()));
        vuota = false;
    }
    if (vuota) m[caso + "/"] = "-";
}

void compila(impronte& m, const std::string& caso, const std::string& linea, const std::string& treno) {
    prova::cartella_temporanea c;
    prova::scrivi(c / "linea.txt", linea);
    prova::scrivi(c / "treno.txt", treno);
    fs::create_directory(c / "out");
    prova::esegui_strumento({"compile", "--line", (c / "linea.txt").string(), "--train", (c / "treno.txt").string(),
                             "--out", (c / "out").string(), "--route", "Prova", "--train-name", "T 1",
                             "--write-on-error"});
    raccogli(m, caso, c / "out");
}

impronte calcolate() {
    impronte m;
    {
        prova::cartella_temporanea c;
        Form1 form;
        esegui_scenario(form, c.cammino());
        raccogli(m, "pacchetto", c.cammino());
    }
    {
        percorso_lungo::conteggi n;
        compila(m, "percorso_lungo", percorso_lungo::genera_linea(n), percorso_lungo::genera_treno(n));
    }
    compila(m, "duecentomila_campi", prova::linea_duecentomila_campi(), prova::treno_minimo(""));
    int i = 0;
    for (const auto& c : prova::casi_trattini()) compila(m, "trattini_" + std::to_string(++i), c.linea, c.treno);
    i = 0;
    for (const auto& c : prova::casi_curve_enormi()) compila(m, "curve_enormi_" + std::to_string(++i), c.linea, c.treno);
    i = 0;
    for (const auto& c : prova::casi_piano()) compila(m, "piano_" + std::to_string(++i), c.linea, c.treno);
    const auto pieno = prova::percorso_massimo_pieno();
    compila(m, "percorso_massimo_pieno", pieno.linea, pieno.treno);
    compila(m, "cartello_lunghissimo", prova::linea_cartello_lunghissimo(), prova::treno_minimo(""));
    return m;
}

impronte attese() {
    impronte m;
    std::istringstream in(prova::leggi(fs::path(VALMARENA_SORGENTI) / "tests" / "impronte.txt"));
    std::string hash, nome;
    while (in >> hash && std::getline(in >> std::ws, nome)) m[nome] = hash;
    return m;
}

std::string come_sha256sum(const impronte& m) {
    std::string t;
    for (const auto& [nome, hash] : m) t += hash + "  " + nome + "\n";
    return t;
}

TEST(Impronte, FileCompilatiUgualiByteAByte) {
    const fs::path file = fs::path(VALMARENA_SORGENTI) / "tests" / "impronte.txt";
    if (!fs::exists(file)) GTEST_SKIP() << "impronte.txt not found beside the tests";
    const impronte ora = calcolate();
    const impronte prima = attese();
    for (const auto& [nome, hash] : prima) {
        auto t = ora.find(nome);
        EXPECT_TRUE(t != ora.end() && t->second == hash)
            << nome << ": " << (t == ora.end() ? std::string("not written") : "now " + t->second) << ", was " << hash;
    }
    for (const auto& [nome, hash] : ora)
        EXPECT_TRUE(prima.count(nome)) << nome << " is written now (" << hash << "), and was not";
    if (HasFailure()) std::cerr << "The files as compiled now:\n" << come_sha256sum(ora);
}

}  // namespace
}  // namespace valmarena
