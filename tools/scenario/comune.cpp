// Shared helpers of the tool.

#include "comune.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "compiler/errori.h"
#include "sources/codifica.h"
#include "platform/file_ospite.h"
#include "sources/nomi.h"

namespace valmarena::strumento {

bool leggibile(const std::filesystem::path& p) {
    std::string causa;
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) {
        std::cerr << "scenario: cannot read " << cammino_in_testo(p) << ": it is a folder\n";
        return false;
    }
    std::FILE* f = apri_file(p, "rb", causa);
    if (!f || !std::filesystem::is_regular_file(p, ec)) {
        if (f) std::fclose(f);
        std::cerr << "scenario: cannot read " << cammino_in_testo(p) << (causa.empty() ? "" : ": " + causa) << "\n";
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

std::string nome_in_1252(const std::string& utf8, const std::string& cosa) {
    std::string difetto;
    const auto nome = da_utf8_a_1252_esatto(utf8, difetto);
    if (!nome) throw argomenti_errati(cosa + " " + difetto);
    if (auto d = difetto_nome(*nome)) throw argomenti_errati(cosa + ": " + *d);
    return *nome;
}

namespace {

// Line and column (1-based, in characters) of the byte at `dove` of a UTF-8 text.
std::pair<int, int> riga_e_colonna(std::string_view t, std::size_t dove) {
    int riga = 1, colonna = 1;
    for (std::size_t i = 0; i < dove && i < t.size(); ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (c == '\n') {
            ++riga;
            colonna = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++colonna;
        }
    }
    return {riga, colonna};
}

bool converti(const std::filesystem::path& p, std::optional<std::string>& uscita) {
    std::string causa;
    auto testo = carica_file(p, causa);
    if (!testo) {
        std::cerr << "scenario: cannot read " << cammino_in_testo(p) << ": " << causa << "\n";
        return false;
    }
    const std::string_view t = std::string_view(*testo).substr(testo->substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0);
    std::string difetto;
    std::size_t dove = 0;
    uscita = da_utf8_a_1252_esatto(t, difetto, dove);
    if (uscita) return true;
    const auto [riga, colonna] = riga_e_colonna(t, dove);
    std::cerr << "scenario: " << cammino_in_testo(p) << ":" << riga << ":" << colonna << ": the text " << difetto << "\n";
    return false;
}

}  // namespace

bool converti_sorgenti(const argomenti& a, sorgenti& src) {
    if (!a.ha("--encoding")) return true;
    const std::string codifica = a.valore("--encoding");
    if (codifica != "utf-8" && codifica != "windows-1252")
        throw argomenti_errati("--encoding takes utf-8 or windows-1252, not " + codifica);
    if (codifica == "windows-1252") return true;
    return converti(src.linea, src.testo_linea) && converti(src.treno, src.testo_treno);
}

std::optional<sorgenti> sorgenti_date(const argomenti& a) {
    sorgenti src{a.richiesto("--line"), a.richiesto("--train"), false};
    if (!leggibile(src.linea) || !leggibile(src.treno) || !converti_sorgenti(a, src)) return std::nullopt;
    return src;
}

testi_letti testi_di(const sorgenti& src) {
    testi_letti t;
    t.aggiungi(cammino_in_testo(src.linea), src.linea, src.testo_linea ? &*src.testo_linea : nullptr);
    t.aggiungi(cammino_in_testo(src.treno), src.treno, src.testo_treno ? &*src.testo_treno : nullptr);
    return t;
}

std::string nome_scenario(const argomenti& a, const std::string& opzione, const std::string& predefinito) {
    return nome_in_1252(a.valore(opzione, predefinito), opzione);
}

scenario scenario_con_nomi(const argomenti& a) {
    scenario s;
    s.nome_percorso = nome_scenario(a, "--route", percorso_pacchetto);
    s.nome_treno = nome_scenario(a, "--train-name", treno_pacchetto);
    return s;
}

namespace {

// `nome` without `coda` at its end; nothing when it does not end so or nothing is left.
std::optional<std::string> senza_coda(const std::string& nome, const std::string& coda) {
    if (nome.size() <= coda.size() || !finisce_con(nome, coda)) return std::nullopt;
    return nome.substr(0, nome.size() - coda.size());
}

}  // namespace

std::optional<scenario> scenario_da_sorgenti(const argomenti& a, const std::filesystem::path& linea,
                                             const std::filesystem::path& treno, bool avvisa) {
    // Names given are checked first, whatever the files are called.
    std::optional<std::string> percorso, nome_treno;  // Windows-1252
    if (a.ha("--route")) percorso = nome_scenario(a, "--route", "");
    if (a.ha("--train-name")) nome_treno = nome_scenario(a, "--train-name", "");
    if (!percorso) {
        if (auto r = senza_coda(cammino_in_testo(linea.filename()), "_linea.txt"))
            percorso = nome_in_1252(*r, "the route name of " + cammino_in_testo(linea));
    }
    if (!percorso) {
        if (avvisa)
            std::cerr << "scenario: the line file " << cammino_in_testo(linea)
                      << " is not named ROUTE_linea.txt: give the route name with --route\n";
        return std::nullopt;
    }
    const std::string prefisso = da_1252_a_utf8(*percorso) + "_";
    if (!nome_treno) {
        auto radice = senza_coda(cammino_in_testo(treno.filename()), "-.txt");
        if (radice && radice->size() > prefisso.size() && radice->rfind(prefisso, 0) == 0)
            nome_treno = nome_in_1252(radice->substr(prefisso.size()), "the train name of " + cammino_in_testo(treno));
    }
    if (!nome_treno) {
        if (avvisa)
            std::cerr << "scenario: the train file " << cammino_in_testo(treno) << " is not named " << prefisso
                      << "TRAIN-.txt: give the train name with --train-name\n";
        return std::nullopt;
    }
    scenario s;
    s.nome_percorso = *percorso;
    s.nome_treno = *nome_treno;
    return s;
}

namespace {

double accelerazione(const argomenti& a, const std::string& opzione, double predefinita) {
    if (!a.ha(opzione)) return predefinita;
    const std::string t = a.valore(opzione);
    double v = 0;
    const auto [fine, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc{} || fine != t.data() + t.size() || !(v > 0 && v <= 10))
        throw argomenti_errati(opzione + " takes a number of m/s2 above 0 and at most 10, not '" + t + "'");
    return v;
}

}  // namespace

parametri_marcia parametri_di_marcia(const argomenti& a) {
    parametri_marcia p;
    p.accelerazione = accelerazione(a, "--acceleration", p.accelerazione);
    p.frenatura = accelerazione(a, "--braking", p.frenatura);
    return p;
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
