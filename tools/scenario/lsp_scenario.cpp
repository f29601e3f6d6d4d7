// Documents, pairing by the naming rule, and the check of each pair as editor diagnostics.

#include "lsp_scenario.h"

#include <algorithm>
#include <system_error>

#include "comune.h"
#include "compiler/compilatore.h"
#include "compiler/errori.h"
#include "platform/file_ospite.h"
#include "rapporto.h"
#include "sources/codifica.h"

namespace valmarena::strumento {

using nlohmann::json;

namespace {

std::string in_u8(const std::filesystem::path& p) {
    const std::u8string u = p.u8string();
    return std::string(u.begin(), u.end());
}

std::filesystem::path da_u8(const std::string& t) { return std::filesystem::path(std::u8string(t.begin(), t.end())); }

}  // namespace

// The one adapter from the check's diagnostics list to the editor's diagnostics.
std::vector<voce_editor> voci_di_check(const scenario& s, const std::filesystem::path& linea,
                                       const std::filesystem::path& treno, bool severo) {
    const std::string nome_linea = cammino_in_testo(linea), nome_treno = cammino_in_testo(treno);
    auto rango = [&](const std::string& file) { return file == nome_linea ? 0 : file == nome_treno ? 1 : 2; };
    std::vector<voce_editor> voci;
    for (const auto& r : rapporto_ordinato(s, nome_linea, nome_treno, severo)) {
        voce_editor v{r.s.id, r.errore(), rango(r.s.file), r.s.riga, r.s.colonna, r.s.messaggio, {}};
        for (const auto& c : r.s.correlate)
            if (const int k = rango(c.file); k < 2) {
                v.altra = voce_editor::altra_riga{k == 0 ? linea : treno, c.riga, c.testo};
                break;
            }
        voci.push_back(std::move(v));
    }
    return voci;
}

genere_file genere_di(const std::filesystem::path& p) {
    const std::string n = in_u8(p.filename());
    if (n.size() > 10 && finisce_con(n, "_linea.txt")) return genere_file::linea;
    if (n.size() > 5 && finisce_con(n, "-.txt") && n.find('_') != std::string::npos) return genere_file::treno;
    return genere_file::altro;
}

json intervallo(int riga, int da, int a) {
    return {{"start", {{"line", riga}, {"character", da}}}, {"end", {{"line", riga}, {"character", a}}}};
}

namespace {

// The range of a report line on its document: the keyword or the field that starts at its
// column, else the text from there to the next comma; the whole line without a column.
json intervallo_di(const documento& d, int riga, int colonna) {
    if (riga <= 0 || static_cast<std::size_t>(riga) > d.righe.size()) return intervallo(0, 0, 0);
    const std::string_view t = d.righe[static_cast<std::size_t>(riga - 1)];
    const int l = riga - 1;
    const int lunga = static_cast<int>(t.size());
    if (colonna <= 0) {
        const std::size_t da = t.find_first_not_of(" \t");
        return intervallo(l, da == std::string_view::npos ? 0 : static_cast<int>(da), lunga);
    }
    const int c = std::min(colonna - 1, lunga);
    const file_righe f = d.genere == genere_file::linea ? file_righe::linea : file_righe::treno;
    const riga_sorgente r = analizza_riga(t, f, d.generali[static_cast<std::size_t>(l)]);
    if (c == r.colonna_chiave && r.lunghezza_chiave > 0) return intervallo(l, c, c + r.lunghezza_chiave);
    for (const auto& campo : r.campi)
        if (campo.colonna == c && campo.lunghezza > 0) return intervallo(l, c, c + campo.lunghezza);
    std::size_t a = t.find(',', static_cast<std::size_t>(c));
    if (a == std::string_view::npos) a = t.size();
    while (a > static_cast<std::size_t>(c) && (t[a - 1] == ' ' || t[a - 1] == '\t')) --a;
    return intervallo(l, c, std::max(static_cast<int>(a), std::min(c + 1, lunga)));
}

json diagnostica_lsp(const json& range, bool errore, const std::string& id, const std::string& messaggio) {
    return {{"range", range}, {"severity", errore ? 1 : 2}, {"code", id}, {"source", "scenario"}, {"message", messaggio}};
}

json mancanti_lsp(const documento& d) {
    json a = json::array();
    for (const auto& m : d.testo.mancanti)
        a.push_back(diagnostica_lsp(intervallo(m.riga, m.colonna, m.colonna + m.unita), true, "not-windows-1252",
                                    "the text " + m.difetto));
    return a;
}

void rinnova(documento& d, int versione, std::string_view utf8) {
    d.versione = versione;
    d.testo = in_1252(utf8);
    d.righe = righe_di(d.testo.byte);
    d.generali = righe_generali(d.righe, d.genere == genere_file::linea ? file_righe::linea : file_righe::treno);
}

std::optional<std::string> leggi_disco(const std::filesystem::path& p) {
    std::string causa;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(p, ec)) return std::nullopt;
    return carica_file(p, causa);
}

}  // namespace

