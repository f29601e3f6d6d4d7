// The line half of the reader: general rows, then gradients, curves (the track plan),
// mountain stretches, speed-indicator boards and signboards placed on the route cells.

#include <algorithm>
#include <cstdint>
#include <utility>

#include "../records/arrotonda.h"
#include "../records/guasti.h"
#include "lettore_linea.h"
#include "lettura_comune.h"
#include "linea_elementi.h"
#include "tracciato.h"

namespace valmarena {

namespace {

constexpr std::int64_t limite_cursore = 1000000;

struct lettura_linea : lettura {
    std::int64_t indice_pendenza = 0;
    std::int32_t pendenza_precedente = 0;
    std::int64_t cursore = 2;

    using lettura::lettura;

    // Route guard on a row's position: code 15 and the end of the line file when it fails.
    bool guardia(std::int32_t p) { return dentro(p, 100); }

    esito leggi_generale();
    esito riga_generale(std::string_view t);
    esito riga_elemento(std::string_view t);
    esito pendenza();
    void riempi_pendenza(std::int64_t fino_a);
    esito curva(std::string_view t);
    esito montagna();
    esito indicatore();
    esito cartello();
    void chiusura();
};

// General section: from the token after "[generale]" to the first header.
esito lettura_linea::leggi_generale() {
    for (;;) {
        if (in.fine()) return esito::avanti;
        std::string_view t = token();
        if (in.fine()) {
            passa(t, riga_saltata::ultima_del_file);
            return esito::avanti;
        }
        for (int i = 0; i < 10 && ha_trattino(t); ++i) {
            passa(t, riga_saltata::trattino);
            t = token();
        }
        esito e = esegui(t, [this](std::string_view k) { return riga_generale(k); });
        if (e != esito::avanti && !s.continua_dopo_errori) return e;
        if (!comincia_con(t, "-") && contiene(t, "[") && contiene(t, "]")) return esito::avanti;
    }
}

esito lettura_linea::riga_generale(std::string_view t) {
    if (riconosciuta(tipo_riga::lunghezza)) {
        std::int32_t l = in.numero_long();
        s.tabella[voce_misure].fine = l;
        if (l > 1000000) {
            return ferma(1, std::nullopt);
        }
        if (l < 0) {
            return ferma(104, std::nullopt);
        }
        alloca_percorso(s, l);
    }
    const struct {
        tipo_riga riga;
        int voce;
    } progressive[] = {{tipo_riga::progressiva_tre, voce_progressiva_tre},
                       {tipo_riga::progressiva_due, voce_progressiva_due},
                       {tipo_riga::progressiva_uno, voce_progressiva_uno}};
    for (const auto& p : progressive) {
        if (riconosciuta(p.riga)) {
            voce& v = s.tabella[static_cast<std::size_t>(p.voce)];
            v.inizio = in.numero_long();
            v.fine = in.numero_long();
            v.progressiva = in.numero_long();
        }
    }
    voce& percorso = s.tabella[voce_percorso];
    if (riconosciuta(tipo_riga::sfondo_uno)) percorso.inizio = in.numero_long();
    if (riconosciuta(tipo_riga::sfondo_due)) percorso.progressiva = in.numero_long();
    if (riconosciuta(tipo_riga::sfondo_tre)) percorso.fine = in.numero_long();
    if (riconosciuta(tipo_riga::ripetizione)) {
        voce& treno = s.tabella[voce_treno];
        treno.inizio = in.numero_long();
        treno.fine = in.numero_long();
        if (treno.inizio % 50 != 0) {
            return ferma(3, std::nullopt);
        }
        if (treno.fine % 50 != 0) {
            return ferma(4, std::nullopt);
        }
        if (contiene(t, "4")) {
            treno.progressiva = 4;
        } else if (contiene(t, "9")) {
            treno.progressiva = 9;
        } else {
            return ferma(5, std::nullopt);
        }
        if (treno.fine == 0) treno.progressiva = 0;
    }
    return esito::avanti;
}

esito lettura_linea::riga_elemento(std::string_view t) {
    using T = tipo_riga;
    esito e = esito::avanti;
    if (riconosciuta(T::pendenza) && (e = pendenza()) != esito::avanti) return e;
    if (riconosciuta(T::curva) && s.genera_tracciato == tracciato_si_no::con && (e = curva(t)) != esito::avanti) return e;
    if (riconosciuta(T::montagna) && (e = montagna()) != esito::avanti) return e;
    if (riconosciuta(T::indicatore) && (e = indicatore()) != esito::avanti) return e;
    if (riconosciuta(T::cartello) && (e = cartello()) != esito::avanti) return e;
    return e;
}

esito lettura_linea::pendenza() {
    std::int32_t p = in.numero_long();
    std::int32_t g = in.numero_long();
    if (!guardia(p)) return esito::fine_file;
    std::int32_t c = cinquantesimi(p);
    if (c > 0) riempi_pendenza(c);
    pendenza_precedente = g;
    return esito::avanti;
}

// The previous gradient into the cells from the gradient pointer on, at least one, up to `fino_a`;
// a fill that runs past the cells fails at the first one missing, the pointer left there.
void lettura_linea::riempi_pendenza(std::int64_t fino_a) {
    const std::uint8_t valore = bassi_8(std::int64_t{pendenza_precedente} + 100);
    const std::int64_t fine = std::max(fino_a, indice_pendenza + 1);
    const std::int64_t esistenti = std::min(fine, static_cast<std::int64_t>(s.celle.size()));
    std::int64_t k = indice_pendenza;
    for (; k < esistenti; ++k) s.celle[static_cast<std::size_t>(k)].pendenza = valore;
    indice_pendenza = k;
    if (k < fine) cella_fuori_limiti(s, k);
}

esito lettura_linea::curva(std::string_view t) {
    std::int32_t a = in.numero_long();
    std::int32_t n = in.numero_long();
    if (!guardia(a)) return esito::fine_file;
    if (!letto->curvatura) {
        const double classe = curvatura_classe(t);
        letto->curvatura = contiene(t, "s") ? -classe : classe;
    }
    const double kappa = *letto->curvatura;
    if (kappa == 0.0) {
        return ferma(103, std::nullopt, "curve keyword without a class digit 1 to 6");
    }
    std::int64_t fine_curva = std::int64_t{a} + n;
    if (fine_curva > std::int64_t{s.fine_tracciato} - 2) {
        return ferma(106, a);
    }
    if (!estendi_tracciato(s.tracciato, cursore, a, 0.0, limite_cursore) ||
        !estendi_tracciato(s.tracciato, cursore, fine_curva, kappa, limite_cursore)) {
        return ferma(103, std::nullopt, "track plan past 1000000 m");
    }
    return esito::avanti;
}

esito lettura_linea::montagna() {
    std::int32_t a = in.numero_long();
    std::int32_t e = in.numero_long();
    std::int32_t tipo = in.numero_long();
    if (!guardia(a)) return esito::fine_file;
    if (!dentro_percorso(s, e, 100)) {
        return ferma(107, e);
    }
    if (const esito_memo m = memo_montagna(s, a, e, tipo); m.codice != 0) return ferma(m.codice, a);
    return esito::avanti;
}

esito lettura_linea::indicatore() {
    std::int32_t p = in.numero_long();
    std::int32_t v[8];
    leggi_long(in, v);
    if (!guardia(p)) return esito::fine_file;
    const esito_memo m = memo_indicatori_v_max(s, p, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
    if (m.codice != 0) return scontro(m, p);
    segna(cella_di_metri(p));
    return esito::avanti;
}

esito lettura_linea::cartello() {
    std::int32_t p = in.numero_long();
    const std::string testo(in.testo());
    if (!guardia(p)) return esito::fine_file;
    const std::int64_t k = cella_di_metri(p);
    cella& c = cella_a(s, k);
    if (!libera(c)) {
        return scontro({6, k}, p);
    }
    if (s.prossimo_cartello < 1) {
        return ferma(109, p);
    }
    c.tipo = cella_cartello;
    segna(k);
    c.valore1 = a_intero(s.prossimo_cartello);
    voce_a(s, s.prossimo_cartello).nome = testo;
    --s.prossimo_cartello;
    return esito::avanti;
}

// After the last row: gradients carried to the end of the route, the track plan drawn straight to its end.
void lettura_linea::chiusura() {
    riempi_pendenza(std::int64_t{s.ultima_cella} - 2);
    if (s.genera_tracciato == tracciato_si_no::con)
        // The straight run to the end knows no cursor limit: only curve rows are held to 1000000 m.
        estendi_tracciato(s.tracciato, cursore, std::int64_t{s.fine_tracciato} - 2, 0.0, INT64_MAX);
}

bool leggi(lettura_linea& l);

}  // namespace

bool leggi_linea(scenario& s, std::string testo, const std::string& nome_file, osservatore_righe* osservatore) {
    lettura_linea l(s, std::move(testo), nome_file, file_righe::linea);
    l.osservatore = osservatore;
    try {
        return leggi(l) || s.continua_dopo_errori;
    } catch (const guasto_in_riga&) {
        throw;
    } catch (const guasto& g) {
        throw guasto_in_riga(g.what(), l.in.nome_file(), l.in.ultimo());
    }
}

namespace {
bool leggi(lettura_linea& l) {
    scenario& s = l.s;
    for (;;) {
        if (l.in.fine()) {
            errore_riga(s, l.r, 102, std::nullopt);
            return false;
        }
        std::string_view t = l.token();
        l.passa(t, riga_saltata::prima_di_generale);
        if (l.in.fine()) {
            errore_riga(s, l.r, 102, std::nullopt);
            return false;
        }
        if (contiene(t, "[generale]")) break;
    }
    l.generale = true;
    const esito e = l.leggi_generale();
    l.generale = false;
    if (e == esito::ferma) return false;

    progressive_ordina(s);
    s.n_montagne = 0;
    s.prossimo_cartello = prima_voce_cartelli;
    if (s.genera_tracciato == tracciato_si_no::con) apri_tracciato(s.tracciato);
    // The rest of the file: every row recognised by its keyword alone.
    if (l.scorri_righe([&l](std::string_view t) { return l.riga_elemento(t); }) == esito::ferma) return false;
    l.chiusura();
    return true;
}
}  // namespace

}  // namespace valmarena
