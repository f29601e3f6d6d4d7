// The route checks: abatement points (value 180) on the approach to every slowdown, along the
// slow ones, after them and before the signals that precede a warning point; then the reserved
// slots with their marks and the competition codes.

#include "../records/scenario.h"
#include "codici_gara.h"
#include "controlli.h"
#include "diagnosi.h"

namespace valmarena {

namespace {

// The speed an abatement point holds, in its first value.
constexpr std::int16_t valore_abbattimento = 180;

struct passata {
    scenario& s;
    std::int64_t ultima;

    bool esiste(std::int64_t i) const { return i >= 0 && i <= ultima; }
    bool libera_(std::int64_t i) const { return esiste(i) && libera(s.celle[static_cast<std::size_t>(i)]); }
    std::uint8_t tipo(std::int64_t i) const { return esiste(i) ? s.celle[static_cast<std::size_t>(i)].tipo : 0; }
    cella& at(std::int64_t i) { return cella_a(s, i); }

    void metti_punto(std::int64_t i) {
        cella& c = at(i);
        c.tipo = cella_abbattimento;
        c.valore1 = valore_abbattimento;
        segna_origine(s, i, {0, fonte::controlli});
    }

    void errore(std::int32_t codice, std::int64_t cella_indice) {
        diagnostica d;
        d.codice = codice;
        d.ha_posizione = true;
        d.posizione = static_cast<std::int32_t>(cella_indice * 50);
        registra_errore(s, d);
    }

