// Test helpers.

#include "supporto.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>

namespace valmarena::prova {

// Tests run as several processes at once: each draws its folder names from the system's random
// source, not from rand(), whose sequence is the same in every process.
cartella_temporanea::cartella_temporanea() {
    static std::atomic<int> contatore{0};
    static const std::string processo = std::to_string(std::random_device{}());
    auto base = std::filesystem::temp_directory_path();
    for (;;) {
        auto candidato = base / ("valmarena-prova-" + processo + "-" + std::to_string(contatore++));
        if (std::filesystem::create_directory(candidato)) {
            p_ = candidato;
            return;
        }
    }
}

cartella_temporanea::~cartella_temporanea() {
    std::error_code ec;
    std::filesystem::permissions(p_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(p_, ec);
}

std::string leggi(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream o;
    o << f.rdbuf();
    return o.str();
}

void scrivi(const std::filesystem::path& p, const std::string& contenuto) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f << contenuto;
}

std::string righe(std::initializer_list<std::string> r) {
    std::string t;
    for (const auto& x : r) t += x + "\r\n";
    return t;
}

scenario scenario_con_celle(std::int32_t lunghezza) {
    scenario s;
    s.nome_percorso = "Valmarena";
    s.nome_treno = "RX 914";
    alloca_percorso(s, lunghezza);
    return s;
}

scenario leggi_sorgenti(const std::string& linea, const std::string& treno, tracciato_si_no j) {
    cartella_temporanea c;
    scrivi(c / "linea.txt", linea);
    scrivi(c / "treno.txt", treno);
    scenario s;
    s.nome_percorso = "Valmarena";
    s.nome_treno = "RX 914";
    s.genera_tracciato = j;
    inizializza_tabella(s);
    memorizza_dati(s, {c / "linea.txt", c / "treno.txt", true});
    return s;
}

std::string linea_minima(const std::string& righe_elementi, std::int32_t lunghezza) {
    return "[generale]\r\nlunghezza percorso,    " + std::to_string(lunghezza) +
           "\r\n[curve]\r\n" + righe_elementi + "[fine]\r\n";
}

std::string treno_minimo(const std::string& righe_elementi) {
    return "[generale]\r\n" + righe_elementi + "[fine]\r\n";
}

}  // namespace valmarena::prova
