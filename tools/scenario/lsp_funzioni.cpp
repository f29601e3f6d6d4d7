// Hover, completion, signature help, outline and quick fixes on a source line.

#include "lsp_funzioni.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "compiler/lettore_token.h"
#include "records/arrotonda.h"
#include "sources/codifica.h"

namespace valmarena::strumento {

using nlohmann::json;

namespace {

file_righe righe_del(const documento& d) {
    return d.genere == genere_file::linea ? file_righe::linea : file_righe::treno;
}

struct punto {
    int riga = -1;
    int colonna = 0;
};

// A line or character number of a position: a value that is not an integer an int holds is
// refused (as bad params), never converted.
int intero_lsp(const json& v) {
    if (!v.is_number_integer()) throw json::type_error::create(302, "a line or character must be an integer", &v);
    if (v.is_number_unsigned() ? v.get<std::uint64_t>() > static_cast<std::uint64_t>(INT_MAX)
                               : v.get<std::int64_t>() < INT_MIN || v.get<std::int64_t>() > INT_MAX)
        throw json::out_of_range::create(406, "a line or character out of range", &v);
    return static_cast<int>(v.get<std::int64_t>());
}

// The line and character of an LSP position object.
punto in_punto(const json& p) { return {intero_lsp(p.at("line")), intero_lsp(p.at("character"))}; }

punto posizione(const documento& d, const json& params) {
    const punto p = in_punto(params.at("position"));
    if (p.riga < 0 || static_cast<std::size_t>(p.riga) >= d.righe.size()) return {};
    return {p.riga, std::max(0, p.colonna)};
}

riga_sorgente riga_a(const documento& d, int riga) {
    const auto i = static_cast<std::size_t>(riga);
    return analizza_riga(d.righe[i], righe_del(d), d.generali[i]);
}

std::string u8(std::string_view t1252) { return da_1252_a_utf8(t1252); }

std::string unita(const campo_riga& c) { return *c.unita ? std::string(" ") + c.unita : std::string(); }

std::string nomi_campi(const descrizione_riga& r) {
    std::string t;
    for (const auto& c : r.campi) t += (t.empty() ? "" : ", ") + std::string(c.nome);
    return t;
}

std::string testo_riga(const descrizione_riga& r) {
    std::string t = "**" + u8(r.canonica) + "**: " + r.significato + "\n\nFields: " + nomi_campi(r);
    if (r.accetta) t += "\n\nRead from " + std::string(r.accetta);
    if (r.esempio) t += "\n\nExample: `" + u8(r.esempio) + "`";
    return t;
}

// Where a position lands: its cell and the metres the cell stands for.
std::string dove_cade(const campo_riga& c, double valore, const chilometri& km) {
    const std::int32_t v = clng(valore);
    std::string t = "\n\n" + std::to_string(v) + " m";
    std::int64_t metri = v;
    if (c.cella == cella_di::punto) {
        const std::int64_t k = cella_di_metri(valore);
        metri = inizio_cella(k);
        t += " lands in cell " + std::to_string(k) + ", at " + std::to_string(metri) + " m";
    } else if (c.cella == cella_di::tratto) {
        const std::int64_t k = clng(valore / 50.0);
        metri = k * 50;
        t += " takes effect in cell " + std::to_string(k) + ", at " + std::to_string(metri) + " m";
    }
    return t + ", " + km_cippo(km.progressiva(metri));
}

std::string testo_campo(const campo_in_riga& f, std::size_t n, const chilometri& km) {
    const campo_riga& c = *f.campo;
    std::string t = "**" + std::string(c.nome) + "**, field " + std::to_string(n + 1) + " of '" +
                    u8(f.riga->canonica) + "'";
    if (*c.significato) t += ": " + std::string(c.significato);
    if (c.tipo != larghezza::testo) {
        t += "\n\nUnit: " + (*c.unita ? std::string(c.unita) : std::string("none")) + "; range " +
             std::to_string(c.minimo) + " to " + std::to_string(c.massimo) + unita(c);
        if (c.griglia) t += "; grid: a multiple of " + std::to_string(c.griglia);
        if (std::string_view(c.unita) == "m" && std::string_view(c.nome) != "length" &&
            std::string_view(c.nome) != "zone")
            t += dove_cade(c, f.valore, km);
    }
    return t;
}

json contenuto(const std::string& markdown, int riga, int da, int a) {
    return {{"contents", {{"kind", "markdown"}, {"value", markdown}}}, {"range", intervallo(riga, da, a)}};
}

// The rows that may stand at a line of this file: the line file's general rows inside
// [generale], its feature rows after it, every train row in the train file.
std::vector<const descrizione_riga*> righe_adatte(const documento& d, int riga) {
    std::vector<const descrizione_riga*> v;
    const bool generale = d.generali[static_cast<std::size_t>(riga)];
    for (const auto& r : descrizione_righe())
        if (r.file == righe_del(d) && (r.file == file_righe::treno || r.generale == generale)) v.push_back(&r);
    return v;
}

std::string frammento(const descrizione_riga& r) {
    std::string t = r.tipo == tipo_riga::curva ? "curva${1|s,d|}${2|1,2,3,4,5,6|}" : u8(r.canonica);
    int n = r.tipo == tipo_riga::curva ? 2 : 0;
    for (const auto& c : r.campi) t += ", ${" + std::to_string(++n) + ":" + c.nome + "}";
    return t;
}

// The field the cursor is in, counted from 0; -1 on the keyword.
int campo_corrente(const riga_sorgente& r, std::string_view riga, int colonna) {
    if (colonna <= r.colonna_chiave + r.lunghezza_chiave) return -1;
    if (auto i = campo_a(r, colonna)) return static_cast<int>(*i);
    if (r.campi.empty()) return 0;
    const auto& ultimo = r.campi.back();
    const auto da = static_cast<std::size_t>(ultimo.colonna + ultimo.lunghezza);
    const std::string_view tra = riga.substr(std::min(da, riga.size()), static_cast<std::size_t>(colonna) - std::min(da, static_cast<std::size_t>(colonna)));
    const bool separato = tra.find(',') != std::string_view::npos ||
                          (ultimo.riga->tipo == tipo_riga::orologio && tra.find(' ') != std::string_view::npos);
    return static_cast<int>(r.campi.size()) - (separato ? 0 : 1);
}

}  // namespace

json hover(const documento& d, const json& params) {
    const punto p = posizione(d, params);
    if (p.riga < 0) return nullptr;
    const riga_sorgente r = riga_a(d, p.riga);
    if (r.righe.empty()) return nullptr;
    if (p.colonna >= r.colonna_chiave && p.colonna <= r.colonna_chiave + r.lunghezza_chiave) {
        std::string t;
        for (const auto* k : r.righe) t += (t.empty() ? "" : "\n\n---\n\n") + testo_riga(*k);
        return contenuto(t, p.riga, r.colonna_chiave, r.colonna_chiave + r.lunghezza_chiave);
    }
    const auto i = campo_a(r, p.colonna);
    if (!i || p.colonna < r.campi[*i].colonna) return nullptr;
    const campo_in_riga& f = r.campi[*i];
    return contenuto(testo_campo(f, *i, d.km), p.riga, f.colonna, f.colonna + f.lunghezza);
}

json completamento(const documento& d, const json& params) {
    const punto p = posizione(d, params);
    json voci = json::array();
    if (p.riga < 0) return voci;
    const std::string_view riga = d.righe[static_cast<std::size_t>(p.riga)];
    const std::string_view prima = riga.substr(0, std::min(riga.size(), static_cast<std::size_t>(p.colonna)));
    if (prima.find(',') != std::string_view::npos) return voci;  // inside the fields: no keyword fits
    const std::size_t inizio = std::min(prima.size(), prima.find_first_not_of(" \t"));
    for (const auto* r : righe_adatte(d, p.riga)) {
        const std::string etichetta = r->tipo == tipo_riga::curva ? "curva" : u8(r->canonica);
        voci.push_back({{"label", etichetta},
                        {"kind", 14},
                        {"detail", etichetta + ", " + nomi_campi(*r)},
                        {"documentation", {{"kind", "markdown"}, {"value", testo_riga(*r)}}},
                        {"insertTextFormat", 2},
                        {"filterText", etichetta},
                        {"textEdit",
                         {{"range", intervallo(p.riga, static_cast<int>(inizio), static_cast<int>(prima.size()))},
                          {"newText", frammento(*r)}}}});
    }
    return voci;
}

json aiuto_firma(const documento& d, const json& params) {
    const punto p = posizione(d, params);
    if (p.riga < 0) return nullptr;
    const riga_sorgente r = riga_a(d, p.riga);
    if (r.righe.empty()) return nullptr;
    const descrizione_riga& k = *r.righe.front();
    std::string etichetta = u8(k.canonica);
    json parametri = json::array();
    for (const auto& c : k.campi) {
        etichetta += ", ";
        const int da = static_cast<int>(etichetta.size());
        etichetta += c.nome;
        parametri.push_back({{"label", {da, static_cast<int>(etichetta.size())}},
                             {"documentation", std::string(c.significato) + unita(c)}});
    }
    const int attivo = campo_corrente(r, d.righe[static_cast<std::size_t>(p.riga)], p.colonna);
    json firma = {{"label", etichetta}, {"documentation", k.significato}, {"parameters", parametri}};
    if (attivo >= 0) firma["activeParameter"] = std::min(attivo, static_cast<int>(k.campi.size()) - 1);
    return {{"signatures", json::array({firma})}, {"activeSignature", 0},
            {"activeParameter", std::max(0, std::min(attivo, static_cast<int>(k.campi.size()) - 1))}};
}

namespace {

std::string campo_testo(const riga_sorgente& r, std::size_t i) {
    return i < r.campi.size() ? u8(r.campi[i].grezzo) : std::string("?");
}

// The outline entry of a row, or nothing for the rows the outline leaves out.
std::optional<json> simbolo_riga(const documento& d, const riga_sorgente& r, int riga) {
    if (r.righe.empty() || r.campi.empty()) return std::nullopt;
    const auto metri = [&](std::size_t i) { return i < r.campi.size() ? clng(r.campi[i].valore) : 0; };
    std::string nome, dettaglio;
    int genere = 0;
    switch (r.righe.front()->tipo) {
    case tipo_riga::stazione:
        nome = r.campi.size() >= 17 ? campo_testo(r, 16) : "station at " + campo_testo(r, 0) + " m";
        dettaglio = km_cippo(d.km.progressiva(metri(0))) + " (" + campo_testo(r, 0) + " m)";
        genere = 19;
        break;
    case tipo_riga::rallentamento:
        nome = "slowdown at " + campo_testo(r, 0) + " m";
        dettaglio = campo_testo(r, 1) + " km/h for " + campo_testo(r, 2) + " m";
        genere = 24;
        break;
    case tipo_riga::segnale:
        nome = "signal at " + campo_testo(r, 0) + " m";
        dettaglio = km_cippo(d.km.progressiva(metri(0)));
        genere = 22;
        break;
    case tipo_riga::montagna:
        nome = "mountain " + campo_testo(r, 0) + " to " + campo_testo(r, 1) + " m";
        dettaglio = "kind " + campo_testo(r, 2);
        genere = 23;
        break;
    default: return std::nullopt;
    }
    const int fine = static_cast<int>(d.righe[static_cast<std::size_t>(riga)].size());
    return json{{"name", nome},
                {"detail", dettaglio},
                {"kind", genere},
                {"range", intervallo(riga, 0, fine)},
                {"selectionRange", intervallo(riga, r.colonna_chiave, r.colonna_chiave + r.lunghezza_chiave)}};
}

}  // namespace

json simboli(const documento& d) {
    json fuori = json::array();
    json* sezione = nullptr;
    for (std::size_t i = 0; i < d.righe.size(); ++i) {
        const int riga = static_cast<int>(i);
        const riga_sorgente r = analizza_riga(d.righe[i], righe_del(d), d.generali[i]);
        if (r.intestazione) {
            fuori.push_back({{"name", u8(r.chiave)},
                             {"kind", 3},
                             {"range", intervallo(riga, 0, static_cast<int>(d.righe[i].size()))},
                             {"selectionRange", intervallo(riga, r.colonna_chiave, r.colonna_chiave + r.lunghezza_chiave)},
                             {"children", json::array()}});
            sezione = &fuori.back();
            continue;
        }
        if (sezione) (*sezione)["range"]["end"] = {{"line", riga}, {"character", static_cast<int>(d.righe[i].size())}};
        if (auto s = simbolo_riga(d, r, riga)) (sezione ? (*sezione)["children"] : fuori).push_back(std::move(*s));
    }
    return fuori;
}

namespace {

std::size_t distanza(std::string_view a, std::string_view b) {
    std::vector<std::size_t> riga(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) riga[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonale = riga[0];
        riga[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t sopra = riga[j];
            riga[j] = std::min({riga[j] + 1, riga[j - 1] + 1, diagonale + (minuscola(a[i - 1]) == minuscola(b[j - 1]) ? 0 : 1)});
            diagonale = sopra;
        }
    }
    return riga[b.size()];
}

// The one spelling of a row that may stand here nearest to an unknown keyword (two edits at
// most); nothing when none is that near or two are as near.
std::optional<std::string> forse(const documento& d, int riga, std::string_view chiave) {
    std::size_t migliore = 3;
    std::optional<std::string> scelta;
    const descrizione_riga* di = nullptr;
    bool pari = false;
    for (const auto* r : righe_adatte(d, riga))
        for (const auto& g : r->grafie) {
            const std::size_t n = distanza(chiave, g);
            if (n < migliore) {
                migliore = n;
                scelta = g;
                di = r;
                pari = false;
            } else if (n == migliore && r != di) {
                pari = true;
            }
        }
    return pari ? std::nullopt : scelta;
}

// The replacement a quick fix writes for the diagnostic, with its title.
std::optional<std::pair<std::string, std::string>> correzione(const documento& d, const std::string& id, int riga,
                                                              int colonna, int& da, int& a) {
    const riga_sorgente r = riga_a(d, riga);
    if (id == "keyword-spelling" || id == "unknown-keyword") {
        if (colonna != r.colonna_chiave) return std::nullopt;
        da = r.colonna_chiave;
        a = da + r.lunghezza_chiave;
        if (id == "keyword-spelling") {
            for (const auto* k : r.righe)
                if (const std::string g = grafia_attesa(k->tipo, r.chiave); !g.empty())
                    return std::pair{u8(g), "Write '" + u8(g) + "'"};
            return std::nullopt;
        }
        if (const auto g = forse(d, riga, r.chiave)) return std::pair{u8(*g), "Did you mean '" + u8(*g) + "'?"};
        return std::nullopt;
    }
    for (const auto& f : r.campi) {
        if (f.colonna != colonna) continue;
        da = f.colonna;
        a = f.colonna + f.lunghezza;
        if (id == "not-an-integer") {
            const std::string v = std::to_string(static_cast<std::int64_t>(arrotonda_pari(f.valore)));
            return std::pair{v, "Write " + v + ", the integer it is read as"};
        }
        if (id == "off-grid" && f.campo->cella != cella_di::nessuna) {
            const std::int64_t m = f.campo->cella == cella_di::punto ? inizio_cella(cella_di_metri(f.valore))
                                                                     : std::int64_t{clng(f.valore / 50.0)} * 50;
            return std::pair{std::to_string(m), "Write " + std::to_string(m) + ", the position it is read as"};
        }
    }
    return std::nullopt;
}

}  // namespace

json azioni(const documento& d, const json& params) {
    json fuori = json::array();
    const json& contesto = params.value("context", json::object());
    if (!contesto.contains("diagnostics") || !contesto["diagnostics"].is_array()) return fuori;
    for (const json& g : contesto["diagnostics"]) {
        if (!g.is_object() || !g.contains("code") || !g["code"].is_string() || !g.contains("range")) continue;
        punto inizio;
        try {
            inizio = in_punto(g["range"].at("start"));
        } catch (const json::exception&) {
            continue;  // a diagnostic the client made up without a usable start
        }
        const int riga = inizio.riga, colonna = inizio.colonna;
        if (riga < 0 || static_cast<std::size_t>(riga) >= d.righe.size()) continue;
        int da = 0, a = 0;
        const auto c = correzione(d, g["code"].get<std::string>(), riga, colonna, da, a);
        if (!c) continue;
        json modifica = {{"range", intervallo(riga, da, a)}, {"newText", c->first}};
        fuori.push_back({{"title", c->second},
                         {"kind", "quickfix"},
                         {"diagnostics", json::array({g})},
                         {"isPreferred", true},
                         {"edit", {{"changes", {{d.uri, json::array({modifica})}}}}}});
    }
    return fuori;
}

}  // namespace valmarena::strumento