documento* scenari::aperto(const std::filesystem::path& p) {
    for (auto& [uri, d] : documenti_)
        if (d.cammino == p) return &d;
    return nullptr;
}

const documento* scenari::trova(const std::string& uri) const {
    const auto it = documenti_.find(uri);
    return it == documenti_.end() ? nullptr : &it->second;
}

json scenari::pubblica(documento& d, json diagnostiche) {
    d.diagnostiche = std::move(diagnostiche);
    return {{"uri", d.uri}, {"version", d.versione}, {"diagnostics", d.diagnostiche}};
}

pubblicazioni scenari::apri(const std::string& uri, int versione, std::string_view utf8) {
    auto it = documenti_.find(uri);
    if (it == documenti_.end()) {
        documento d;
        d.uri = uri;
        d.cammino = cammino_da_uri(uri).value_or(std::filesystem::path());
        d.genere = d.cammino.empty() ? genere_file::altro : genere_di(d.cammino);
        it = documenti_.emplace(uri, std::move(d)).first;
    }
    rinnova(it->second, versione, utf8);
    return controlla(it->second);
}

pubblicazioni scenari::salvato(const std::string& uri) {
    const auto it = documenti_.find(uri);
    return it == documenti_.end() ? pubblicazioni{} : controlla(it->second);
}

pubblicazioni scenari::chiudi(const std::string& uri) {
    const auto it = documenti_.find(uri);
    if (it == documenti_.end()) return {};
    pubblicazioni fuori{{{"uri", uri}, {"diagnostics", json::array()}}};
    const documento chiuso = std::move(it->second);
    documenti_.erase(it);
    // The partners now read the closed file from the disk.
    for (auto& [u, d] : documenti_) {
        if (d.cammino.parent_path() != chiuso.cammino.parent_path() || d.genere == genere_file::altro) continue;
        for (auto& p : controlla(d)) fuori.push_back(std::move(p));
    }
    return fuori;
}

pubblicazioni scenari::controlla(const documento& d) {
    if (d.genere == genere_file::treno) return controlla_treno(d);
    if (d.genere == genere_file::linea) return controlla_linea(d);
    return {};
}

namespace {

// The line files a train file ROUTE_TRAIN-.txt may belong to: ROUTE cut at each '_' of its name.
std::vector<std::pair<std::filesystem::path, std::string>> linee_possibili(const std::filesystem::path& treno) {
    const std::string n = in_u8(treno.filename());
    const std::string radice = n.substr(0, n.size() - 5);
    std::vector<std::pair<std::filesystem::path, std::string>> v;
    for (std::size_t i = radice.find('_'); i != std::string::npos && i + 1 < radice.size(); i = radice.find('_', i + 1))
        if (i > 0) v.emplace_back(treno.parent_path() / da_u8(radice.substr(0, i) + "_linea.txt"), radice.substr(0, i));
    return v;
}

}  // namespace

pubblicazioni scenari::controlla_treno(const documento& treno) {
    pubblicazioni fuori;
    documento& t = *aperto(treno.cammino);
    const auto possibili = linee_possibili(t.cammino);
    for (const auto& [linea, percorso] : possibili) {
        documento* l = aperto(linea);
        std::optional<std::string> testo = l ? std::optional<std::string>(l->testo.byte) : leggi_disco(linea);
        if (!testo) continue;
        verifica(linea, t.cammino, *testo, t.testo.byte, l, &t, fuori);
        return fuori;
    }
    std::string cercate;
    for (const auto& p : possibili) cercate += (cercate.empty() ? "'" : " or '") + in_u8(p.first.filename()) + "'";
    if (cercate.empty()) cercate = "ROUTE_linea.txt";
    json a = mancanti_lsp(t);
    a.push_back(diagnostica_lsp(intervallo(0, 0, 0), true, "no-line-file",
                                "no line file for this train file: looked for " + cercate + " in its folder"));
    fuori.push_back(pubblica(t, std::move(a)));
    return fuori;
}

