// Row and encoding diagnostics for authors.

#include "diagnosi.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <span>

#include "../sources/carico.h"
#include "../sources/codifica.h"
#include "../records/arrotonda.h"
#include "chilometri.h"
#include "lettura_comune.h"
#include "suggerimenti.h"

namespace valmarena {

namespace {

void avverti(scenario& s, const lettore_token& in, luogo dove, const char* tipo, std::string testo,
             std::vector<riga_correlata> correlate = {}) {
    diagnostica d = diagnostica_in(in.nome_file(), dove, std::move(testo));
    d.tipo = tipo;
    d.correlate = std::move(correlate);
    registra_avvertimento(s, std::move(d));
}

// The bytes a table entry's name can hold: a longer text cannot be written.
constexpr std::size_t testo_massimo = 0xFFFF;

// The text of line `riga`'s first field, from a field's text that points into the whole text.
std::string_view primo_campo_della_riga(const lettore_token& in, std::string_view campo) {
    const std::string& t = in.tutto();
    std::size_t i = static_cast<std::size_t>(campo.data() - t.data());
    if (i > t.size()) return {};
    while (i > 0 && t[i - 1] != '\n' && t[i - 1] != '\r') --i;
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
    std::size_t f = i;
    while (f < t.size() && t[f] != ',' && t[f] != '\r' && t[f] != '\n') ++f;
    while (f > i && (t[f - 1] == ' ' || t[f - 1] == '\t')) --f;
    return std::string_view(t).substr(i, f - i);
}

// The row a line's first field is read as, when it is a keyword of the file.
const descrizione_riga* riga_della_chiave(file_righe f, bool generale, std::string_view chiave) {
    auto righe = righe_riconosciute(f, generale, chiave);
    if (righe.empty()) righe = righe_riconosciute(f, !generale, chiave);
    return righe.empty() ? nullptr : righe.front();
}

// The fields of a row read as one or more kinds, in the order the reader asks for them.
std::vector<std::pair<const campo_riga*, const descrizione_riga*>> campi_attesi(
    const std::vector<const descrizione_riga*>& righe) {
    std::vector<std::pair<const campo_riga*, const descrizione_riga*>> c;
    for (const auto* d : righe)
        for (const auto& f : d->campi) c.emplace_back(&f, d);
    return c;
}

std::string con_unita(std::int64_t v, const campo_riga& c) {
    std::string t = std::to_string(v);
    if (*c.unita) t += std::string(" ") + c.unita;
    return t;
}

std::string nome_riga(const descrizione_riga& d) { return "'" + std::string(d.canonica) + "'"; }

// A route position's kilometre post: the line's references are in the table once its [generale]
// has been read, before any feature row.
std::string cippo(const scenario& s, std::int64_t metri) { return km_cippo(chilometri(s.tabella).progressiva(metri)); }

// A field's value rounded as the reader takes it: a plain integer is already whole.
double arrotondato(const campo_letto& f) { return f.non_intero ? arrotonda_pari(f.valore) : f.valore; }
std::int64_t intero_di(const campo_letto& f) { return static_cast<std::int64_t>(arrotondato(f)); }

// Whether a rounded value fits in the width it is read into.
bool entra_nella_larghezza(double r, larghezza l) {
    switch (l) {
    case larghezza::byte_: return r >= 0.0 && r <= 255.0;
    case larghezza::intero: return r >= -32768.0 && r <= 32767.0;
    case larghezza::long_: return r >= -2147483648.0 && r <= 2147483647.0;
    case larghezza::testo: return true;
    }
    return true;
}

bool fuori_griglia(const campo_riga& c, std::int64_t v) {
    return c.griglia != 0 && !c.griglia_errore && v % c.griglia != 0;
}

void griglia(scenario& s, const lettore_token& in, const campo_letto& f, const campo_riga& c,
             const descrizione_riga& d, std::int64_t v) {
    std::string m = "field '" + std::string(c.nome) + "' of the " + nome_riga(d) + " row is " + con_unita(v, c) +
                    ", not a multiple of " + std::to_string(c.griglia);
    if (c.cella == cella_di::punto) {
        const std::int64_t k = cella_di_metri(static_cast<double>(v));
        m += ": the feature lands at " + std::to_string(inizio_cella(k)) + " m (" + cippo(s, inizio_cella(k)) + ", cell " +
             std::to_string(k) + ")";
    } else if (c.cella == cella_di::tratto) {
        const std::int64_t k = clng(static_cast<double>(v) / 50.0);
        m += ": it takes effect at " + std::to_string(k * 50) + " m (" + cippo(s, k * 50) + ", cell " + std::to_string(k) + ")";
    }
    avverti(s, in, f.dove, "off-grid", m);
}

// A text field longer than a table entry holds: compile refuses to write the table.
void lunghezza_testo(scenario& s, const lettore_token& in, const campo_letto& f, const campo_riga& c,
                     const descrizione_riga& d) {
    std::size_t n = f.grezzo.size();
    if (!f.grezzo.empty() && f.grezzo.front() == '"') n -= f.grezzo.size() >= 2 && f.grezzo.back() == '"' ? 2 : 1;
    if (n <= testo_massimo) return;
    avverti(s, in, f.dove, "text-too-long",
            "field '" + std::string(c.nome) + "' of the " + nome_riga(d) + " row is " + std::to_string(n) +
                " bytes long, more than the " + std::to_string(testo_massimo) +
                " a table entry holds: compile cannot write the scenario table");
}

void non_intero(scenario& s, const lettore_token& in, const campo_letto& f, const campo_riga& c,
                const descrizione_riga& d, std::int64_t v) {
    avverti(s, in, f.dove, "not-an-integer",
            "field '" + std::string(c.nome) + "' of the " + nome_riga(d) + " row holds '" + citazione(f.grezzo) +
                "', which is not an integer: it reads as " + std::to_string(v));
}

void fuori_intervallo(scenario& s, const lettore_token& in, const campo_letto& f, const campo_riga& c,
                      const descrizione_riga& d, std::int64_t v) {
    avverti(s, in, f.dove, "out-of-range",
            "field '" + std::string(c.nome) + "' of the " + nome_riga(d) + " row is " + con_unita(v, c) +
                ", outside " + std::to_string(c.minimo) + " to " + con_unita(c.massimo, c));
}

// Most fields, told at once: a plain integer inside the field's range and on its grid (a number
// field's text holds no line end, so no quote runs over lines from it either).
bool nulla_da_dire(const campo_letto& f, const campo_riga& c) {
    if (!f.numerico || f.non_intero) return false;
    const auto v = static_cast<std::int64_t>(f.valore);
    return v >= c.minimo && v <= c.massimo && !fuori_griglia(c, v);
}

// A field held against its description: nothing is built unless there is something to say.
void campo(scenario& s, const lettore_token& in, const campo_letto& f, const campo_riga& c, const descrizione_riga& d) {
    if (c.tipo == larghezza::testo) {
        lunghezza_testo(s, in, f, c, d);
        return;
    }
    if (!f.numerico || f.grezzo.empty()) return;
    const double r = arrotondato(f);
    if (!entra_nella_larghezza(r, c.tipo)) return;  // the reader records error 25 for it
    const auto v = static_cast<std::int64_t>(r);
    // A decimal point is read as one, and the value rounded into the field.
    if (f.non_intero) non_intero(s, in, f, c, d, v);
    if (v < c.minimo || v > c.massimo) {
        fuori_intervallo(s, in, f, c, d, v);
        return;
    }
    if (fuori_griglia(c, v)) griglia(s, in, f, c, d, v);
}

// Rows whose fields must agree with each other.
void tra_campi(scenario& s, const lettore_token& in, std::span<const campo_letto> campi, const descrizione_riga& d,
               std::size_t primo) {
    if (d.tipo == tipo_riga::montagna && campi.size() >= primo + 2) {
        const double a = campi[primo].valore, e = campi[primo + 1].valore;
        if (e <= a)
            avverti(s, in, campi[primo + 1].dove, "out-of-range",
                    "the 'montagna' row ends at " + std::to_string(static_cast<std::int64_t>(e)) +
                        " m, not after its start at " + std::to_string(static_cast<std::int64_t>(a)) + " m");
    }
}

std::string in_metri(std::int64_t v) { return std::to_string(v) + " m"; }

// A position with its kilometre post: "15400 m (km 36+000)".
std::string in_metri(const scenario& s, std::int64_t v) { return in_metri(v) + " (" + cippo(s, v) + ")"; }

// A field whose unit is the metre.
bool in_metri_(const campo_riga& c) { return c.unita[0] == 'm' && c.unita[1] == '\0'; }

// A position past the route length but inside the cells that reach beyond it: the reader places
// the feature there. A slowdown or mountain stretch that starts on the route may end past it.
void posizione_oltre(scenario& s, const lettore_token& in, const descrizione_riga& d, luogo dove, std::int64_t p,
                     std::int64_t fine) {
    avverti(s, in, dove, "beyond-route",
            "field '" + std::string(d.campi.front().nome) + "' of the " + nome_riga(d) + " row is " + in_metri(s, p) +
                ", beyond the route's end at " + in_metri(fine) +
                " (the route length): the feature is placed in the cells that reach past the end");
}

void termine_oltre(scenario& s, const lettore_token& in, const descrizione_riga& d, luogo dove, std::int64_t p,
                   std::int64_t termine, std::int64_t fine) {
    avverti(s, in, dove, "beyond-route",
            "the " + nome_riga(d) + " row starts at " + in_metri(s, p) + " and ends at " + in_metri(termine) +
                ", beyond the route's end at " + in_metri(fine) + " (the route length)");
}

void oltre_la_fine(scenario& s, const lettore_token& in, std::span<const campo_letto> campi, const descrizione_riga& d,
                   std::size_t primo) {
    if (d.generale || d.campi.empty() || !in_metri_(d.campi.front()) || s.celle.empty()) return;
    if (campi.size() <= primo) return;
    const std::int64_t fine = s.tabella[voce_misure].fine;
    const std::int64_t p = intero_di(campi[primo]);
    if (p > fine) {
        const int margine = d.tipo == tipo_riga::stazione ? 800 : 100;
        if (dentro_percorso(s, p, margine)) posizione_oltre(s, in, d, campi[primo].dove, p, fine);  // else error 15
        return;
    }
    std::int64_t termine = 0;
    if (d.tipo == tipo_riga::rallentamento && campi.size() > primo + 2)
        termine = p + intero_di(campi[primo + 2]);
    else if (d.tipo == tipo_riga::montagna && campi.size() > primo + 1)
        termine = intero_di(campi[primo + 1]);
    if (termine > fine) termine_oltre(s, in, d, campi[primo].dove, p, termine, fine);
}

std::string valore_con_unita(std::int64_t v, const campo_riga& c) {
    return *c.unita ? std::to_string(v) + " " + c.unita : std::string(c.nome) + " " + std::to_string(v);
}

// Speed-limit and adhesion rows fill the cells from a pointer up to their own position: a row
// whose position goes back leaves the previous row's value one cell, or none.
void ordine(scenario& s, const lettore_token& in, std::span<const campo_letto> campi, const riga_letta& r,
            tratti_letti& tratti, const descrizione_riga& d, std::size_t primo) {
    if (campi.size() < primo + 2) return;
    tratto_letto& t = d.tipo == tipo_riga::velocita ? tratti.velocita : tratti.aderenza;
    const std::int64_t a = intero_di(campi[primo]);
    const std::int64_t v = intero_di(campi[primo + 1]);
    if (!dentro_percorso(s, a, 100)) return;  // error 15: the reading ends there
    const std::int64_t cella = clng(static_cast<double>(a) / 50.0);
    const std::int64_t puntatore = t.puntatore;
    if (t.visto && a < t.posizione) {
        const campo_riga& c = d.campi[1];
        std::string m = "the " + nome_riga(d) + " row at " + in_metri(s, a) + " comes after the one at " +
                        in_metri(t.posizione) + " on line " + std::to_string(t.riga) +
                        ": positions must increase. The " + valore_con_unita(t.valore, c) + " of line " +
                        std::to_string(t.riga);
        if (cella > 0)
            m += " holds only in cell " + std::to_string(puntatore) + " (" + in_metri(puntatore * 50) + "), and this row's " +
                 valore_con_unita(v, c) + " from " + in_metri((puntatore + 1) * 50) + " (cell " +
                 std::to_string(puntatore + 1) + ") on, not from " + in_metri(a);
        else
            m += " is never applied, and this row's " + valore_con_unita(v, c) + " holds from " +
                 in_metri(puntatore * 50) + " (cell " + std::to_string(puntatore) + ") on";
        avverti(s, in, campi[primo].dove, "position-goes-back", m,
                {{in.nome_file(), t.riga, 0, "the previous " + nome_riga(d) + " row"}});
    }
    if (cella > 0) t.puntatore = std::max(puntatore + 1, cella);
    t = {true, t.puntatore, a, v, r.dove.riga};
}

// A quoted field that does not close on its line takes the lines up to its closing quote (or to
// the end of the file): the rows there are not read.
void virgolette(scenario& s, const lettore_token& in, const riga_letta& r, const campo_letto& f, const campo_riga& c,
                const descrizione_riga& d) {
    std::string_view g = f.grezzo;
    if (g.empty() || g.front() != '"' || g.find_first_of("\r\n") == std::string_view::npos) return;
    const bool chiusa = g.size() >= 2 && g.back() == '"';
    // The end of the last line is not a line of its own.
    while (!chiusa && !g.empty() && (g.back() == '\n' || g.back() == '\r')) g.remove_suffix(1);
    int riga = f.dove.riga;
    std::size_t inizio_riga = 0;
    std::vector<std::pair<std::string, int>> righe;  // the rows swallowed, by kind
    for (std::size_t i = 0; i < g.size(); ++i) {
        if (g[i] != '\n' && g[i] != '\r') continue;
        if (g[i] == '\r' && i + 1 < g.size() && g[i + 1] == '\n') ++i;
        ++riga;
        inizio_riga = i + 1;
        if (const descrizione_riga* k = riga_della_chiave(r.file, r.generale, primo_campo_della_riga(in, g.substr(i + 1)))) {
            auto it = std::find_if(righe.begin(), righe.end(), [&](const auto& x) { return x.first == k->canonica; });
            if (it == righe.end()) righe.emplace_back(k->canonica, 1);
            else ++it->second;
        }
    }
    std::string m = "field '" + std::string(c.nome) + "' of the " + nome_riga(d) + " row opens a quote at line " +
                    std::to_string(f.dove.riga) + ", column " + std::to_string(f.dove.colonna) + " that runs past its line end ";
    m += chiusa ? "to its closing quote at line " + std::to_string(riga) + ", column " +
                      std::to_string(g.size() - inizio_riga)
                : std::string("and is never closed: it runs to the end of the file");
    m += riga == f.dove.riga + 1 ? ", so line " + std::to_string(riga) + " is part of it"
                                  : ", so lines " + std::to_string(f.dove.riga + 1) + " to " + std::to_string(riga) +
                                        " are part of it";
    if (righe.empty()) {
        m += " (no row among them)";
    } else {
        m += " and their rows are not read (";
        for (std::size_t i = 0; i < righe.size(); ++i)
            m += (i ? ", " : "") + std::to_string(righe[i].second) + " '" + righe[i].first + "'";
        m += ")";
    }
    avverti(s, in, f.dove, "quote-spans-lines", m);
}

// "'curvaz4' is read as a right curve of class 4 ('curvad4')" for each row whose keyword is not
// written as it should be.
std::vector<std::string> grafie_sbagliate(std::string_view token, const std::vector<const descrizione_riga*>& righe) {
    std::vector<std::string> g;
    for (const auto* d : righe) {
        const std::string attesa = grafia_attesa(d->tipo, token);
        if (attesa.empty()) continue;
        std::string m = "'" + citazione(token) + "' is read as ";
        if (d->tipo == tipo_riga::curva)
            m += std::string(attesa[5] == 's' ? "a left" : "a right") + " curve of class " + attesa.substr(6) + " ('" +
                 attesa + "')";
        else
            m += "'" + citazione(attesa) + "'";
        g.push_back(std::move(m));
    }
    return g;
}

void chiave(scenario& s, const lettore_token& in, const riga_letta& r, const lettura_chiave& k) {
    for (const auto& m : k.grafie) avverti(s, in, r.dove, "keyword-spelling", m);
    if (!r.primo_della_riga)
        avverti(s, in, r.dove, "keyword-after-row",
                "'" + citazione(r.token) + "' follows the end of a row on its line and is read as a " +
                    nome_riga(*k.righe.front()) + " row");
}

bool cifra(char c) { return c >= '0' && c <= '9'; }

// A row with values left over that holds "7,5" (a digit, a comma, a digit, no blank): a number
// written with a decimal comma, which the reader takes as two fields.
bool virgola_decimale(scenario& s, const lettore_token& in, std::span<const campo_letto> campi, luogo resto_dove,
                      std::string_view resto) {
    struct pezzo {
        luogo dove;
        std::string_view testo;
    };
    std::vector<pezzo> pezzi;
    for (const auto& c : campi)
        if (c.numerico && c.dove.riga == resto_dove.riga) pezzi.push_back({c.dove, c.grezzo});
    pezzi.push_back({resto_dove, resto});
    for (std::size_t i = 0; i + 1 < pezzi.size(); ++i) {
        const pezzo& a = pezzi[i];
        const pezzo& b = pezzi[i + 1];
        if (a.testo.empty() || b.testo.empty() || !cifra(a.testo.back()) || !cifra(b.testo.front())) continue;
        if (b.dove.colonna != a.dove.colonna + static_cast<int>(a.testo.size()) + 1) continue;
        std::size_t n = 0;
        while (n < b.testo.size() && cifra(b.testo[n])) ++n;
        const std::string numero = std::string(a.testo) + "," + std::string(b.testo.substr(0, n));
        avverti(s, in, a.dove, "decimal-comma",
                "'" + numero + "' looks like a number with a decimal comma: fields are separated by commas, so it "
                "reads as two fields, " + std::string(a.testo) + " and " + std::string(b.testo.substr(0, n)) +
                    ", and the values after them move one field on ('" + citazione(resto) + "' is left over)");
        return true;
    }
    return false;
}

// Field i, and those after it, read from a line after the row's own.
void riga_corta(scenario& s, const lettore_token& in, const riga_letta& r,
                const std::vector<std::pair<const campo_riga*, const descrizione_riga*>>& attesi, std::size_t i) {
    const auto& campi = in.campi();
    const int riga = in.riga_della_chiave();
    std::string m = "the " + nome_riga(*attesi[i].second) + " row has " + std::to_string(i) + " of its " +
                    std::to_string(attesi.size()) + " fields on line " + std::to_string(riga) + ": field '" +
                    attesi[i].first->nome + "'" + (i + 1 < attesi.size() ? " and those after it are" : " is") +
                    " read from line " + std::to_string(campi[i].dove.riga) + " ('" +
                    citazione(campi[i].grezzo) + "')";
    const int altra = campi[i].dove.riga;
    const std::string_view chiave = primo_campo_della_riga(in, campi[i].grezzo);
    std::vector<riga_correlata> correlate;
    if (const descrizione_riga* k = riga_della_chiave(r.file, r.generale, chiave)) {
        m += ", so the " + nome_riga(*k) + " row of line " + std::to_string(altra) + " is not read as a row of its own";
        correlate.push_back({in.nome_file(), altra, campi[i].dove.colonna,
                             "the " + nome_riga(*k) + " row whose fields are taken"});
    } else {
        correlate.push_back({in.nome_file(), altra, campi[i].dove.colonna, "the line whose fields are taken"});
    }
    avverti(s, in, r.dove, "short-row", m, std::move(correlate));
}

// `sulla_riga`: how many of the fields read stand on the row's own line, up to the expected ones.
void conteggio(scenario& s, const lettore_token& in, std::span<const campo_letto> campi, const riga_letta& r,
               const std::vector<std::pair<const campo_riga*, const descrizione_riga*>>& attesi,
               std::size_t sulla_riga) {
    if (sulla_riga < campi.size() && sulla_riga < attesi.size()) {
        riga_corta(s, in, r, attesi, sulla_riga);
        return;
    }
    if (campi.size() < attesi.size()) return;
    const std::string_view resto = in.resto_della_riga();
    if (resto.empty() || in.fine()) return;
    const campo_riga& ultimo = *attesi.back().first;
    const luogo dove = in.luogo_del_resto();
    // Only rows of a few numbers: signal and station rows write some fields without blanks.
    if (attesi.size() <= 3 && ultimo.tipo != larghezza::testo && virgola_decimale(s, in, campi, dove, resto)) return;
    if (ultimo.tipo == larghezza::testo)
        avverti(s, in, dove, "extra-values",
                "field '" + std::string(ultimo.nome) + "' of the " + nome_riga(*attesi.back().second) +
                    " row stops at a comma: '" + citazione(resto) + "' is not part of it and is read as further rows");
    else
        avverti(s, in, dove, "extra-values",
                "values after the last field '" + std::string(ultimo.nome) + "' of the " +
                    nome_riga(*attesi.back().second) + " row are ignored: '" + citazione(resto) + "'");
}

// Where a keyword that is not read here would be read: the other section or the other file.
std::string altrove(const riga_letta& r) {
    const bool linea = r.file == file_righe::linea;
    if (linea && !righe_riconosciute(file_righe::linea, !r.generale, r.token).empty())
        return r.generale ? " of the [generale] section (a feature row there: put a header such as [curve] before it)"
                          : " after the [generale] section (a general row belongs inside it)";
    const file_righe altro = linea ? file_righe::treno : file_righe::linea;
    if (!righe_riconosciute(altro, false, r.token).empty() || !righe_riconosciute(altro, true, r.token).empty())
        return linea ? " of the line file (it is a train-file row)" : " of the train file (it is a line-file row)";
    return {};
}

bool ignota_da_segnalare(const riga_letta& r) {
    const std::string_view t = r.token;
    if (!r.primo_della_riga || t.empty()) return false;
    if (t.front() == '[' && t.back() == ']') return false;
    return t.find_first_not_of("0123456789+-. ") != std::string_view::npos;
}

}  // namespace

std::string citazione(std::string_view testo) {
    // A message stays one readable line however long the text it quotes.
    constexpr std::size_t massimo = 80;
    std::string t;
    for (char c : testo.substr(0, massimo)) {
        if (c == '\t')
            t += "<TAB>";
        else
            t += c;
    }
    t = da_1252_a_utf8(t);
    if (testo.size() > massimo) t += "... (" + std::to_string(testo.size()) + " bytes in all)";
    return t;
}

lettura_chiave leggi_chiave(file_righe f, bool generale, std::string_view token) {
    lettura_chiave k;
    k.righe = righe_riconosciute(f, generale, token);
    k.attesi = campi_attesi(k.righe);
    k.grafie = grafie_sbagliate(token, k.righe);
    k.punti_e_virgola = token.find(';') != std::string_view::npos;
    return k;
}

void diagnostica_riga(scenario& s, const lettore_token& in, const riga_letta& r, const lettura_chiave& k,
                      tratti_letti& tratti) {
    const auto& righe = k.righe;
    const bool punti_e_virgola = k.punti_e_virgola;
    if (righe.empty()) {
        if (!ignota_da_segnalare(r)) return;
        if (punti_e_virgola) {
            avverti(s, in, r.dove, "semicolons",
                    "'" + citazione(r.token) + "' is written with semicolons: fields are separated by commas, so "
                    "the line is one keyword that matches no row, and it is passed over");
            return;
        }
        const std::string dove = altrove(r);
        const std::string forse = dove.empty() ? forse_intendevi(r.file, r.generale, r.token) : std::string();
        avverti(s, in, r.dove, "unknown-keyword",
                "'" + citazione(r.token) + "' matches no keyword" + dove + ": the row is passed over" +
                    (forse.empty() ? "" : "; " + forse));
        return;
    }
    if (punti_e_virgola)
        avverti(s, in, r.dove, "semicolons",
                "'" + citazione(r.token) + "' is written with semicolons: fields are separated by commas, so the "
                "line is one keyword, read as a " + nome_riga(*righe.front()) +
                    " row whose fields are taken from the lines after it");
    else if (!k.grafie.empty() || !r.primo_della_riga)
        chiave(s, in, r, k);
    // A curve row is passed over when no track plan is built; its fields then count as tokens.
    // Both lists taken once: the calls for a warning could otherwise change them, for all the
    // compiler knows, and every use would read them again.
    const std::span<const std::pair<const campo_riga*, const descrizione_riga*>> attesi(k.attesi);
    const std::span<const campo_letto> campi(in.campi());
    // Fields taken from a later line belong to other rows: the short row is reported instead.
    const int riga = in.riga_della_chiave();
    const std::size_t n = std::min(campi.size(), attesi.size());
    std::size_t sulla_riga = 0;
    for (; sulla_riga < n && campi[sulla_riga].dove.riga == riga; ++sulla_riga) {
        const campo_letto& f = campi[sulla_riga];
        if (nulla_da_dire(f, *attesi[sulla_riga].first)) continue;
        campo(s, in, f, *attesi[sulla_riga].first, *attesi[sulla_riga].second);
        if (!f.grezzo.empty() && f.grezzo.front() == '"')
            virgolette(s, in, r, f, *attesi[sulla_riga].first, *attesi[sulla_riga].second);
    }
    std::size_t primo = 0;
    for (const auto* d : righe) {
        if (campi.size() > primo + 1 && campi[primo + 1].dove.riga != riga) break;
        tra_campi(s, in, campi, *d, primo);
        oltre_la_fine(s, in, campi, *d, primo);
        if (d->tipo == tipo_riga::velocita || d->tipo == tipo_riga::aderenza)
            ordine(s, in, campi, r, tratti, *d, primo);
        primo += d->campi.size();
    }
    conteggio(s, in, campi, r, k.attesi, sulla_riga);
}

std::string campo_in_lettura(const lettore_token& in, const riga_letta& r) {
    const auto attesi = campi_attesi(righe_riconosciute(r.file, r.generale, r.token));
    const std::size_t n = in.campi().size();
    if (n == 0 || n > attesi.size()) return {};
    return "field '" + std::string(attesi[n - 1].first->nome) + "' of the " + nome_riga(*attesi[n - 1].second) + " row";
}

void segna_origine(scenario& s, std::int64_t k, origine_cella o) {
    if (!esiste_cella(s, k)) return;
    if (s.origini.size() != s.celle.size()) s.origini.assign(s.celle.size(), {});
    s.origini[static_cast<std::size_t>(k)] = o;
}

namespace {

const char* nome_elemento(std::uint8_t tipo) {
    switch (tipo) {
    case cella_segnale: return "a signal";
    case cella_fine_rallentamento: return "a slowdown's end";
    case cella_inizio_rallentamento: return "a slowdown's start";
    case cella_avviso_rallentamento: return "a slowdown's warning point";
    case cella_numerata: return "a numbered cell before a slowdown's warning point";
    case cella_indicatore: return "a speed-indicator board";
    case cella_fermata: return "a station's stopping point";
    case cella_marcatore_montagna: return "a mountain marker";
    case cella_abbattimento:
    case cella_abbattimento_senza_valore: return "an abatement point";
    case cella_cartello: return "a signboard";
    default: return "a feature";
    }
}

}  // namespace

std::optional<riga_correlata> riga_occupante(const scenario& s, std::int64_t k) {
    if (!esiste_cella(s, k) || cella_a(s, k).tipo == cella_vuota) return std::nullopt;
    const origine_cella o = static_cast<std::size_t>(k) < s.origini.size() ? s.origini[static_cast<std::size_t>(k)]
                                                                             : origine_cella{};
    if (o.file != fonte::linea && o.file != fonte::treno) return std::nullopt;
    return riga_correlata{s.nomi_sorgenti[o.file == fonte::linea ? 0 : 1], o.riga, 0,
                          std::string(nome_elemento(cella_a(s, k).tipo)) + " placed by this row stands in cell " +
                              std::to_string(k)};
}

std::string occupante(const scenario& s, std::int64_t k) {
    if (!esiste_cella(s, k) || cella_a(s, k).tipo == cella_vuota) return {};
    std::string t = "cell " + std::to_string(k) + ", at " + std::to_string(inizio_cella(k)) + " m, already holds " +
                    nome_elemento(cella_a(s, k).tipo);
    const origine_cella o = static_cast<std::size_t>(k) < s.origini.size() ? s.origini[static_cast<std::size_t>(k)]
                                                                             : origine_cella{};
    if (o.file == fonte::linea || o.file == fonte::treno)
        t += " from " + s.nomi_sorgenti[o.file == fonte::linea ? 0 : 1] + ":" + std::to_string(o.riga);
    else if (o.file == fonte::controlli)
        t += " added by the route checks";
    return t;
}

namespace {

// The length of a valid UTF-8 multi-byte sequence at i, or 0.
std::size_t sequenza_utf8(std::string_view t, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(t[k]); };
    const unsigned char c = b(i);
    std::size_t n = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (n == 0 || i + n > t.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
    return n;
}

// The first byte from i on that may begin a multi-byte sequence (0xC2 or more), or the size. A
// source file is mostly ASCII: 64 bytes at a time are passed over while none has its top bit.
std::size_t inizio_possibile(std::string_view t, std::size_t i) {
    constexpr std::uint64_t bit_alti = 0x8080808080808080u;
    for (;;) {
        for (std::uint64_t otto[8]; i + sizeof otto <= t.size(); i += sizeof otto) {
            std::memcpy(otto, t.data() + i, sizeof otto);
            if ((otto[0] | otto[1] | otto[2] | otto[3] | otto[4] | otto[5] | otto[6] | otto[7]) & bit_alti) break;
        }
        for (const std::size_t fine = std::min(i + 64, t.size()); i < fine; ++i)
            if (static_cast<unsigned char>(t[i]) >= 0xC2) return i;
        if (i >= t.size()) return t.size();
    }
}

// The line and column of byte `i`, lines ended as the reader ends them.
luogo luogo_del_byte(std::string_view t, std::size_t i) {
    int riga = 1;
    std::size_t inizio = 0;
    for (confini_riga c = confini_da(t, 0); c.dopo > c.fine && c.dopo <= i; c = confini_da(t, c.dopo)) {
        ++riga;
        inizio = c.dopo;
    }
    return {riga, static_cast<int>(i - inizio) + 1};
}

}  // namespace

void diagnostica_codifica(scenario& s, std::string_view testo, const std::string& nome_file) {
    const bool bom = testo.substr(0, 3) == "\xEF\xBB\xBF";
    // Only a byte of 0xC2 or more begins a multi-byte sequence: the bytes before the next such
    // byte are passed over at once, and lines are counted only for the sequence reported.
    for (std::size_t i = inizio_possibile(testo, 0); i < testo.size(); i = inizio_possibile(testo, i + 1)) {
        const std::size_t n = sequenza_utf8(testo, i);
        if (n == 0) continue;
        const std::string_view c = testo.substr(i, n);
        const std::string cosa = bom && i == 0 ? "the file begins with a UTF-8 byte-order mark"
                                               : "'" + std::string(c) + "' looks like UTF-8";
        diagnostica d = diagnostica_in(nome_file, luogo_del_byte(testo, i),
                                       cosa + ", but the file is read as Windows-1252, so it reads as '" +
                                           da_1252_a_utf8(c) +
                                           "': save the file as Windows-1252 or pass --encoding utf-8");
        d.tipo = "utf-8";
        registra_avvertimento(s, std::move(d));
        return;
    }
}

void diagnostica_pacchetto(scenario& s, std::string_view testo, const std::string& nome_file) {
    const auto d = difetto_testo(testo);
    if (!d) return;
    diagnostica x = diagnostica_in(nome_file, {d->riga, 1},
                                   "the file " + d->cosa + ": 'scenario package' cannot carry it (compile can)");
    x.tipo = "package-limit";
    registra_avvertimento(s, std::move(x));
}

}  // namespace valmarena
