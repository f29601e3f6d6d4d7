// Row and encoding diagnostics for authors.

#include "diagnosi.h"

#include <algorithm>
#include <cmath>

#include "../sources/codifica.h"
#include "../records/arrotonda.h"
#include "lettura_comune.h"

namespace valmarena {

namespace {

void avverti(scenario& s, const lettore_token& in, luogo dove, const char* tipo, std::string testo) {
    diagnostica d = diagnostica_in(in.nome_file(), dove, std::move(testo));
    d.tipo = tipo;
    registra_avvertimento(s, std::move(d));
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

bool entra_nella_larghezza(double v, larghezza l) {
    switch (l) {
    case larghezza::byte_: return arrotonda_pari(v) >= 0.0 && arrotonda_pari(v) <= 255.0;
    case larghezza::intero: return arrotonda_pari(v) >= -32768.0 && arrotonda_pari(v) <= 32767.0;
    case larghezza::long_: return arrotonda_pari(v) >= -2147483648.0 && arrotonda_pari(v) <= 2147483647.0;
    case larghezza::testo: return true;
    }
    return true;
}

void griglia(scenario& s, const lettore_token& in, const campo_letto& f, const campo_riga& c,
             const descrizione_riga& d, std::int64_t v) {
    if (c.griglia == 0 || c.griglia_errore || v % c.griglia == 0) return;
    std::string m = "field '" + std::string(c.nome) + "' of the " + nome_riga(d) + " row is " + con_unita(v, c) +
                    ", not a multiple of " + std::to_string(c.griglia);
    if (c.cella == cella_di::punto) {
        const std::int64_t k = cella_di_metri(static_cast<double>(v));
        m += ": the feature lands at " + std::to_string(inizio_cella(k)) + " m (cell " + std::to_string(k) + ")";
    } else if (c.cella == cella_di::tratto) {
        const std::int64_t k = clng(static_cast<double>(v) / 50.0);
        m += ": it takes effect at " + std::to_string(k * 50) + " m (cell " + std::to_string(k) + ")";
    }
    avverti(s, in, f.dove, "off-grid", m);
}

void campo(scenario& s, const lettore_token& in, const campo_letto& f, const campo_riga& c, const descrizione_riga& d) {
    if (c.tipo == larghezza::testo || !f.numerico || f.grezzo.empty()) return;
    if (!entra_nella_larghezza(f.valore, c.tipo)) return;  // the reader records error 25 for it
    const auto v = static_cast<std::int64_t>(arrotonda_pari(f.valore));
    if (f.non_intero) {
        avverti(s, in, f.dove, "not-an-integer",
                "field '" + std::string(c.nome) + "' of the " + nome_riga(d) + " row holds '" + citazione(f.grezzo) +
                    "', which is not an integer: it reads as " + std::to_string(v));
    }
    if (v < c.minimo || v > c.massimo) {
        avverti(s, in, f.dove, "out-of-range",
                "field '" + std::string(c.nome) + "' of the " + nome_riga(d) + " row is " + con_unita(v, c) +
                    ", outside " + std::to_string(c.minimo) + " to " + con_unita(c.massimo, c));
        return;
    }
    griglia(s, in, f, c, d, v);
}

// Rows whose fields must agree with each other.
void tra_campi(scenario& s, const lettore_token& in, const descrizione_riga& d, std::size_t primo) {
    const auto& campi = in.campi();
    if (d.tipo == tipo_riga::montagna && campi.size() >= primo + 2) {
        const double a = campi[primo].valore, e = campi[primo + 1].valore;
        if (e <= a)
            avverti(s, in, campi[primo + 1].dove, "out-of-range",
                    "the 'montagna' row ends at " + std::to_string(static_cast<std::int64_t>(e)) +
                        " m, not after its start at " + std::to_string(static_cast<std::int64_t>(a)) + " m");
    }
}

// "'curvaz4' is read as a right curve of class 4 ('curvad4')" for each row whose keyword is not
// written as it should be.
std::vector<std::string> grafie_sbagliate(const std::string& token, const std::vector<const descrizione_riga*>& righe) {
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

void conteggio(scenario& s, const lettore_token& in, const riga_letta& r,
               const std::vector<std::pair<const campo_riga*, const descrizione_riga*>>& attesi) {
    const auto& campi = in.campi();
    const int riga = in.riga_della_chiave();
    for (std::size_t i = 0; i < campi.size() && i < attesi.size(); ++i) {
        if (campi[i].dove.riga == riga) continue;
        std::string m = "the " + nome_riga(*attesi[i].second) + " row has " + std::to_string(i) + " of its " +
                        std::to_string(attesi.size()) + " fields on line " + std::to_string(riga) + ": field '" +
                        attesi[i].first->nome + "'" + (i + 1 < attesi.size() ? " and those after it are" : " is") +
                        " read from line " + std::to_string(campi[i].dove.riga) + " ('" +
                        citazione(campi[i].grezzo) + "')";
        avverti(s, in, r.dove, "short-row", m);
        return;
    }
    if (campi.size() < attesi.size()) return;
    const std::string_view resto = in.resto_della_riga();
    if (resto.empty() || in.fine()) return;
    const campo_riga& ultimo = *attesi.back().first;
    const luogo dove = in.luogo_del_resto();
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
    const std::string& t = r.token;
    if (!r.primo_della_riga || t.empty()) return false;
    if (t.front() == '[' && t.back() == ']') return false;
    return t.find_first_not_of("0123456789+-. ") != std::string::npos;
}

}  // namespace

std::string citazione(std::string_view testo) {
    std::string t;
    for (char c : testo) {
        if (c == '\t')
            t += "<TAB>";
        else
            t += c;
    }
    return da_1252_a_utf8(t);
}

const lettura_chiave& chiavi_lette::di(file_righe f, bool generale, const std::string& token) {
    std::string nome(1, generale ? 'g' : '-');
    nome += token;
    if (auto it = lette_.find(nome); it != lette_.end()) return it->second;
    // A file of ever new tokens (not keywords at all) keeps only the first ones.
    lettura_chiave& k = lette_.size() < max_chiavi_lette ? lette_[std::move(nome)] : ultima_;
    k.righe = righe_riconosciute(f, generale, token);
    k.attesi = campi_attesi(k.righe);
    k.grafie = grafie_sbagliate(token, k.righe);
    return k;
}

void diagnostica_riga(scenario& s, const lettore_token& in, const riga_letta& r, chiavi_lette& chiavi) {
    const lettura_chiave& k = chiavi.di(r.file, r.generale, r.token);
    const auto& righe = k.righe;
    if (righe.empty()) {
        if (ignota_da_segnalare(r))
            avverti(s, in, r.dove, "unknown-keyword",
                    "'" + citazione(r.token) + "' matches no keyword" + altrove(r) + ": the row is passed over");
        return;
    }
    // A curve row is passed over when no track plan is built; its fields then count as tokens.
    chiave(s, in, r, k);
    const auto& attesi = k.attesi;
    const auto& campi = in.campi();
    // Fields taken from a later line belong to other rows: the short row is reported instead.
    for (std::size_t i = 0; i < campi.size() && i < attesi.size() && campi[i].dove.riga == in.riga_della_chiave(); ++i)
        campo(s, in, campi[i], *attesi[i].first, *attesi[i].second);
    std::size_t primo = 0;
    for (const auto* d : righe) {
        if (campi.size() > primo + 1 && campi[primo + 1].dove.riga != in.riga_della_chiave()) break;
        tra_campi(s, in, *d, primo);
        primo += d->campi.size();
    }
    conteggio(s, in, r, attesi);
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

}  // namespace

void diagnostica_codifica(scenario& s, std::string_view testo, const std::string& nome_file) {
    const bool bom = testo.substr(0, 3) == "\xEF\xBB\xBF";
    // Only a byte of 0xC2 or more begins a multi-byte sequence: the bytes before the next such
    // byte are passed over at once, and lines are counted only for the sequence reported.
    const auto inizio_possibile = [](char c) { return static_cast<unsigned char>(c) >= 0xC2; };
    for (auto p = std::find_if(testo.begin(), testo.end(), inizio_possibile); p != testo.end();
         p = std::find_if(p + 1, testo.end(), inizio_possibile)) {
        const auto i = static_cast<std::size_t>(p - testo.begin());
        const std::size_t n = sequenza_utf8(testo, i);
        if (n == 0) continue;
        const std::string_view prima = testo.substr(0, i);
        const int riga = 1 + static_cast<int>(std::count(prima.begin(), prima.end(), '\n'));
        const std::size_t a_capo = prima.rfind('\n');
        const std::size_t inizio_riga = a_capo == std::string_view::npos ? 0 : a_capo + 1;
        const std::string_view c = testo.substr(i, n);
        const std::string cosa = bom && i == 0 ? "the file begins with a UTF-8 byte-order mark"
                                               : "'" + std::string(c) + "' looks like UTF-8";
        diagnostica d = diagnostica_in(nome_file, {riga, static_cast<int>(i - inizio_riga) + 1},
                                       cosa + ", but the file is read as Windows-1252, so it reads as '" +
                                           da_1252_a_utf8(c) +
                                           "': save the file as Windows-1252 or pass --encoding utf-8");
        d.tipo = "utf-8";
        registra_avvertimento(s, std::move(d));
        return;
    }
}

}  // namespace valmarena
