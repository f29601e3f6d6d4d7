// The generated train card and slowdown order: the source rows they need, the card's rows in
// route order, its pages and title blocks, and the slowdown order's one page.

#include "documenti.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "sources/codifica.h"

namespace valmarena::strumento {

namespace {

// ---- text pieces ----

std::string a_sinistra(std::string t, std::size_t larghezza, char riempi = ' ') {
    if (t.size() > larghezza) t.resize(larghezza);
    return t + std::string(larghezza - t.size(), riempi);
}

std::string a_destra(std::string t, std::size_t larghezza) {
    if (t.size() > larghezza) t.resize(larghezza);
    return std::string(larghezza - t.size(), ' ') + t;
}

// Centred, the odd blank on the right.
std::string centrato(std::string t, std::size_t larghezza, char riempi = ' ') {
    if (t.size() > larghezza) t.resize(larghezza);
    const std::size_t sinistra = (larghezza - t.size()) / 2;
    return std::string(sinistra, riempi) + t + std::string(larghezza - t.size() - sinistra, riempi);
}

std::string km_testo(std::int64_t metri) { return km_decimale(metri); }

// hh.mm, a half minute and more rounded up.
std::string ora_testo(std::int32_t secondi) {
    const std::int32_t minuti = (secondi + 30) / 60;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d.%02d", static_cast<int>(minuti / 60 % 24), static_cast<int>(minuti % 60));
    return buf;
}

std::string con_crlf(const std::vector<std::string>& righe) {
    std::string t;
    for (const auto& r : righe) t += r + "\r\n";
    return t;
}

// The train's category and number: "RX 914" gives "RX" and "914".
std::pair<std::string, std::string> categoria_e_numero(const std::string& treno) {
    const std::size_t cifra = treno.find_first_of("0123456789");
    if (cifra == std::string::npos) return {treno, {}};
    std::string categoria = treno.substr(0, cifra);
    while (!categoria.empty() && categoria.back() == ' ') categoria.pop_back();
    return {categoria, treno.substr(cifra)};
}

// ---- the train card ----

struct riga_scheda {
    std::int32_t posizione = 0;
    std::string nome;        // station, "Cippo Km ..." or empty on the row of a new reckoning
    std::string km;          // the Progr Km cell, 9 characters
    char binario = ' ';      // the track drawing
    std::int32_t velocita = 0;  // the limit that starts here, 0 when unchanged
    std::int32_t orario = 0;
    bool stazione = false;
};

constexpr std::size_t righe_per_pagina = 31;

std::int32_t limite_in(const dati_documenti& d, std::int32_t posizione) {
    std::int32_t v = 0;
    for (const auto& l : d.limiti)
        if (l.posizione <= posizione) v = l.velocita;
    return v;
}

// Stations, the limits where they change and the changes of reckoning, in route order.
std::vector<riga_scheda> righe_della_scheda(const dati_documenti& d) {
    std::vector<riga_scheda> righe;
    for (const auto& s : d.stazioni) righe.push_back({s.posizione, s.nome, {}, ' ', 0, s.orario, true});
    // The limit that starts at a position: of several rows there, the last one read.
    std::vector<dati_documenti::limite> limiti = d.limiti;
    std::stable_sort(limiti.begin(), limiti.end(), [](const auto& a, const auto& b) { return a.posizione < b.posizione; });
    std::vector<std::int32_t> cambi;
    for (const riferimento_km& r : d.km.riferimenti()) cambi.push_back(r.p);
    std::sort(cambi.begin(), cambi.end());
    // A position makes one row: a limit or a change of reckoning there joins its station, else
    // the row made for that position (limits and changes are taken in position order).
    const std::size_t n_stazioni = righe.size();
    auto riga_in = [&righe, n_stazioni](std::int32_t posizione) -> riga_scheda& {
        for (std::size_t i = 0; i < n_stazioni; ++i)
            if (righe[i].posizione == posizione) return righe[i];
        if (righe.size() > n_stazioni && righe.back().posizione == posizione) return righe.back();
        righe.push_back({posizione, {}, {}, ' ', 0, 0, false});
        return righe.back();
    };
    std::size_t l = 0, c = 0;
    while (l < limiti.size() || c < cambi.size()) {
        if (c == cambi.size() || (l < limiti.size() && limiti[l].posizione <= cambi[c])) {
            riga_in(limiti[l].posizione).velocita = limiti[l].velocita;
            ++l;
        } else {
            riga_in(cambi[c]).binario = '-';
            ++c;
        }
    }
    std::stable_sort(righe.begin(), righe.end(), [](const auto& a, const auto& b) { return a.posizione < b.posizione; });
    std::vector<riga_scheda> tutte;
    for (auto& r : righe) {
        const bool cambio = r.binario == '-';
        const std::int64_t km = d.km.progressiva(r.posizione);
        const std::int64_t prima = d.km.progressiva_prima(r.posizione);
        r.km = cambio ? a_destra(km_testo(prima), 8) + "/" : a_destra(km_testo(km), 8) + " ";
        if (r.nome.empty()) r.nome = "Cippo Km " + km_testo(cambio ? prima : km);
        tutte.push_back(r);
        if (cambio) tutte.push_back({r.posizione, std::string(), a_destra("(" + km_testo(km) + ")", 9), ' ', 0, 0, false});
    }
    return tutte;
}

std::string velocita_testo(std::int32_t v) { return v > 0 ? a_destra(std::to_string(v), 4) + " " : std::string(5, ' '); }

std::string orario_testo(const riga_scheda& r, bool origine, bool capolinea) {
    if (!r.stazione || r.orario == 0) return std::string(19, ' ');
    const std::string rientro = origine ? "        " : capolinea ? "" : "    ";
    return a_sinistra(rientro + ora_testo(r.orario), 19);
}

// The cab-signalling cell: "COD" on both tracks on the first row of the coded stretch, ":" on the rows within it.
std::string srs_testo(const dati_documenti& d, std::int32_t posizione, bool primo) {
    if (d.ripetizione_fine <= d.ripetizione_inizio || posizione < d.ripetizione_inizio || posizione > d.ripetizione_fine)
        return std::string(7, ' ');
    return primo ? "COD COD" : " :   : ";
}

std::string riga_corpo(const dati_documenti& d, const riga_scheda& r, std::int32_t velocita, bool origine,
                       bool capolinea, bool inizio_codificato) {
    const std::string v = velocita_testo(velocita);
    return " |" + v + "|     |" + r.km + "|" + std::string(1, r.binario) + "|" + a_sinistra(r.nome, 22) + "|" +
           orario_testo(r, origine, capolinea) + "|" + v + "|" + srs_testo(d, r.posizione, inizio_codificato) + "|";
}

std::vector<std::string> blocco_titolo(const dati_documenti& d, std::size_t pagina, std::size_t pagine,
                                       const std::string& da, const std::string& a) {
    const auto [categoria, numero] = categoria_e_numero(d.nome_treno);
    const std::string destinazione = d.stazioni.empty() ? std::string() : d.stazioni.back().nome;
    std::int32_t massima = 0;
    for (const auto& l : d.limiti) massima = std::max(massima, l.velocita);
    const std::string rango = massima > 0 ? "V" + std::to_string(massima) : std::string();
    const std::string frenata = d.massa_frenata > 0 ? std::to_string(d.massa_frenata) + "%" : std::string();
    const bool prima = pagina == 1;
    const std::string etichetta = "Scheda n\xB0 " + std::to_string(pagina) + "/" + std::to_string(pagine);
    std::vector<std::string> b{
        "  " + std::string(34, '_') + std::string(28, ' ') + std::string(18, '_'),
        " |" + centrato(prima ? "" : "TRENO", 17) + "| Termine scheda |" + centrato("SCHEDA TRENO", 26) + "|" +
            centrato(rango, 18) + "|",
        " |" + (prima ? a_sinistra(" TRENO n. " + numero, 17) : std::string(17, ' ')) + "|" + std::string(16, ' ') +
            "|" + std::string(26, ' ') + "|" + std::string(18, ' ') + "|",
        " |" + (prima ? std::string(17, '_') : centrato(numero, 17, '_')) + "|" + centrato(destinazione, 16, '_') + "|" +
            centrato(etichetta, 26) + "|" + centrato(frenata, 18, '_') + "|"};
    if (pagina != 2) b.push_back(std::string(83, ' '));
    b.push_back("  " + std::string(34, '_') + "  Da: " + da);
    b.push_back(" | CLASSIFICAZIONE | MASSA BLOCCATA |" + std::string(27, ' ') + std::string(18, '_'));
    b.push_back(" |" + centrato(categoria, 17) + "|" + std::string(16, ' ') + "| a:  " + a_sinistra(a, 21) + "|" +
                std::string(9, ' ') + "|" + std::string(8, ' ') + "|");
    b.push_back(" |_________________|________________|" + std::string(26, ' ') + "|_________|________|");
    return b;
}

const char* testata_tabella[] = {
    "  ________________________________________________________________________________",
    " |Binario SX |                                  |                   | Vel.|SRS SRS|",
    " |___________| Progr Km   Localita' di  Servizio|     Orario        | Max.|       |",
    " | Vel.| Vel.|                                  |                   | Bin.|SX  DX |",
    " |_Max.|_Mar.|__________________________________|___________________|__DX_|_______|"};

// The first row of each page; a page after the first repeats the last row of the page before.
std::vector<std::size_t> inizi_pagine(std::size_t righe) {
    std::vector<std::size_t> inizi{0};
    while (inizi.back() + righe_per_pagina < righe) inizi.push_back(inizi.back() + righe_per_pagina - 1);
    return inizi;
}

// The row that opens a page after the first: a kilometre post at the place of the row that
// closed the page before, so that a station and its time appear once.
riga_scheda cippo_di_ripresa(const dati_documenti& d, const riga_scheda& r) {
    const std::int64_t km = d.km.progressiva(r.posizione);
    return {r.posizione, "Cippo Km " + km_testo(km), a_destra(km_testo(km), 8) + " ", ' ', 0, 0, false};
}

std::string nome_di(const std::vector<riga_scheda>& righe, std::size_t i) {
    if (righe.empty()) return {};
    if (righe[i].nome.empty() && i > 0) return righe[i - 1].nome;
    return righe[i].nome;
}

// The row where the coded stretch begins, or the number of rows when there is none.
std::size_t primo_codificato(const dati_documenti& d, const std::vector<riga_scheda>& righe) {
    for (std::size_t i = 0; i < righe.size(); ++i)
        if (srs_testo(d, righe[i].posizione, true) != std::string(7, ' ')) return i;
    return righe.size();
}

// One page: title block, table heading, its rows (blank frames after the last) and the closing row.
void aggiungi_pagina(std::vector<std::string>& testo, const dati_documenti& d, const std::vector<riga_scheda>& righe,
                     const std::vector<std::size_t>& inizi, std::size_t p) {
    const std::size_t inizio = inizi[p];
    const std::size_t fine = std::min(righe.size(), inizio + righe_per_pagina);
    const std::size_t codificato_da = primo_codificato(d, righe);
    const std::string da = p > 0 ? cippo_di_ripresa(d, righe[inizio]).nome : nome_di(righe, inizio);
    const std::string a = fine > inizio ? nome_di(righe, fine - 1) : da;
    for (auto& r : blocco_titolo(d, p + 1, inizi.size(), da, a)) testo.push_back(r);
    for (const char* r : testata_tabella) testo.push_back(r);
    for (std::size_t i = inizio; i < fine; ++i) {
        // A page after the first opens at the kilometre post where the page before ended, with
        // the limit in force there.
        const bool ripresa = i == inizio && p > 0;
        const riga_scheda r = ripresa ? cippo_di_ripresa(d, righe[i]) : righe[i];
        const std::int32_t v = ripresa ? limite_in(d, r.posizione) : r.velocita;
        testo.push_back(riga_corpo(d, r, v, r.stazione && i == 0, r.stazione && i + 1 == righe.size(), i == codificato_da));
    }
    for (std::size_t i = fine - inizio; i < righe_per_pagina; ++i)
        testo.push_back(" |     |     |         | |                      |                   |     |       |");
    const bool codificato = fine > inizio && srs_testo(d, righe[fine - 1].posizione, false) != std::string(7, ' ');
    testo.push_back(" |_____|_____|_________|_|______________________|___________________|_____|" +
                    std::string(codificato ? "_:___:_" : "_______") + "|");
}

// After a page: a dotted separator before the next (the first page's longer, after a blank
// line holding one blank), or the closing empty line after the last.
void aggiungi_separatore(std::vector<std::string>& testo, std::size_t p, bool ultima) {
    if (ultima) {
        testo.push_back("");
        return;
    }
    if (p == 0) testo.push_back(" ");
    testo.push_back("");
    testo.push_back(std::string(p == 0 ? 83 : 72, '.'));
    testo.push_back("");
}

}  // namespace

namespace {

// The values a kind's fields gave, when every one of them was read: numbers as taken, the text
// of a text field in `testo`.
struct valori_tipo {
    std::vector<std::int64_t> numeri;
    std::string testo;
};

std::optional<valori_tipo> valori_di(const riga_osservata& r, const descrizione_riga* tipo) {
    valori_tipo v;
    std::size_t letti = 0;
    const auto descritti = campi_descritti(r);
    for (std::size_t i = 0; i < descritti.size(); ++i) {
        const auto [campo, di] = descritti[i];
        if (di != tipo) continue;
        ++letti;
        if (campo->tipo == larghezza::testo) {
            v.testo = std::string(testo_preso(r.campi[i]));
            v.numeri.push_back(0);
        } else if (auto n = valore_preso(r.campi[i], campo->tipo)) {
            v.numeri.push_back(*n);
        } else {
            return std::nullopt;
        }
    }
    if (letti != tipo->campi.size()) return std::nullopt;
    return v;
}

std::int32_t l32(std::int64_t v) { return static_cast<std::int32_t>(v); }

}  // namespace

void raccolta_documenti::riga(const riga_osservata& r) {
    if (r.saltata != riga_saltata::no || r.fine == fine_riga::guasto) return;
    for (const descrizione_riga* t : r.tipi) {
        const auto v = valori_di(r, t);
        if (!v) continue;
        const auto& n = v->numeri;
        switch (t->tipo) {
        case tipo_riga::lunghezza: d_.lunghezza = l32(n[0]); break;
        case tipo_riga::ripetizione:
            d_.ripetizione_inizio = l32(n[0]);
            d_.ripetizione_fine = l32(n[1]);
            break;
        case tipo_riga::frenata: d_.massa_frenata = l32(n[0]); break;
        case tipo_riga::velocita: d_.limiti.push_back({l32(n[0]), l32(n[1])}); break;
        case tipo_riga::stazione:
            d_.stazioni.push_back({l32(n[0]), v->testo, l32((n[13] * 60 + n[14]) * 60 + n[15])});
            break;
        case tipo_riga::rallentamento: d_.rallentamenti.push_back({l32(n[0]), l32(n[1]), l32(n[2]), l32(n[3])}); break;
        default: break;
        }
    }
}

std::string scheda_generata(const dati_documenti& d) {
    const std::vector<riga_scheda> righe = righe_della_scheda(d);
    const std::vector<std::size_t> inizi = inizi_pagine(righe.size());
    std::vector<std::string> testo{"", ""};
    for (std::size_t p = 0; p < inizi.size(); ++p) {
        aggiungi_pagina(testo, d, righe, inizi, p);
        aggiungi_separatore(testo, p, p + 1 == inizi.size());
    }
    return con_crlf(testo);
}

std::string rallentamenti_generati(const dati_documenti& d) {
    std::string linea;
    if (!d.stazioni.empty()) {
        auto abbrevia = [](const std::string& n) { return n.size() > 4 ? n.substr(0, 4) + "." : n; };
        linea = abbrevia(d.stazioni.front().nome) + "-" + abbrevia(d.stazioni.back().nome);
    }
    std::string treno = d.nome_treno;
    treno.erase(std::remove(treno.begin(), treno.end(), ' '), treno.end());
    std::vector<std::string> t{"",
                               std::string(31, ' ') + "Modulo M. 3",
                               std::string(27, ' ') + "ORDINE DI RALLENTAMENTO",
                               " " + std::string(80, '_'),
                               "  Linea  " + linea + " ",
                               "",
                               "  Si ordina al macchinista del treno " + treno + " di effettuare i seguenti rallentamenti",
                               "  " + std::string(79, '_'),
                               " |   |                            |Inizio dopo |          |         |            |",
                               " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
                               " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
                               " |___|____________________________|____________|__________|_________|____________|"};
    std::size_t n = 0;
    for (const auto& r : d.rallentamenti) {
        std::string prima, dopo;
        for (const auto& s : d.stazioni) {
            if (s.posizione <= r.x) prima = s.nome;
            if (s.posizione > r.x && dopo.empty()) dopo = s.nome;
        }
        const std::string fra = prima.empty() ? dopo : dopo.empty() ? prima : prima + " - " + dopo;
        const std::int64_t km = d.km.progressiva(r.x);
        const std::int64_t cippo = (km >= 0 ? km / 1000 : (km - 999) / 1000) * 1000;
        t.push_back(" |" + centrato(std::to_string(++n), 3) + "|" + a_sinistra(fra, 28) + "|" +
                    a_sinistra(km_testo(cippo), 12) + "|   " + a_sinistra(std::to_string(r.v), 7) + "| " +
                    a_sinistra(std::to_string(r.l), 8) + "|" + (r.f_tt == 1 ? "     A      " : std::string(12, ' ')) + "|");
    }
    for (; n < 26; ++n)
        t.push_back(" |   |                            |            |          |         |            |");
    t.push_back(" |___|____________________________|____________|__________|_________|____________|");
    t.push_back("");
    t.push_back(std::string(14, ' ') + "Prescrizioni specifiche");
    t.push_back(" A - Da rispettare con tutto il treno (per i treni viaggiatori)");
    t.push_back(" B - Interessa anche la stazione di.......");
    t.push_back(" D - Rallentamneto N. ... e N. ...  sono contigui");
    t.push_back(" C - Da rispettare dalle ore ....  alle ore ..... di tutti");
    t.push_back("     i giorni esclusi i seguenti:.........");
    return con_crlf(t);
}

}  // namespace valmarena::strumento
