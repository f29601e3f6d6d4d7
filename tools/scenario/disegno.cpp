// The picture of a compiled scenario as an SVG document: the plan view drawn from the track
// plan, the profiles from the cells, the names and stretches from the table.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <set>

#include "comune.h"
#include "compiler/chilometri.h"
#include "descrizione.h"
#include "disegno.h"
#include "sources/codifica.h"

namespace valmarena::strumento {

namespace {

constexpr double larghezza = 1600;
constexpr double altezza = 1000;

std::string f1(double v) { return reale(v, 1); }

std::string xml(const std::string& t) {
    std::string o;
    for (char c : t) {
        switch (c) {
        case '&': o += "&amp;"; break;
        case '<': o += "&lt;"; break;
        case '>': o += "&gt;"; break;
        case '"': o += "&quot;"; break;
        default: o += c;
        }
    }
    return o;
}

struct rettangolo {
    double x, y, w, h;
    double destra() const { return x + w; }
    double basso() const { return y + h; }
};

// Round steps (1, 2, 5 times a power of ten) giving about `quante` intervals over [lo, hi].
double passo_tondo(double lo, double hi, int quante) {
    double grezzo = (hi - lo) / quante;
    if (!(grezzo > 0)) return 1;
    double p = std::pow(10.0, std::floor(std::log10(grezzo)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= grezzo) return m * p;
    return 10 * p;
}

// What the picture needs, read out of the cells and the table once.
struct stazione_disegno {
    std::int64_t metri;
    std::string nome;
    bool fermata;  // has a stopping point
};

struct elementi_disegno {
    std::int64_t lunghezza = 0;  // route length drawn, metres
    std::vector<stazione_disegno> stazioni;
    std::vector<std::int64_t> segnali;
    std::vector<std::int64_t> cartelli;
    std::vector<rallentamento_letto> rallentamenti;
};

elementi_disegno raccogli(const scenario_letto& s) {
    elementi_disegno e;
    const auto& c = s.celle;
    const std::int64_t tutte = static_cast<std::int64_t>(c.size()) * 50;
    e.lunghezza = tutte;
    if (s.tabella && s.tabella->size() > static_cast<std::size_t>(voce_misure)) {
        std::int64_t l = (*s.tabella)[voce_misure].fine;
        if (l > 0 && l <= tutte) e.lunghezza = l;
    }
    std::set<std::int64_t> con_fermata;
    for (std::size_t i = 0; i < c.size(); ++i) {
        switch (c[i].tipo) {
        case cella_segnale: e.segnali.push_back(metri_cella(i)); break;
        case cella_cartello: e.cartelli.push_back(metri_cella(i)); break;
        case cella_fermata: {
            std::int64_t n = c[i].valore1;
            con_fermata.insert(n);
            bool in_tabella = s.tabella && n > 0 && static_cast<std::size_t>(n) < s.tabella->size();
            if (!in_tabella)
                e.stazioni.push_back({metri_cella(i), "station " + std::to_string(n), true});
            break;
        }
        default: break;
        }
    }
    if (s.tabella) {
        for (std::size_t i = 1; i < s.tabella->size() && i < static_cast<std::size_t>(voce_progressiva_tre); ++i) {
            if (ruolo_voce(*s.tabella, i) != "station") continue;
            const voce& v = (*s.tabella)[i];
            e.stazioni.push_back({v.progressiva, da_1252_a_utf8(v.nome), con_fermata.count(static_cast<std::int64_t>(i)) > 0});
        }
    }
    std::stable_sort(e.stazioni.begin(), e.stazioni.end(),
                     [](const stazione_disegno& a, const stazione_disegno& b) { return a.metri < b.metri; });
    e.rallentamenti = trova_rallentamenti(c);
    return e;
}

// The look of each class of text as presentation attributes: a renderer that reads no style
// sheet (ImageMagick's own) still finds a font it has and draws the text.
std::string aspetto_testo(const std::string& attributi) {
    static const std::pair<const char*, const char*> classi[] = {
        {"class=\"titolo\"", "font-size=\"13\" font-weight=\"bold\" fill=\"#202020\""},
        {"class=\"stazione\"", "font-size=\"11\" fill=\"#202020\""},
        {"class=\"nome_profilo\"", "font-size=\"10\" fill=\"#202020\""},
        {"class=\"asse\"", "font-size=\"10\" fill=\"#505050\""},
        {"class=\"legenda\"", "font-size=\"11\" fill=\"#202020\""},
        {"class=\"nota\"", "font-size=\"14\" fill=\"#a00000\""},
        {"class=\"intestazione\"", "font-size=\"18\" font-weight=\"bold\" fill=\"#202020\""},
        {"class=\"sottotitolo\"", "font-size=\"12\" fill=\"#404040\""},
    };
    for (const auto& [classe, aspetto] : classi)
        if (attributi.find(classe) != std::string::npos) return std::string(" font-family=\"DejaVu Sans\" ") + aspetto;
    return " font-family=\"DejaVu Sans\"";
}

class svg {
public:
    std::string out;
    void riga(const std::string& t) { out += t + "\n"; }
    void testo(double x, double y, const std::string& t, const std::string& attributi) {
        riga("<text x=\"" + f1(x) + "\" y=\"" + f1(y) + "\" " + attributi + aspetto_testo(attributi) + ">" + xml(t) +
             "</text>");
    }
    void linea(double x1, double y1, double x2, double y2, const std::string& attributi) {
        riga("<line x1=\"" + f1(x1) + "\" y1=\"" + f1(y1) + "\" x2=\"" + f1(x2) + "\" y2=\"" + f1(y2) + "\" " +
             attributi + "/>");
    }
};

// ---- plan view ----

struct pianta {
    const struct tracciato* t = nullptr;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    double scala = 1, ox = 0, oy = 0;  // screen = (x - xmin) * scala + ox, (ymax - y) * scala + oy
    bool valida = false;

    bool pieno(std::int64_t m) const {
        if (m < 0 || static_cast<std::size_t>(m) >= t->punti) return false;
        auto i = static_cast<std::size_t>(m);
        return t->etichette[i] != etichetta::vuoto && t->etichette[t->punti + i] != etichetta::vuoto;
    }
    double sx(std::int64_t m) const { return (t->valori[static_cast<std::size_t>(m)] - xmin) * scala + ox; }
    double sy(std::int64_t m) const { return (ymax - t->valori[t->punti + static_cast<std::size_t>(m)]) * scala + oy; }
};

pianta prepara_pianta(const struct tracciato& t, const rettangolo& r) {
    pianta p;
    p.t = &t;
    p.xmin = p.ymin = std::numeric_limits<double>::infinity();
    p.xmax = p.ymax = -std::numeric_limits<double>::infinity();
    for (std::size_t m = 0; m < t.punti; ++m) {
        if (!p.pieno(static_cast<std::int64_t>(m))) continue;
        p.xmin = std::min(p.xmin, t.valori[m]);
        p.xmax = std::max(p.xmax, t.valori[m]);
        p.ymin = std::min(p.ymin, t.valori[t.punti + m]);
        p.ymax = std::max(p.ymax, t.valori[t.punti + m]);
    }
    if (!std::isfinite(p.xmin)) return p;
    double w = std::max(p.xmax - p.xmin, 1.0), h = std::max(p.ymax - p.ymin, 1.0);
    p.scala = std::min(r.w / w, r.h / h);
    p.ox = r.x + (r.w - w * p.scala) / 2;
    p.oy = r.y + (r.h - h * p.scala) / 2;
    p.valida = true;
    return p;
}

// The set metre nearest to `m` within 50 m, or -1.
std::int64_t metro_pieno(const pianta& p, std::int64_t m) {
    for (std::int64_t d = 0; d <= 50; ++d) {
        if (p.pieno(m - d)) return m - d;
        if (p.pieno(m + d)) return m + d;
    }
    return -1;
}

// The polyline through every 50th metre of [da, a], broken where the plan has no value.
std::string tratti_svg_pianta(const pianta& p, std::int64_t da, std::int64_t a) {
    std::string d;
    bool aperto = false;
    for (std::int64_t m = da;; m += 50) {
        if (m > a) m = a;
        if (p.pieno(m)) {
            d += (aperto ? " L" : (d.empty() ? "M" : " M")) + f1(p.sx(m)) + " " + f1(p.sy(m));
            aperto = true;
        } else {
            aperto = false;
        }
        if (m == a) break;
    }
    return d;
}

// The slowdowns along the line, each with its warning point.
void disegna_rallentamenti(svg& o, const pianta& p, const elementi_disegno& e) {
    for (const auto& r2 : e.rallentamenti) {
        std::int64_t da = metri_cella(r2.inizio);
        std::int64_t a = r2.fine ? metri_cella(*r2.fine) : da;
        if (a > da)
            o.riga("<path d=\"" + tratti_svg_pianta(p, da, a) +
                   "\" fill=\"none\" stroke=\"#f08c00\" stroke-width=\"9\" stroke-linecap=\"round\" opacity=\"0.85\"/>");
        if (r2.avviso) {
            std::int64_t m = metro_pieno(p, metri_cella(*r2.avviso));
            if (m >= 0) {
                double x = p.sx(m), y = p.sy(m);
                o.riga("<path d=\"M" + f1(x) + " " + f1(y - 7) + " L" + f1(x + 6) + " " + f1(y + 4) + " L" +
                       f1(x - 6) + " " + f1(y + 4) + " Z\" fill=\"#f08c00\" stroke=\"#7a4700\" stroke-width=\"0.8\"/>");
            }
        }
    }
}

// Signals as red dots, signboards as green squares.
void disegna_segnali_e_cartelli(svg& o, const pianta& p, const elementi_disegno& e) {
    for (auto metri : e.segnali) {
        std::int64_t m = metro_pieno(p, metri);
        if (m >= 0)
            o.riga("<circle cx=\"" + f1(p.sx(m)) + "\" cy=\"" + f1(p.sy(m)) + "\" r=\"2.2\" fill=\"#d62828\"/>");
    }
    for (auto metri : e.cartelli) {
        std::int64_t m = metro_pieno(p, metri);
        if (m >= 0)
            o.riga("<rect x=\"" + f1(p.sx(m) - 3.5) + "\" y=\"" + f1(p.sy(m) - 3.5) +
                   "\" width=\"7\" height=\"7\" fill=\"#2b9348\" stroke=\"#14532d\" stroke-width=\"0.8\"/>");
    }
}

// Stations: a stop as a filled dot with its name, a station without a stop as a ring.
void disegna_stazioni(svg& o, const pianta& p, const elementi_disegno& e, const rettangolo& r, const rettangolo& area) {
    for (const auto& st : e.stazioni) {
        std::int64_t m = metro_pieno(p, st.metri);
        if (m < 0) continue;
        double x = p.sx(m), y = p.sy(m);
        if (st.fermata) {
            o.riga("<circle cx=\"" + f1(x) + "\" cy=\"" + f1(y) + "\" r=\"5\" fill=\"#1d4ed8\" stroke=\"#ffffff\" stroke-width=\"1.5\"/>");
            // Names go on the side away from the middle of the drawing, so they leave the line,
            // unless they would run out of the frame there.
            const double largo = 6.6 * static_cast<double>(st.nome.size()) + 10;
            bool destra = x >= r.x + r.w / 2;
            if (destra && x + largo > area.destra()) destra = false;
            if (!destra && x - largo < area.x) destra = true;
            o.testo(x + (destra ? 8 : -8), y + 4, st.nome,
                    std::string("class=\"stazione\" text-anchor=\"") + (destra ? "start" : "end") + "\"");
        } else {
            o.riga("<circle cx=\"" + f1(x) + "\" cy=\"" + f1(y) + "\" r=\"3.5\" fill=\"#ffffff\" stroke=\"#1d4ed8\" stroke-width=\"1.5\"/>");
        }
    }
}

// The scale bar: a round length near a fifth of the drawing's width.
void disegna_scala(svg& o, const pianta& p, const rettangolo& r, const rettangolo& area) {
    double km = passo_tondo(0, r.w / p.scala / 1000.0, 5);
    double lung = km * 1000.0 * p.scala;
    double bx = area.x + 24, by = area.basso() - 58;
    o.linea(bx, by, bx + lung, by, "stroke=\"#303030\" stroke-width=\"2\"");
    o.linea(bx, by - 4, bx, by + 4, "stroke=\"#303030\" stroke-width=\"2\"");
    o.linea(bx + lung, by - 4, bx + lung, by + 4, "stroke=\"#303030\" stroke-width=\"2\"");
    o.testo(bx + lung + 8, by + 4, reale(km, km < 1 ? 1 : 0) + " km", "class=\"asse\"");
}

void disegna_legenda(svg& o, const rettangolo& area) {
    double ly = area.basso() - 28, lx = area.x + 24;
    o.riga("<circle cx=\"" + f1(lx) + "\" cy=\"" + f1(ly) + "\" r=\"5\" fill=\"#1d4ed8\"/>");
    o.testo(lx + 10, ly + 4, "station with stop", "class=\"legenda\"");
    lx += 130;
    o.riga("<circle cx=\"" + f1(lx) + "\" cy=\"" + f1(ly) + "\" r=\"3.5\" fill=\"#ffffff\" stroke=\"#1d4ed8\" stroke-width=\"1.5\"/>");
    o.testo(lx + 10, ly + 4, "station without stop", "class=\"legenda\"");
    lx += 150;
    o.riga("<circle cx=\"" + f1(lx) + "\" cy=\"" + f1(ly) + "\" r=\"2.2\" fill=\"#d62828\"/>");
    o.testo(lx + 10, ly + 4, "signal", "class=\"legenda\"");
    ly += 18;
    lx = area.x + 24;
    o.linea(lx - 5, ly, lx + 5, ly, "stroke=\"#f08c00\" stroke-width=\"7\"");
    o.testo(lx + 10, ly + 4, "slowdown", "class=\"legenda\"");
    lx += 130;
    o.riga("<path d=\"M" + f1(lx) + " " + f1(ly - 6) + " L" + f1(lx + 5) + " " + f1(ly + 4) + " L" + f1(lx - 5) +
           " " + f1(ly + 4) + " Z\" fill=\"#f08c00\"/>");
    o.testo(lx + 10, ly + 4, "slowdown warning point", "class=\"legenda\"");
    lx += 150;
    o.riga("<rect x=\"" + f1(lx - 3.5) + "\" y=\"" + f1(ly - 3.5) + "\" width=\"7\" height=\"7\" fill=\"#2b9348\"/>");
    o.testo(lx + 10, ly + 4, "signboard", "class=\"legenda\"");
}

void disegna_pianta(svg& o, const scenario_letto& s, const elementi_disegno& e, const rettangolo& area) {
    o.riga("<rect x=\"" + f1(area.x) + "\" y=\"" + f1(area.y) + "\" width=\"" + f1(area.w) + "\" height=\"" +
           f1(area.h) + "\" fill=\"#fbfbf8\" stroke=\"#c8c8c0\"/>");
    o.testo(area.x + 8, area.y + 18, "Plan view", "class=\"titolo\"");
    const rettangolo r{area.x + 24, area.y + 34, area.w - 48, area.h - 110};
    if (!s.tracciato) {
        o.testo(area.x + area.w / 2, area.y + area.h / 2, "no track plan file", "class=\"nota\" text-anchor=\"middle\"");
        return;
    }
    pianta p = prepara_pianta(*s.tracciato, r);
    if (!p.valida) {
        o.testo(area.x + area.w / 2, area.y + area.h / 2, "the track plan holds no point",
                "class=\"nota\" text-anchor=\"middle\"");
        return;
    }
    const std::int64_t ultimo = static_cast<std::int64_t>(s.tracciato->punti) - 1;
    const std::int64_t fine_linea = std::min(e.lunghezza, ultimo);
    // The line beyond the route's end (the plan reaches 7000 m further) in light grey.
    if (fine_linea < ultimo)
        o.riga("<path d=\"" + tratti_svg_pianta(p, fine_linea, ultimo) +
               "\" fill=\"none\" stroke=\"#b8b8b8\" stroke-width=\"2\" stroke-dasharray=\"6 4\"/>");
    o.riga("<path d=\"" + tratti_svg_pianta(p, 0, fine_linea) +
           "\" fill=\"none\" stroke=\"#303030\" stroke-width=\"2.5\" stroke-linejoin=\"round\"/>");
    disegna_rallentamenti(o, p, e);
    disegna_segnali_e_cartelli(o, p, e);
    disegna_stazioni(o, p, e, r, area);
    disegna_scala(o, p, r, area);
    disegna_legenda(o, area);
}

// ---- profiles ----

struct asse_km {
    double x0, x1;
    std::int64_t lunghezza;
    double x(double metri) const { return x0 + (x1 - x0) * metri / static_cast<double>(std::max<std::int64_t>(lunghezza, 1)); }
};

void griglia_km(svg& o, const asse_km& a, double y0, double y1) {
    double passo = passo_tondo(0, static_cast<double>(a.lunghezza) / 1000.0, 8);
    for (double km = 0; km * 1000.0 <= static_cast<double>(a.lunghezza) + 1e-6; km += passo)
        o.linea(a.x(km * 1000.0), y0, a.x(km * 1000.0), y1, "stroke=\"#e4e4e4\" stroke-width=\"1\"");
}

// How a panel's y range is chosen: around 0, from 0 up, or just around the values.
enum class scala_y { simmetrica, da_zero, dati };

// One profile panel: the value of every cell over the route, as steps, with its own y scale.
void pannello(svg& o, const rettangolo& r, const asse_km& a, const std::vector<int>& valori, const std::string& titolo,
              const std::string& colore, scala_y scala, const elementi_disegno& e,
              const std::vector<std::array<std::int64_t, 3>>& sovrapposti = {}) {
    o.riga("<rect x=\"" + f1(r.x) + "\" y=\"" + f1(r.y) + "\" width=\"" + f1(r.w) + "\" height=\"" + f1(r.h) +
           "\" fill=\"#ffffff\" stroke=\"#c8c8c0\"/>");
    griglia_km(o, a, r.y, r.basso());
    const std::size_t celle = static_cast<std::size_t>((a.lunghezza + 49) / 50);
    int lo = 0, hi = 0;
    bool primo = true;
    for (std::size_t c = 0; c < celle && c < valori.size(); ++c) {
        lo = primo ? valori[c] : std::min(lo, valori[c]);
        hi = primo ? valori[c] : std::max(hi, valori[c]);
        primo = false;
    }
    double ylo, yhi;
    if (scala == scala_y::simmetrica) {
        double m = std::max({std::abs(lo), std::abs(hi), 1});
        ylo = -m;
        yhi = m;
    } else if (scala == scala_y::da_zero) {
        ylo = std::min(lo, 0);
        yhi = std::max(hi, 1);
    } else {
        ylo = lo;
        yhi = std::max(hi, lo + 1);
    }
    // The profiles hold whole numbers: a step below 1 would label two lines alike.
    double passo = std::max(passo_tondo(ylo, yhi, 4), 1.0);
    ylo = std::floor(ylo / passo) * passo;
    yhi = std::ceil(yhi / passo) * passo;
    if (yhi <= ylo) yhi = ylo + passo;
    const double alto = r.y + 22, basso = r.basso() - 6;
    auto y = [&](double v) { return basso - (v - ylo) / (yhi - ylo) * (basso - alto); };
    for (double v = ylo; v <= yhi + 1e-9; v += passo) {
        o.linea(r.x, y(v), r.destra(), y(v), v == 0 ? "stroke=\"#9a9a9a\" stroke-width=\"1\"" : "stroke=\"#eeeeee\" stroke-width=\"1\"");
        o.testo(r.x - 6, y(v) + 4, reale(v, 0), "class=\"asse\" text-anchor=\"end\"");
    }
    for (const auto& st : e.stazioni) {
        if (st.metri < 0 || st.metri > a.lunghezza) continue;
        o.linea(a.x(static_cast<double>(st.metri)), r.y, a.x(static_cast<double>(st.metri)), r.basso(),
                st.fermata ? "stroke=\"#1d4ed8\" stroke-width=\"0.8\" stroke-dasharray=\"3 3\" opacity=\"0.6\""
                           : "stroke=\"#1d4ed8\" stroke-width=\"0.6\" stroke-dasharray=\"1 3\" opacity=\"0.5\"");
    }
    // Steps: one horizontal run per stretch of equal value.
    std::string d;
    for (std::size_t c = 0; c < celle && c < valori.size();) {
        std::size_t h = c;
        while (h + 1 < celle && h + 1 < valori.size() && valori[h + 1] == valori[c]) ++h;
        double x0 = a.x(static_cast<double>(c) * 50.0);
        double x1 = a.x(std::min<double>(static_cast<double>(h + 1) * 50.0, static_cast<double>(a.lunghezza)));
        d += (d.empty() ? "M" : " L") + f1(x0) + " " + f1(y(valori[c])) + " L" + f1(x1) + " " + f1(y(valori[c]));
        c = h + 1;
    }
    if (!d.empty()) o.riga("<path d=\"" + d + "\" fill=\"none\" stroke=\"" + colore + "\" stroke-width=\"1.8\"/>");
    // Extra stretches over the profile (the slowdowns over the speed limit): from, to, value.
    for (const auto& [da, a2, v] : sovrapposti) {
        // At least a few pixels wide: a slowdown of a few hundred metres is short on this scale.
        double yv = y(std::clamp(static_cast<double>(v), ylo, yhi));
        double x0 = a.x(static_cast<double>(da)), x1 = std::max(a.x(static_cast<double>(a2)), x0 + 5);
        o.linea(x0, yv, x1, yv, "stroke=\"#f08c00\" stroke-width=\"5\"");
        o.testo(x1 + 3, yv + 4, std::to_string(v), "class=\"asse\"");
    }
    o.riga("<rect x=\"" + f1(r.x + 4) + "\" y=\"" + f1(r.y + 3) + "\" width=\"" + f1(8.0 * static_cast<double>(titolo.size()) + 8) +
           "\" height=\"16\" fill=\"#ffffff\" opacity=\"0.85\"/>");
    o.testo(r.x + 8, r.y + 15, titolo, "class=\"titolo\"");
}

// The line's stretches under the profiles: mountain stretches with their kind, the signal
// repetition, the kilometric references where the count starts or restarts, and the curves
// when the picture is drawn from the sources.
void disegna_fascia_linea(svg& o, const scenario_letto& s, const asse_km& a, const rettangolo& r) {
    o.riga("<rect x=\"" + f1(r.x) + "\" y=\"" + f1(r.y) + "\" width=\"" + f1(r.w) + "\" height=\"" + f1(r.h) +
           "\" fill=\"#ffffff\" stroke=\"#c8c8c0\"/>");
    const double r1 = r.y + 8, r2 = r.y + 22, r3 = r.y + 36, r4 = r.y + 50;
    o.testo(r.x - 6, r1 + 4, "mountains", "class=\"asse\" text-anchor=\"end\"");
    o.testo(r.x - 6, r2 + 4, "repetition", "class=\"asse\" text-anchor=\"end\"");
    o.testo(r.x - 6, r3 + 4, "km refs", "class=\"asse\" text-anchor=\"end\"");
    o.testo(r.x - 6, r4 + 4, "curves", "class=\"asse\" text-anchor=\"end\"");
    auto tratto = [&](std::int64_t da, std::int64_t a2, double yc, const std::string& colore) {
        double x0 = a.x(static_cast<double>(da)), x1 = std::max(a.x(static_cast<double>(a2)), x0 + 2);
        o.riga("<rect x=\"" + f1(x0) + "\" y=\"" + f1(yc - 4) + "\" width=\"" + f1(x1 - x0) + "\" height=\"8\" fill=\"" +
               colore + "\"/>");
        return x1;
    };
    // Mountain stretches: runs of cells of one kind, labelled where the label has room.
    double fine_etichetta = -1e9;
    for (std::size_t c = 0; c < s.celle.size();) {
        const std::uint8_t tipo = s.celle[c].montagna;
        std::size_t h = c;
        while (h + 1 < s.celle.size() && s.celle[h + 1].montagna == tipo) ++h;
        // A stretch's cell c covers metres 50 c to 50 (c + 1).
        const auto da = static_cast<std::int64_t>(c) * 50, fine = static_cast<std::int64_t>(h + 1) * 50;
        if (tipo != 0 && da <= a.lunghezza) {
            double x1 = tratto(da, fine, r1, "#7c5c3b");
            if (x1 + 2 > fine_etichetta) {
                o.testo(x1 + 2, r1 + 4, "kind " + std::to_string(tipo), "class=\"asse\"");
                fine_etichetta = x1 + 40;
            }
        }
        c = h + 1;
    }
    if (s.tabella && s.tabella->size() > static_cast<std::size_t>(voce_treno)) {
        const voce& t = (*s.tabella)[voce_treno];
        if (t.fine > t.inizio) {
            double x1 = tratto(t.inizio, t.fine, r2, "#5b8def");
            o.testo(std::min(x1 + 2, a.x1 - 60), r2 + 4, std::to_string(t.progressiva) + " codes", "class=\"asse\"");
        }
        // Each reference where it starts the count, labelled with the post it starts at.
        const chilometri km(*s.tabella);
        for (const riferimento_km& r : km.riferimenti()) {
            const double x = a.x(static_cast<double>(r.p));
            o.linea(x, r3 - 5, x, r3 + 5, "stroke=\"#202020\" stroke-width=\"1.5\"");
            o.testo(x + 3, r3 + 4, km_cippo(km.progressiva(r.p)), "class=\"asse\"");
        }
    }
    for (const auto& k : s.curve) {
        tratto(k.inizio, k.inizio + k.lunghezza, r4, k.sinistra ? "#c0392b" : "#2874a6");
    }
    if (!s.curve_lette)
        o.testo(r.x + 4, r4 + 4, "(drawn from the sources only)", "class=\"asse\"");
}

// Station names in rows over the profiles: each name takes the first row where it does not run
// into the name before it, the last row when none is free.
void disegna_nomi_stazioni(svg& o, const asse_km& a, const elementi_disegno& e, double y, double altezza_fascia) {
    constexpr double passo_riga = 12, larghezza_lettera = 6.2;
    const int righe = std::max(1, static_cast<int>((altezza_fascia - 6) / passo_riga));
    std::vector<double> fine_riga(static_cast<std::size_t>(righe), -1e9);
    for (const auto& st : e.stazioni) {
        if (!st.fermata || st.metri < 0 || st.metri > e.lunghezza) continue;
        const double x = a.x(static_cast<double>(st.metri));
        const double largo = larghezza_lettera * static_cast<double>(st.nome.size());
        std::size_t r = 0;
        while (r + 1 < fine_riga.size() && fine_riga[r] > x - 2) ++r;
        fine_riga[r] = x + largo + 4;
        const double yt = y + 10 + passo_riga * static_cast<double>(r);
        o.linea(x, yt + 2, x, y + altezza_fascia, "stroke=\"#1d4ed8\" stroke-width=\"0.5\" opacity=\"0.5\"");
        o.testo(x + 1.5, yt, st.nome, "class=\"nome_profilo\"");
    }
}

void disegna_profili(svg& o, const scenario_letto& s, const elementi_disegno& e, const rettangolo& area) {
    const double sinistra = area.x + 44;
    const asse_km a{sinistra, area.destra() - 6, e.lunghezza};
    const double fascia_nomi = 118, fascia_elementi = 46, fascia_asse = 26, spazio = 14;
    double y = area.y;
    // Station names over their positions, level and in staggered rows, each with a leader down
    // to its place: level text reads the same in every renderer.
    disegna_nomi_stazioni(o, a, e, y, fascia_nomi);
    y += fascia_nomi;
    // Strip of point features: signals, slowdowns with their warning points, signboards.
    const rettangolo striscia{sinistra, y, a.x1 - sinistra, fascia_elementi};
    o.riga("<rect x=\"" + f1(striscia.x) + "\" y=\"" + f1(striscia.y) + "\" width=\"" + f1(striscia.w) +
           "\" height=\"" + f1(striscia.h) + "\" fill=\"#ffffff\" stroke=\"#c8c8c0\"/>");
    const double r1 = y + 9, r2 = y + 23, r3 = y + 37;
    o.testo(sinistra - 6, r1 + 4, "signals", "class=\"asse\" text-anchor=\"end\"");
    o.testo(sinistra - 6, r2 + 4, "slowdowns", "class=\"asse\" text-anchor=\"end\"");
    o.testo(sinistra - 6, r3 + 4, "signboards", "class=\"asse\" text-anchor=\"end\"");
    for (auto m : e.segnali)
        if (m >= 0 && m <= e.lunghezza)
            o.linea(a.x(static_cast<double>(m)), r1 - 5, a.x(static_cast<double>(m)), r1 + 5, "stroke=\"#d62828\" stroke-width=\"1\"");
    for (const auto& rl : e.rallentamenti) {
        double x0 = a.x(static_cast<double>(metri_cella(rl.inizio)));
        double x1 = a.x(static_cast<double>(rl.fine ? metri_cella(*rl.fine) : metri_cella(rl.inizio)));
        o.riga("<rect x=\"" + f1(x0) + "\" y=\"" + f1(r2 - 5) + "\" width=\"" + f1(std::max(x1 - x0, 2.0)) +
               "\" height=\"10\" fill=\"#f08c00\"/>");
        if (rl.avviso) {
            double xa = a.x(static_cast<double>(metri_cella(*rl.avviso)));
            o.riga("<path d=\"M" + f1(xa) + " " + f1(r2 - 6) + " L" + f1(xa + 4) + " " + f1(r2 + 5) + " L" +
                   f1(xa - 4) + " " + f1(r2 + 5) + " Z\" fill=\"#f08c00\"/>");
        }
    }
    for (auto m : e.cartelli)
        if (m >= 0 && m <= e.lunghezza)
            o.riga("<rect x=\"" + f1(a.x(static_cast<double>(m)) - 2.5) + "\" y=\"" + f1(r3 - 2.5) +
                   "\" width=\"5\" height=\"5\" fill=\"#2b9348\"/>");
    y += fascia_elementi + spazio;

    const double fascia_linea = 58;
    const double h = (area.basso() - y - fascia_asse - fascia_linea - 3 * spazio) / 3;
    std::vector<int> pendenza, velocita, aderenza;
    for (const auto& c : s.celle) {
        pendenza.push_back(static_cast<int>(c.pendenza) - 100);
        velocita.push_back(static_cast<int>(c.velocita) * 5);
        aderenza.push_back(c.aderenza);
    }
    pannello(o, {sinistra, y, a.x1 - sinistra, h}, a, pendenza, "gradient (\u2030, as in the pendenza rows)", "#6a4c93", scala_y::simmetrica, e);
    y += h + spazio;
    // The slowdowns over the speed limit, at their own speeds.
    std::vector<std::array<std::int64_t, 3>> tratti;
    for (const auto& rl : e.rallentamenti)
        tratti.push_back({metri_cella(rl.inizio), rl.fine ? metri_cella(*rl.fine) : metri_cella(rl.inizio), rl.velocita});
    pannello(o, {sinistra, y, a.x1 - sinistra, h}, a, velocita, "speed limit (km/h), slowdowns in orange", "#0f766e",
             scala_y::da_zero, e, tratti);
    y += h + spazio;
    pannello(o, {sinistra, y, a.x1 - sinistra, h}, a, aderenza, "adhesion (aderenza)", "#b45309", scala_y::dati, e);
    y += h + spazio;
    disegna_fascia_linea(o, s, a, {sinistra, y, a.x1 - sinistra, fascia_linea});
    y += fascia_linea;
    double passo = passo_tondo(0, static_cast<double>(e.lunghezza) / 1000.0, 8);
    for (double km = 0; km * 1000.0 <= static_cast<double>(e.lunghezza) + 1e-6; km += passo)
        o.testo(a.x(km * 1000.0), y + 16, reale(km, 0), "class=\"asse\" text-anchor=\"middle\"");
    o.testo(a.x1, y + 16 + 14, "km along the route (kilometre posts: km refs)", "class=\"asse\" text-anchor=\"end\"");
}

}  // namespace

namespace {

// "1 signal", "3 signals".
std::string quanti(std::size_t n, const std::string& cosa) { return std::to_string(n) + " " + cosa + (n == 1 ? "" : "s"); }

}  // namespace

std::string svg_scenario(const scenario_letto& s) {
    const elementi_disegno e = raccogli(s);
    svg o;
    o.riga("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    o.riga("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1600\" height=\"1000\" viewBox=\"0 0 1600 1000\">");
    o.riga("<style>text{font-family:'DejaVu Sans',Arial,sans-serif;fill:#202020}"
           ".titolo{font-size:13px;font-weight:bold}.stazione{font-size:11px}.nome_profilo{font-size:10px}"
           ".asse{font-size:10px;fill:#505050}.legenda{font-size:11px}.nota{font-size:14px;fill:#a00000}"
           ".intestazione{font-size:18px;font-weight:bold}.sottotitolo{font-size:12px;fill:#404040}</style>");
    o.riga("<rect width=\"1600\" height=\"1000\" fill=\"#ffffff\"/>");
    std::size_t fermate = 0;
    for (const auto& st : e.stazioni) fermate += st.fermata ? 1 : 0;
    o.testo(24, 28, s.percorso + " - " + s.treno, "class=\"intestazione\"");
    o.testo(24 + 12.0 * static_cast<double>(s.percorso.size() + s.treno.size() + 3) + 16, 28,
            "route " + reale(static_cast<double>(e.lunghezza) / 1000.0, 2) + " km, " +
                quanti(e.stazioni.size(), "station") + " (" + std::to_string(fermate) + " with a stop), " +
                quanti(e.segnali.size(), "signal") + ", " + quanti(e.rallentamenti.size(), "slowdown") + ", " +
                quanti(e.cartelli.size(), "signboard"),
            "class=\"sottotitolo\"");
    for (std::size_t i = 0; i < s.note.size(); ++i)
        o.testo(larghezza - 24, 28 + 16.0 * static_cast<double>(i), s.note[i], "class=\"nota\" text-anchor=\"end\"");

    // A line that is taller than wide gets the left part of the picture, profiles on the right;
    // a wide one gets the top, profiles below.
    bool alta = true;
    if (s.tracciato) {
        pianta p = prepara_pianta(*s.tracciato, {0, 0, 1, 1});
        if (p.valida) alta = (p.ymax - p.ymin) * 1.2 >= (p.xmax - p.xmin);
    }
    if (alta) {
        disegna_pianta(o, s, e, {16, 44, 660, altezza - 60});
        disegna_profili(o, s, e, {700, 44, larghezza - 716, altezza - 60});
    } else {
        disegna_pianta(o, s, e, {16, 44, larghezza - 32, 430});
        disegna_profili(o, s, e, {16, 490, larghezza - 32, altezza - 506});
    }
    o.riga("</svg>");
    return o.out;
}

std::vector<curva_letta> curve_del_tracciato(const piano_tracciato& t) {
    std::vector<curva_letta> curve;
    std::int64_t prima = 1;  // the stretches follow one another from metre 2
    for (const tratto& k : t.tratti) {
        if (k.kappa != 0.0) curve.push_back({prima, k.fine - prima, k.kappa < 0.0});
        prima = k.fine;
    }
    return curve;
}

}  // namespace valmarena::strumento