    void regola_a(std::int64_t i);
    void finestre(std::int64_t i);
    // Each returns the slowdown's end cell, or -1 when the walk reached the last cell without one.
    // `propria` is the slowdown's own end cell as the reader placed it, -1 when not known.
    std::int64_t lungo_rallentamento(std::int64_t i, std::int64_t propria);
    std::int64_t cerca_fine(std::int64_t i, std::int64_t propria);
    std::int64_t senza_fine(std::int64_t i);
    void dopo_rallentamento(std::int64_t k);
};

// Signals in the 20 cells before a warning point get a point in one of the two cells before them.
void passata::regola_a(std::int64_t i) {
    for (std::int64_t k = 1; k <= 20; ++k) {
        std::int64_t sg = i - k;
        if (sg < 3) break;
        if (tipo(sg) != cella_segnale) continue;
        if (libera_(sg - 1)) {
            metti_punto(sg - 1);
        } else if (libera_(sg - 2)) {
            metti_punto(sg - 2);
        } else if (tipo(sg - 1) == cella_abbattimento) {
            at(sg - 1).valore1 = static_cast<std::int16_t>(minimo(at(sg - 1).valore1, valore_abbattimento));
        } else if (tipo(sg - 2) == cella_abbattimento) {
            at(sg - 2).valore1 = static_cast<std::int16_t>(minimo(at(sg - 2).valore1, valore_abbattimento));
        } else {
            errore(11, sg);
        }
    }
}

// Three windows of three cells before a slowdown's start, each taking its own point.
void passata::finestre(std::int64_t i) {
    static constexpr struct {
        int vicina;
        int soglia;
    } finestre_[] = {{5, 7}, {11, 13}, {18, 20}};
    for (const auto& f : finestre_) {
        if (i <= f.soglia) continue;
        bool messo = false;
        for (int d = 0; d < 3 && !messo; ++d) {
            if (libera_(i - f.vicina - d)) {
                metti_punto(i - f.vicina - d);
                messo = true;
            }
        }
        if (!messo) errore(12, i);
    }
}

// A point every eighth cell along a slow slowdown, one cell back or forward when that one is
// taken. The walk ends on the first end mark or on the slowdown's own end cell.
std::int64_t passata::lungo_rallentamento(std::int64_t i, std::int64_t propria) {
    if (propria == i) return i;
    std::int64_t n = 0;
    std::int64_t k = i;
    for (;;) {
        if (k >= ultima) return senza_fine(i);
        ++k;
        ++n;
        if (n == 8) {
            if (libera_(k)) {
                metti_punto(k);
                n = 0;
            } else if (libera_(k - 1)) {
                metti_punto(k - 1);
                n = 1;
            } else if (libera_(k + 1)) {
                metti_punto(k + 1);
                n = -1;
            } else {
                errore(13, k);
            }
        }
        if (tipo(k) == cella_fine_rallentamento || k == propria) return k;
    }
}

// The end cell of the slowdown that starts at i, for a slowdown with no points along it.
std::int64_t passata::cerca_fine(std::int64_t i, std::int64_t propria) {
    if (propria == i) return i;
    for (std::int64_t k = i + 1; k <= ultima; ++k)
        if (tipo(k) == cella_fine_rallentamento || k == propria) return k;
    return senza_fine(i);
}

// A walk from the start in cell i met no end before the last cell.
std::int64_t passata::senza_fine(std::int64_t i) {
    diagnostica d;
    d.codice = 13;
    d.ha_posizione = true;
    d.posizione = static_cast<std::int32_t>(i * 50);
    d.significato = "the slowdown has no end cell ahead of it";
    registra_errore(s, d);
    return -1;
}

// A point before the first signal within 12 cells after the slowdown's end.
void passata::dopo_rallentamento(std::int64_t k) {
    for (std::int64_t m = k; m <= k + 12 && m <= ultima; ++m) {
        if (tipo(m) != cella_segnale) continue;
        if (libera_(m - 1))
            metti_punto(m - 1);
        else if (libera_(m - 2))
            metti_punto(m - 2);
        else
            errore(13, k);
        return;
    }
}

// The own end cell of each slowdown by its start cell, -1 where no slowdown starts. An end
// behind its start (a negative length) is not known: that walk goes to the first end mark.
std::vector<std::int64_t> fini_proprie(const scenario& s) {
    std::vector<std::int64_t> fine(s.celle.size(), -1);
    for (const auto& r : s.rallentamenti)
        if (r.fine >= r.inizio && esiste_cella(s, r.inizio)) fine[static_cast<std::size_t>(r.inizio)] = r.fine;
    return fine;
}

}  // namespace

void controlla_percorso(scenario& s) {
    if (s.celle.empty()) return;
    passata p{s, static_cast<std::int64_t>(s.celle.size()) - 1};
    const std::vector<std::int64_t> proprie = fini_proprie(s);
    const std::int64_t limite = std::int64_t{s.ultima_cella} - 2;
    for (std::int64_t i = 1; i <= limite && i <= p.ultima; ++i) {
        std::uint8_t t = p.tipo(i);
        if (t == cella_avviso_rallentamento) p.regola_a(i);
        if (t == cella_inizio_rallentamento) {
            p.finestre(i);
            const std::int64_t propria = proprie[static_cast<std::size_t>(i)];
            std::int64_t fine = s.celle[static_cast<std::size_t>(i)].valore1 < 110 ? p.lungo_rallentamento(i, propria)
                                                                                 : p.cerca_fine(i, propria);
            if (fine >= 0) p.dopo_rallentamento(fine);
        }
    }
}

std::string codice_fatale(errore_fatale f) {
    return f == errore_fatale::nessuno ? std::string() : std::to_string(static_cast<int>(f));
}

errore_fatale occupa_riservati(scenario& s) {
    voce& percorso = s.tabella[voce_percorso];
    cella& prima = cella_a(s, 1);
    if (percorso.intero1 != 0 || prima.valore1 != 0) return errore_fatale::slot_1250;
    percorso.intero1 = marca_tabella;
    prima.valore1 = marca_celle;
    if (percorso.orario != 0 || prima.valore2 != 0) return errore_fatale::slot_1251;
    percorso.orario = codice_gara_st(s);
    prima.valore2 = codice_gara_og(s);
    return errore_fatale::nessuno;
}

}  // namespace valmarena
