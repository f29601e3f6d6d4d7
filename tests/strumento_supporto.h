// Helpers for the authoring tool's tests: running a command with its output captured, strict
// JSON reading to prove that the tool's JSON parses and to look inside it, and the package's
// scenario compiled once into a scratch folder.
#pragma once

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "comandi.h"
#include "supporto.h"

namespace valmarena::prova {

struct esito_strumento {
    int stato = -1;
    std::string out;
    std::string err;
};

// Runs the tool as `scenario ARGS...` would, with standard output and error captured.
inline esito_strumento esegui_strumento(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    auto* vecchio_out = std::cout.rdbuf(out.rdbuf());
    auto* vecchio_err = std::cerr.rdbuf(err.rdbuf());
    esito_strumento e;
    try {
        e.stato = strumento::esegui(args);
    } catch (...) {
        std::cout.rdbuf(vecchio_out);
        std::cerr.rdbuf(vecchio_err);
        throw;
    }
    std::cout.rdbuf(vecchio_out);
    std::cerr.rdbuf(vecchio_err);
    e.out = out.str();
    e.err = err.str();
    return e;
}

// JSON documents, read strictly: anything malformed or trailing throws.
using json = nlohmann::json;

inline json leggi_json(std::string_view t) { return json::parse(t); }

// The package's scenario compiled into a scratch folder once per test run: the two sources
// (exported by the tool) in `sorgenti`, the three compiled files in `compilati`.
struct scenario_compilato {
    cartella_temporanea cartella;
    std::filesystem::path sorgenti, compilati, linea, treno, tracciato, tabella, celle;

    scenario_compilato() {
        sorgenti = cartella / "sorgenti";
        compilati = cartella / "compilati";
        linea = sorgenti / "Valmarena_linea.txt";
        treno = sorgenti / "Valmarena_RX 914-.txt";
        tracciato = compilati / "Valmarena_linea.dat";
        tabella = compilati / "Valmarena_RX 914.sim";
        celle = compilati / "Valmarena_RX 914.dat";
        if (esegui_strumento({"sources", "--out", sorgenti.string()}).stato != 0 ||
            esegui_strumento({"compile", "--line", linea.string(), "--train", treno.string(), "--out", compilati.string()})
                    .stato != 0)
            throw std::runtime_error("the package's scenario did not compile");
    }
};

inline const scenario_compilato& valmarena_compilato() {
    static const scenario_compilato s;
    return s;
}

}  // namespace valmarena::prova
