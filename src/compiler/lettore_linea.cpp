// The line half of the reader: general rows, then gradients, curves (the track plan),
// mountain stretches, speed-indicator boards and signboards placed on the route cells.

#include <cstdint>

#include "../records/arrotonda.h"
#include "../records/guasti.h"
#include "compilatore.h"
#include "lettura_comune.h"
#include "linea.h"

namespace valmarena {

namespace {

enum class esito { avanti, fine_file, esci };

constexpr std::int64_t limite_cursore = 1000000;

struct lettura_linea {
    scenario& s;
    lettore_token in;
    riga_corrente r{};
    std::int64_t indice_pendenza = 0;
    std::int32_t pendenza_precedente = 0;
    std::int64_t cursore = 2;

    lettura_linea(scenario& sc, const std::string& testo, const std::string& nome)
        : s(sc), in(testo, nome) {
        r.in = &in;
    }

    std::string token() {
        std::string t = in.token();
        r.dove = in.ultimo();
        s.riga = t;
        return t;
    }

    // Route guard on a row's position: code 15 and the end of the line file when it fails.
    bool guardia(std::int32_t p) {
        if (dentro_percorso(s, p, 100)) return true;
        errore_riga(s, r, 15, p);
        return false;
    }

    esito generale();
    esito riga_generale(const std::string& t);
    esito righe();
    esito riga_elemento(const std::string& t);
    esito pendenza();
    esito curva(const std::string& t);
    esito montagna();
    esito indicatore();
    esito cartello();
    void chiusura();
};

// General section: from the token after "[generale]" to the first header.
esito lettura_linea::generale() {
    for (;;) {
        if (in.fine()) return esito::avanti;
        std::string t = token();
        if (in.fine()) return esito::avanti;
        for (int i = 0; i < 10 && contiene(t, "-"); ++i) t = token();
        esito e = riga_generale(t);
        if (e != esito::avanti && !s.continua_dopo_errori) return e;
        if (!comincia_con(t, "-") && contiene(t, "[") && contiene(t, "]")) return esito::avanti;
    }
}

esito lettura_linea::riga_generale(const std::string& t) {
    const bool nota = (contiene(t, "percorso") && contiene(t, "lunghezza")) ||
                      (contiene_esatto(t, "progressiva") &&
                       (contiene_esatto(t, "uno") || contiene_esatto(t, "due") || contiene_esatto(t, "tre"))) ||
                      (contiene_esatto(t, "sfondo") &&
                       (contiene_esatto(t, "uno") || contiene_esatto(t, "due") || contiene_esatto(t, "tre"))) ||
                      (contiene_esatto(t, "segnali") && contiene_esatto(t, "ripetizione"));
    if (!nota) avverti_token_ignoto(s, r, t);
    if (contiene(t, "percorso") && contiene(t, "lunghezza")) {
        std::int32_t l = in.numero_long();
        s.tabella[voce_misure].fine = l;
        if (l > 1000000) {
            errore_riga(s, r, 1, std::nullopt);
            return esito::esci;
        }
        if (l < 0) {
            errore_riga(s, r, 104, std::nullopt);
            return esito::esci;
        }
        alloca_percorso(s, l);
    }
    const struct {
        const char* parola;
        int voce;
    } progressive[] = {{"tre", voce_progressiva_tre}, {"due", voce_progressiva_due}, {"uno", voce_progressiva_uno}};
    for (const auto& p : progressive) {
        if (contiene_esatto(t, p.parola) && contiene_esatto(t, "progressiva")) {
            voce& v = s.tabella[static_cast<std::size_t>(p.voce)];
            v.inizio = in.numero_long();
            v.fine = in.numero_long();
            v.progressiva = in.numero_long();
        }
    }
    voce& percorso = s.tabella[voce_percorso];
    if (contiene_esatto(t, "sfondo") && contiene_esatto(t, "uno")) percorso.inizio = in.numero_long();
    if (contiene_esatto(t, "sfondo") && contiene_esatto(t, "due")) percorso.progressiva = in.numero_long();
    if (contiene_esatto(t, "sfondo") && contiene_esatto(t, "tre")) percorso.fine = in.numero_long();
    if (contiene_esatto(t, "segnali") && contiene_esatto(t, "ripetizione")) {
        voce& treno = s.tabella[voce_treno];
        treno.inizio = in.numero_long();
        treno.fine = in.numero_long();
        if (treno.inizio % 50 != 0) {
            errore_riga(s, r, 3, std::nullopt);
            return esito::esci;
        }
        if (treno.fine % 50 != 0) {
            errore_riga(s, r, 4, std::nullopt);
            return esito::esci;
        }
        if (contiene(t, "4")) {
            treno.progressiva = 4;
        } else if (contiene(t, "9")) {
            treno.progressiva = 9;
        } else {
            errore_riga(s, r, 5, std::nullopt);
            return esito::esci;
        }
        if (treno.fine == 0) treno.progressiva = 0;
    }
    return esito::avanti;
}

// The rest of the file: every row recognised by its keyword alone.
esito lettura_linea::righe() {
    for (;;) {
        if (in.fine()) return esito::fine_file;
        std::string t = token();
        if (in.fine()) return esito::fine_file;
        for (int i = 0; i < 2 && contiene(t, "-"); ++i) {
            t = token();
            if (in.fine()) return esito::fine_file;
        }
        esito e = esito::avanti;
        if (!s.continua_dopo_errori) {
            e = riga_elemento(t);
        } else {
            // An author's check: a failing row is recorded and the reading goes on with the next.
            try {
                e = riga_elemento(t);
            } catch (const guasto& g) {
                errore_riga(s, r, 25, std::nullopt, g.what());
            }
            if (e == esito::esci) e = esito::avanti;
        }
        if (e != esito::avanti) return e;
    }
}

esito lettura_linea::riga_elemento(const std::string& t) {
    if (!contiene(t, "pendenza") && !contiene(t, "curva") && !contiene(t, "montagna") && !contiene(t, "indicat"))
        avverti_token_ignoto(s, r, t);
    esito e = esito::avanti;
    if (contiene(t, "pendenza") && (e = pendenza()) != esito::avanti) return e;
    if (contiene(t, "curva") && s.genera_tracciato != 0 && (e = curva(t)) != esito::avanti) return e;
    if (contiene(t, "montagna") && (e = montagna()) != esito::avanti) return e;
    if (contiene(t, "indicatori_v") && (e = indicatore()) != esito::avanti) return e;
    if (contiene(t, "indicat") && contiene(t, "cartello") && (e = cartello()) != esito::avanti) return e;
    return e;
}

esito lettura_linea::pendenza() {
    std::int32_t p = in.numero_long();
    std::int32_t g = in.numero_long();
    if (!guardia(p)) return esito::fine_file;
    std::int32_t c = clng(p / 50.0);
    if (c > 0) {
        do {
            cella_a(s, indice_pendenza).pendenza = bassi_8(std::int64_t{pendenza_precedente} + 100);
            ++indice_pendenza;
        } while (indice_pendenza < c);
    }
    pendenza_precedente = g;
    return esito::avanti;
}

esito lettura_linea::curva(const std::string& t) {
    std::int32_t a = in.numero_long();
    std::int32_t n = in.numero_long();
    if (!guardia(a)) return esito::fine_file;
    double kappa = curvatura_classe(t);
    if (kappa == 0.0) {
        errore_riga(s, r, 103, std::nullopt, "curva senza classe da 1 a 6");
        return esito::esci;
    }
    if (contiene(t, "s")) kappa = -kappa;
    std::int64_t fine_curva = std::int64_t{a} + n;
    if (fine_curva > std::int64_t{s.fine_tracciato} - 2) {
        errore_riga(s, r, 106, a);
        return esito::esci;
    }
    if (!estendi_tracciato(s.tracciato, cursore, a, 0.0, limite_cursore) ||
        !estendi_tracciato(s.tracciato, cursore, fine_curva, kappa, limite_cursore)) {
        errore_riga(s, r, 103, std::nullopt, "il tracciato supera 1000000 m");
        return esito::esci;
    }
    return esito::avanti;
}

esito lettura_linea::montagna() {
    std::int32_t a = in.numero_long();
    std::int32_t e = in.numero_long();
    std::int32_t tipo = in.numero_long();
    if (!guardia(a)) return esito::fine_file;
    if (!dentro_percorso(s, e, 100)) {
        errore_riga(s, r, 107, e);
        return esito::esci;
    }
    memo_montagna(s, a, e, tipo);
    if (s.codice_errore > 0) {
        errore_riga(s, r, s.codice_errore, a);
        return esito::esci;
    }
    return esito::avanti;
}

esito lettura_linea::indicatore() {
    std::int32_t p = in.numero_long();
    std::int32_t v[8];
    leggi_long(in, v);
    if (!guardia(p)) return esito::fine_file;
    memo_indicatori_v_max(s, p, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
    if (s.codice_errore > 0) {
        errore_riga(s, r, s.codice_errore, p);
        return esito::esci;
    }
    return esito::avanti;
}

esito lettura_linea::cartello() {
    std::int32_t p = in.numero_long();
    std::string testo = in.testo();
    s.riga = testo;
    if (!guardia(p)) return esito::fine_file;
    cella& c = cella_a(s, clng(p / 50.0 + 1.0));
    if (!libera(c)) {
        errore_riga(s, r, 6, p);
        return esito::esci;
    }
    if (s.prossimo_cartello < 1) {
        errore_riga(s, r, 109, p);
        return esito::esci;
    }
    c.tipo = cella_cartello;
    c.valore1 = a_intero(s.prossimo_cartello);
    voce_a(s, s.prossimo_cartello).nome = testo;
    --s.prossimo_cartello;
    return esito::avanti;
}

// After the last row: gradients carried to the end of the route, the track plan drawn straight to its end.
void lettura_linea::chiusura() {
    do {
        cella_a(s, indice_pendenza).pendenza = bassi_8(std::int64_t{pendenza_precedente} + 100);
        ++indice_pendenza;
    } while (indice_pendenza < std::int64_t{s.ultima_cella} - 2);
    if (s.genera_tracciato != 0)
        estendi_tracciato(s.tracciato, cursore, std::int64_t{s.fine_tracciato} - 2, 0.0, limite_cursore);
}

bool leggi(lettura_linea& l);

}  // namespace

bool leggi_linea(scenario& s, const std::string& testo, const std::string& nome_file) {
    lettura_linea l(s, testo, nome_file);
    try {
        bool avanti = leggi(l);
        raccogli_avvertimenti(s, l.in);
        return avanti || s.continua_dopo_errori;
    } catch (const guasto& g) {
        raccogli_avvertimenti(s, l.in);
        throw guasto_in_riga(g.what(), l.in.nome_file(), l.in.ultimo());
    }
}

namespace {
bool leggi(lettura_linea& l) {
    scenario& s = l.s;
    for (;;) {
        if (l.in.fine()) {
            errore_riga(s, l.r, 102, std::nullopt, "manca [generale]");
            return false;
        }
        std::string t = l.token();
        if (l.in.fine()) {
            errore_riga(s, l.r, 102, std::nullopt, "manca [generale]");
            return false;
        }
        if (contiene(t, "[generale]")) break;
    }
    if (l.generale() == esito::esci) return false;

    progressive_ordina(s);
    s.n_montagne = 0;
    s.prossimo_cartello = prima_voce_cartelli;
    if (s.genera_tracciato != 0) {
        imposta_punto(s.tracciato, 0, 0, etichetta::intero, 0);
        imposta_punto(s.tracciato, 0, 1, etichetta::intero, 0);
        imposta_punto(s.tracciato, 1, 0, etichetta::intero, 0);
        imposta_punto(s.tracciato, 1, 1, etichetta::intero, 1);
    }
    if (l.righe() == esito::esci) return false;
    l.chiusura();
    return true;
}
}  // namespace

}  // namespace valmarena
