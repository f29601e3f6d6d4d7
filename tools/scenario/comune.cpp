// Shared helpers of the tool.

#include "comune.h"

#include <cmath>
#include <cstdio>
#include <iostream>

#include "compiler/errori.h"
#include "platform/codifica.h"
#include "platform/file_ospite.h"
#include "sources/nomi.h"

namespace valmarena::strumento {

bool leggibile(const std::filesystem::path& p) {
    std::string causa;
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) {
        std::cerr << "scenario: cannot read " << percorso_in_testo(p) << ": it is a folder\n";
        return false;
    }
    std::FILE* f = apri_file(p, "rb", causa);
    if (!f || !std::filesystem::is_regular_file(p, ec)) {
        if (f) std::fclose(f);
        std::cerr << "scenario: cannot read " << percorso_in_testo(p) << (causa.empty() ? "" : ": " + causa) << "\n";
        return false;
    }
    std::fclose(f);
    return true;
}

std::optional<std::string> carica_file(const std::filesystem::path& p, std::string& causa) {
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) {
        causa = "it is a folder";
        return std::nullopt;
    }
    std::string testo;
    if (!leggi_file(p, testo, causa)) return std::nullopt;
    return testo;
}

std::string nome_scenario(const argomenti& a, const std::string& opzione, const std::string& predefinito) {
    std::string difetto;
    const auto nome = da_utf8_a_1252_esatto(a.valore(opzione, predefinito), difetto);
    if (!nome) throw argomenti_errati(opzione + " " + difetto);
    if (auto d = difetto_nome(*nome)) throw argomenti_errati(opzione + ": " + *d);
    return *nome;
}

scenario scenario_con_nomi(const argomenti& a) {
    scenario s;
    s.nome_percorso = nome_scenario(a, "--route", percorso_pacchetto);
    s.nome_treno = nome_scenario(a, "--train-name", treno_pacchetto);
    return s;
}

void errore_in_json(json_scrittore& j, const diagnostica& d) {
    j.oggetto().chiave("code").intero(d.codice).chiave("position");
    d.ha_posizione ? j.intero(d.posizione) : j.nullo();
    j.chiave("file").testo(d.file).chiave("line").intero(d.riga).chiave("column").intero(d.colonna);
    j.chiave("message").testo(messaggio_diagnostica(d)).fine();
}

bool finisce_con(const std::string& t, const std::string& coda) {
    return t.size() >= coda.size() && t.compare(t.size() - coda.size(), coda.size(), coda) == 0;
}

std::string reale(double v, int decimali) {
    if (!std::isfinite(v)) return std::isnan(v) ? "nan" : (v > 0 ? "inf" : "-inf");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimali, v);
    std::string t = buf;
    // "-0.00" and the like: a value that rounds to zero prints as zero.
    if (t.front() == '-' && t.find_first_not_of("-0.") == std::string::npos) t.erase(0, 1);
    return t;
}

}  // namespace valmarena::strumento
