// How long the language server takes from a change message to the diagnostics it publishes,
// on one thread: the package's own scenario, and any line and train files given
// (`lsp_latenza [LINE TRAIN]`, e.g. the longest route). Each change alters one row of the
// train file and back; the median and the worst of the runs are printed.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "comandi.h"
#include "lsp_server.h"
#include "lsp_testo.h"
#include "sources/codifica.h"

namespace {

using nlohmann::json;
using orologio = std::chrono::steady_clock;

std::string leggi(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}

// Opens both files under the names of the naming rule, then times `giri` changes of the train file.
void misura(const std::string& titolo, const std::string& linea, const std::string& treno, const std::string& percorso,
            const std::string& nome_treno, int giri) {
    if (linea.empty() || treno.empty()) {
        std::printf("%s: no sources to measure\n", titolo.c_str());
        return;
    }
    const auto cartella = std::filesystem::temp_directory_path() / "lsp_latenza";
    std::filesystem::create_directories(cartella);
    std::ofstream(cartella / (percorso + "_linea.txt"), std::ios::binary) << linea;
    std::ofstream(cartella / (percorso + "_" + nome_treno + "-.txt"), std::ios::binary) << treno;
    const std::string uri_l = valmarena::strumento::uri_da_cammino(cartella / (percorso + "_linea.txt"));
    const std::string uri_t = valmarena::strumento::uri_da_cammino(cartella / (percorso + "_" + nome_treno + "-.txt"));
    orologio::time_point pubblicato{};
    std::size_t diagnostiche = 0;
    valmarena::strumento::server_lsp server([&](const std::string& corpo) {
        const json m = json::parse(corpo);
        if (m.value("method", "") == "textDocument/publishDiagnostics" && m["params"]["uri"] == uri_t) {
            pubblicato = orologio::now();
            diagnostiche = std::max(diagnostiche, m["params"]["diagnostics"].size());
        }
    });
    auto invia = [&](const json& m) { server.ricevi(m.dump()); };
    invia({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}});
    const std::string tl = valmarena::da_1252_a_utf8(linea), tt = valmarena::da_1252_a_utf8(treno);
    for (const auto& [u, t] : {std::pair{uri_l, tl}, std::pair{uri_t, tt}})
        invia({{"jsonrpc", "2.0"},
               {"method", "textDocument/didOpen"},
               {"params", {{"textDocument", {{"uri", u}, {"languageId", "x"}, {"version", 1}, {"text", t}}}}}});
    std::string altro = tt;
    // A misspelt keyword: the change draws one warning, the next takes it away.
    if (const auto i = altro.find("segnale,"); i != std::string::npos) altro.insert(i + 5, "l");
    std::vector<double> ms;
    for (int k = 0; k < giri; ++k) {
        const json cambio = {{"jsonrpc", "2.0"},
                             {"method", "textDocument/didChange"},
                             {"params",
                              {{"textDocument", {{"uri", uri_t}, {"version", k + 2}}},
                               {"contentChanges", json::array({{{"text", k % 2 ? tt : altro}}})}}}};
        const std::string corpo = cambio.dump();
        const auto inizio = orologio::now();
        server.ricevi(corpo);
        ms.push_back(std::chrono::duration<double, std::milli>(pubblicato - inizio).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-28s change to diagnostics: median %.2f ms, worst %.2f ms over %d changes (at most %zu diagnostics)\n",
                titolo.c_str(), ms[ms.size() / 2], ms.back(), giri, diagnostiche);
    std::filesystem::remove_all(cartella);
}

}  // namespace

int main(int argc, char** argv) {
    const auto cartella = std::filesystem::temp_directory_path() / "lsp_latenza_sorgenti";
    std::ostringstream zitto;
    auto* vecchio = std::cout.rdbuf(zitto.rdbuf());
    const int stato = valmarena::strumento::esegui({"sources", "--out", cartella.string()});
    std::cout.rdbuf(vecchio);
    if (stato != 0) return 1;
    misura("package scenario", leggi(cartella / "Valmarena_linea.txt"), leggi(cartella / "Valmarena_RX 914-.txt"),
           "Valmarena", "RX 914", 200);
    std::filesystem::remove_all(cartella);
    if (argc == 3) misura("longest route", leggi(argv[1]), leggi(argv[2]), "Lunga", "T", 50);
    return 0;
}
