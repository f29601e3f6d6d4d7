// Decoding the values that the compiler packs into cells and entries.

#include "descrizione.h"

#include "sources/codifica.h"

namespace valmarena::strumento {

namespace {

campo_letto numero(std::string nome, std::int64_t v) { return {std::move(nome), {v}, false, std::nullopt}; }
campo_letto numeri(std::string nome, std::vector<std::int64_t> v) { return {std::move(nome), std::move(v), true, std::nullopt}; }
campo_letto testo(std::string nome, std::string t) { return {std::move(nome), {}, false, std::move(t)}; }

// The name held by table entry `n`, or nothing when there is no table or no such entry.
std::optional<std::string> nome_in_tabella(const std::vector<voce>* tabella, std::int64_t n) {
    if (!tabella || n < 0 || static_cast<std::size_t>(n) >= tabella->size()) return std::nullopt;
    return da_1252_a_utf8((*tabella)[static_cast<std::size_t>(n)].nome);
}

bool voce_vuota(const voce& v) { return v == voce{}; }

}  // namespace

std::string nome_tipo_cella(std::uint8_t tipo) {
    switch (tipo) {
    case cella_vuota: return "empty";
    case cella_segnale: return "signal";
    case cella_fine_rallentamento: return "slowdown end";
    case cella_inizio_rallentamento: return "slowdown start";
    case cella_avviso_rallentamento: return "warning point";
    case cella_numerata: return "numbered cell";
    case cella_indicatore: return "board";
    case cella_fermata: return "stopping point";
    case cella_marcatore_montagna: return "mountain marker";
    case cella_abbattimento: return "abatement point";
    case cella_abbattimento_senza_valore: return "abatement point without value";
    case cella_cartello: return "signboard";
    default: return "unknown kind " + std::to_string(tipo);
    }
}

std::string_view nome_voce_riservata(std::size_t indice) {
    switch (indice) {
    case voce_progressiva_tre: return "voce_progressiva_tre";
    case voce_progressiva_due: return "voce_progressiva_due";
    case voce_progressiva_uno: return "voce_progressiva_uno";
    case voce_misure: return "voce_misure";
    case voce_percorso: return "voce_percorso";
    case voce_treno: return "voce_treno";
    default: return {};
    }
}

elemento_cella descrivi_cella(const std::vector<cella>& celle, std::size_t i, const std::vector<voce>* tabella) {
    const cella& c = celle.at(i);
    elemento_cella e;
    e.indice = i;
    e.metri = metri_cella(i);
    e.tipo = c.tipo;
    e.nome_tipo = nome_tipo_cella(c.tipo);
    e.grezza = c;
    auto& k = e.campi;
    switch (c.tipo) {
    case cella_segnale: {
        // valore1..3 = s1..s3 * 10 + d1..d3; valore4 = rapp * 10 + sx * 3 + dx.
        int resto = c.valore4 % 10;
        k.push_back(numero("sx", resto / 3));
        k.push_back(numeri("s", {c.valore1 / 10, c.valore2 / 10, c.valore3 / 10}));
        k.push_back(numero("rapp", c.valore4 / 10));
        k.push_back(numero("dx", resto % 3));
        k.push_back(numeri("d", {c.valore1 % 10, c.valore2 % 10, c.valore3 % 10}));
        k.push_back(numero("tempo", c.tempo));
        break;
    }
    case cella_inizio_rallentamento:
    case cella_fine_rallentamento:
        k.push_back(numero("speed_kmh", c.valore1));
        k.push_back(numero("f_tt", c.valore3));
        k.push_back(numero("d_v", c.valore2));
        break;
    case cella_avviso_rallentamento:
        k.push_back(numero("speed_kmh", c.valore1));
        k.push_back(numero("d_v", c.valore2));
        break;
    case cella_numerata:
        k.push_back(numero("number", c.valore1));
        break;
    case cella_indicatore: {
        // Each of valore1..3 is (speed on side s) * 20 + (speed on side d) / 5, both multiples
        // of 5 km/h: hundreds are side s in fives, the last two digits side d in fives.
        const std::int16_t v[3] = {c.valore1, c.valore2, c.valore3};
        std::vector<std::int64_t> s, d;
        for (auto x : v) {
            s.push_back(x / 100 * 5);
            d.push_back(x % 100 * 5);
        }
        k.push_back(numeri("side_s_kmh", s));
        k.push_back(numero("stripes_s", c.valore4 / 10));
        k.push_back(numeri("side_d_kmh", d));
        k.push_back(numero("stripes_d", c.valore4 % 10));
        break;
    }
    case cella_fermata: {
        k.push_back(numero("entry", c.valore1));
        if (auto n = nome_in_tabella(tabella, c.valore1)) k.push_back(testo("station", *n));
        break;
    }
    case cella_marcatore_montagna:
        k.push_back(numero("mountain_kind", c.montagna));
        break;
    case cella_abbattimento:
        k.push_back(numero("value", c.valore1));
        break;
    case cella_cartello: {
        k.push_back(numero("entry", c.valore1));
        if (auto n = nome_in_tabella(tabella, c.valore1)) k.push_back(testo("text", *n));
        break;
    }
    case cella_abbattimento_senza_valore:
        break;
    default:
        // A kind the compiler never writes: its values as they are.
        k.push_back(numeri("valori", {c.valore1, c.valore2, c.valore3, c.valore4}));
        break;
    }
    return e;
}

std::vector<rallentamento_letto> trova_rallentamenti(const std::vector<cella>& celle) {
    std::vector<rallentamento_letto> r;
    for (std::size_t i = 0; i < celle.size(); ++i) {
        if (celle[i].tipo != cella_inizio_rallentamento) continue;
        rallentamento_letto x;
        x.inizio = i;
        x.velocita = celle[i].valore1;
        // The end is the first end cell after the start, unless another slowdown starts first.
        for (std::size_t j = i + 1; j < celle.size(); ++j) {
            if (celle[j].tipo == cella_inizio_rallentamento) break;
            if (celle[j].tipo == cella_fine_rallentamento) {
                x.fine = j;
                break;
            }
        }
        // The warning point is 1200 m (24 cells) before the start, the numbered cells just before it.
        if (i >= 24 && celle[i - 24].tipo == cella_avviso_rallentamento) {
            x.avviso = i - 24;
            for (std::size_t n = 1; n <= 4 && i >= 24 + n; ++n)
                if (celle[i - 24 - n].tipo == cella_numerata) x.numerate.push_back(i - 24 - n);
        }
        r.push_back(std::move(x));
    }
    return r;
}

std::string ruolo_voce(const std::vector<voce>& tabella, std::size_t i) {
    if (auto n = nome_voce_riservata(i); !n.empty()) return std::string(n);
    const voce& v = tabella.at(i);
    if (voce_vuota(v)) return "empty";
    voce senza_nome = v;
    senza_nome.nome.clear();
    if (i == 0) return "unused";
    // Signboard texts fill only the name; a station always has numbers too.
    return voce_vuota(senza_nome) ? "signboard text" : "station";
}

std::vector<campo_letto> campi_voce(const voce& v) {
    return {numero("tipo", v.tipo),        numero("inizio", v.inizio),   numero("fine", v.fine),
            numero("progressiva", v.progressiva), numero("dato1", v.dato1),
            testo("nome", da_1252_a_utf8(v.nome)),
            numero("intero1", v.intero1),  numero("intero2", v.intero2), numero("intero3", v.intero3),
            numero("intero4", v.intero4),  numero("intero5", v.intero5), numero("byte1", v.byte1),
            numero("byte2", v.byte2),      numero("byte3", v.byte3),     numero("byte4", v.byte4),
            numero("orario", v.orario)};
}

std::string significato_voce_riservata(std::size_t indice) {
    switch (indice) {
    case voce_progressiva_tre:
    case voce_progressiva_due:
    case voce_progressiva_uno:
        return "kilometric reference: inizio = position (m), fine = kilometric value (m, +100 when flagged), "
               "progressiva = flag";
    case voce_misure: return "inizio = braked mass (%), fine = route length (m), progressiva = number of coaches";
    case voce_percorso:
        return "nome = route; inizio, progressiva, fine = backgrounds one, two, three; intero1 = mark 610; "
               "orario = position-weighted competition code";
    case voce_treno:
        return "nome = train; inizio, fine = signal repetition stretch (m), progressiva = repetition codes; "
               "intero1 = sand; intero3..5 = start time h, min, s";
    default: return {};
    }
}

}  // namespace valmarena::strumento