pubblicazioni scenari::controlla_linea(const documento& linea) {
    pubblicazioni fuori;
    documento& l = *aperto(linea.cammino);
    // Every open train file of this line is checked again, each publishing the line file too.
    std::vector<documento*> treni;
    for (auto& [u, d] : documenti_)
        if (d.genere == genere_file::treno) {
            const auto possibili = linee_possibili(d.cammino);
            if (std::any_of(possibili.begin(), possibili.end(), [&](const auto& p) { return p.first == l.cammino; }))
                treni.push_back(&d);
        }
    for (documento* t : treni) verifica(l.cammino, t->cammino, l.testo.byte, t->testo.byte, &l, t, fuori);
    if (!treni.empty()) return fuori;
    // No train file open: one from the folder, else the line file alone.
    const std::string prefisso = in_u8(l.cammino.filename()).substr(0, in_u8(l.cammino.filename()).size() - 9);
    std::vector<std::filesystem::path> su_disco;
    std::error_code ec;
    for (std::filesystem::directory_iterator i(l.cammino.parent_path(), ec), fine; !ec && i != fine; i.increment(ec)) {
        const std::string n = in_u8(i->path().filename());
        if (n.size() > prefisso.size() + 5 && n.rfind(prefisso, 0) == 0 && finisce_con(n, "-.txt"))
            su_disco.push_back(i->path());
    }
    std::sort(su_disco.begin(), su_disco.end());
    for (const auto& p : su_disco)
        if (auto testo = leggi_disco(p)) {
            verifica(l.cammino, p, l.testo.byte, *testo, &l, nullptr, fuori);
            return fuori;
        }
    verifica(l.cammino, l.cammino.parent_path() / da_u8(prefisso + "-.txt"), l.testo.byte, std::string(), &l, nullptr,
             fuori);
    return fuori;
}

void scenari::verifica(const std::filesystem::path& linea, const std::filesystem::path& treno,
                       const std::string& testo_linea, const std::string& testo_treno, documento* doc_linea,
                       documento* doc_treno, pubblicazioni& fuori) {
    const std::string nome_l = in_u8(linea.filename()), nome_t = in_u8(treno.filename());
    const std::string percorso = nome_l.substr(0, nome_l.size() - 10);
    scenario s;
    s.nome_percorso = da_utf8_a_1252(percorso);
    s.nome_treno = nome_t.size() > percorso.size() + 6 ? da_utf8_a_1252(nome_t.substr(percorso.size() + 1, nome_t.size() - percorso.size() - 6))
                                                       : std::string("?");
    s.continua_dopo_errori = true;
    const sorgenti src{linea, treno, false, testo_linea, testo_treno};
    const esito_compilazione e = compila_in_memoria(s, tracciato_si_no::con, src);

    json per_linea = doc_linea ? mancanti_lsp(*doc_linea) : json::array();
    json per_treno = doc_treno ? mancanti_lsp(*doc_treno) : json::array();
    auto documento_di = [&](int rango) -> documento* {
        if (rango == 0) return doc_linea;
        return doc_treno ? doc_treno : rango == 2 ? doc_linea : nullptr;
    };
    for (const auto& v : voci_di_check(s, linea, treno, severo)) {
        documento* d = documento_di(v.rango_file);
        if (!d) continue;
        json j = diagnostica_lsp(intervallo_di(*d, v.riga, v.colonna), v.errore, v.id, v.messaggio);
        if (v.altra) {
            const documento* altro = aperto(v.altra->file);
            j["relatedInformation"] = json::array(
                {{{"location",
                   {{"uri", altro ? altro->uri : uri_da_cammino(v.altra->file)},
                    {"range", altro ? intervallo_di(*altro, v.altra->riga, 0) : intervallo(v.altra->riga - 1, 0, 0)}}},
                  {"message", v.altra->messaggio}}});
        }
        (d == doc_linea ? per_linea : per_treno).push_back(std::move(j));
    }
    if (e.fatale != errore_fatale::nessuno && (doc_treno || doc_linea))
        (doc_treno ? per_treno : per_linea)
            .push_back(diagnostica_lsp(intervallo(0, 0, 0), true, "fatal-" + codice_fatale(e.fatale),
                                       "fatal error " + codice_fatale(e.fatale) +
                                           ": a reserved slot was already taken" +
                                           (e.causa_fatale.empty() ? "" : ": " + e.causa_fatale)));
    const chilometri km(s.tabella);
    if (doc_linea) {
        doc_linea->km = km;
        fuori.push_back(pubblica(*doc_linea, std::move(per_linea)));
    }
    if (doc_treno) {
        doc_treno->km = km;
        fuori.push_back(pubblica(*doc_treno, std::move(per_treno)));
    }
}

}  // namespace valmarena::strumento
