// `scenario dump FILE [--json]`: any of the three compiled files as a readable listing or JSON.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <utility>
#include <sstream>

#include "argomenti.h"
#include "comandi.h"
#include "compiler/binari.h"
#include "comune.h"
#include "descrizione.h"
#include "json.h"
#include "platform/file_ospite.h"

namespace valmarena::strumento {

namespace {

enum class genere { tracciato, tabella, celle };

const char* nome_genere(genere g) {
    switch (g) {
    case genere::tracciato: return "track plan";
    case genere::tabella: return "scenario table";
    case genere::celle: return "route cells";
    }
    return "";
}

std::optional<genere> genere_da_nome(const std::filesystem::path& p) {
    std::string n = cammino_in_testo(p.filename());
    std::transform(n.begin(), n.end(), n.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (finisce_con(n, "_linea.dat")) return genere::tracciato;
    if (finisce_con(n, ".sim")) return genere::tabella;
    if (finisce_con(n, ".dat")) return genere::celle;
    return std::nullopt;
}

// A file with an unfamiliar name: the first layout that takes every byte wins, the table
// (87 entries exactly) first, then the track plan (valid tags, two equal halves), then cells.
genere genere_da_contenuto(std::string_view b) {
    if (b.empty()) throw formato_errato("the file is empty", 0);
    try {
        decodifica_tabella(b);
        return genere::tabella;
    } catch (const formato_errato&) {
    }
    try {
        decodifica_tracciato(b);
        return genere::tracciato;
    } catch (const formato_errato&) {
    }
    if (b.size() % 15 == 0) return genere::celle;
    throw formato_errato("its " + std::to_string(b.size()) +
                             " bytes fit none of the layouts (table, track plan, cells); name it "
                             "*_linea.dat, *.sim or *.dat, or give --kind",
                         0);
}

// ---- text rendering of decoded values ----

std::string campo_in_testo(const campo_letto& c) {
    std::string t = c.nome + "=";
    if (c.testo) return t + "\"" + *c.testo + "\"";
    for (std::size_t i = 0; i < c.numeri.size(); ++i) t += (i ? "," : "") + std::to_string(c.numeri[i]);
    return t;
}

std::string campi_in_testo(const std::vector<campo_letto>& campi) {
    std::string t;
    for (const auto& c : campi) t += (t.empty() ? "" : " ") + campo_in_testo(c);
    return t;
}

std::string ora(std::int32_t secondi) {
    if (secondi < 0) return {};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", secondi / 3600, secondi / 60 % 60, secondi % 60);
    return buf;
}

// ---- cells ----

struct tabella_accanto {
    std::optional<std::vector<voce>> voci;
    std::string file;   // the table file looked for
    std::string nota;   // why it is not used, when it is not
};

tabella_accanto cerca_tabella(const std::filesystem::path& celle, const std::string& indicata) {
    tabella_accanto t;
    std::filesystem::path p = indicata.empty() ? std::filesystem::path(celle).replace_extension(".sim")
                                               : std::filesystem::path(indicata);
    t.file = cammino_in_testo(p);
    std::error_code ec;
    if (indicata.empty() && !std::filesystem::exists(p, ec)) {
        t.nota = "no table file " + t.file + ": station names and signboard texts left out";
        return t;
    }
    std::string causa;
    auto b = carica_file(p, causa);
    if (!b) {
        t.nota = "cannot read the table file " + t.file + ": " + causa + "; station names left out";
        return t;
    }
    try {
        t.voci = decodifica_tabella(*b);
    } catch (const formato_errato& e) {
        t.nota = "the table file " + t.file + " does not fit its layout (" + e.what() + "); station names left out";
    }
    return t;
}

// What the listing and the JSON of a cell file show: the features, the slowdowns found on the
// cells, the reserved marks of cell 1 and the count of each kind.
struct vista_celle {
    std::size_t n_celle = 0;
    tabella_accanto tab;
    bool con_nomi = false;
    std::vector<elemento_cella> elementi;
    std::map<std::uint8_t, std::size_t> conta;
    std::vector<rallentamento_letto> rallentamenti;
    struct montagna {
        std::size_t da, a;
        std::uint8_t tipo;
    };
    std::vector<montagna> montagne;  // runs of cells with one non-zero `montagna`
    bool ha_cella_1 = false;
    std::int16_t marca = 0;
    std::int16_t codice = 0;
};

vista_celle guarda_celle(const std::vector<cella>& celle, tabella_accanto tab) {
    vista_celle v;
    v.n_celle = celle.size();
    v.tab = std::move(tab);
    v.con_nomi = v.tab.voci.has_value();
    const std::vector<voce>* voci = v.con_nomi ? &*v.tab.voci : nullptr;
    for (std::size_t i = 0; i < celle.size(); ++i) {
        if (celle[i].tipo == cella_vuota) continue;
        v.elementi.push_back(descrivi_cella(celle, i, voci));
        ++v.conta[celle[i].tipo];
    }
    v.rallentamenti = trova_rallentamenti(celle);
    for (std::size_t c = 0; c < celle.size();) {
        std::size_t h = c;
        while (h + 1 < celle.size() && celle[h + 1].montagna == celle[c].montagna) ++h;
        if (celle[c].montagna != 0) v.montagne.push_back({c, h, celle[c].montagna});
        c = h + 1;
    }
    v.ha_cella_1 = celle.size() > 1;
    v.marca = v.ha_cella_1 ? celle[1].valore1 : 0;
    v.codice = v.ha_cella_1 ? celle[1].valore2 : 0;
    return v;
}

void elemento_in_json(json_scrittore& j, const elemento_cella& e) {
    j.oggetto().chiave("cell").intero(static_cast<std::int64_t>(e.indice)).chiave("metres").intero(e.metri);
    j.chiave("kind").testo(e.nome_tipo).chiave("tipo").intero(e.tipo);
    j.chiave("values").oggetto();
    for (const auto& c : e.campi) campo_in_json(j, c);
    j.fine();
    const cella& g = e.grezza;
    j.chiave("raw").oggetto();
    j.chiave("valore1").intero(g.valore1).chiave("valore2").intero(g.valore2);
    j.chiave("valore3").intero(g.valore3).chiave("valore4").intero(g.valore4);
    j.chiave("tempo").intero(g.tempo).chiave("preavviso").intero(g.preavviso);
    j.chiave("montagna").intero(g.montagna).chiave("velocita").intero(g.velocita);
    j.chiave("pendenza").intero(g.pendenza).chiave("aderenza").intero(g.aderenza);
    j.fine().fine();
}

void rallentamento_in_json(json_scrittore& j, const rallentamento_letto& r) {
    j.oggetto().chiave("speed_kmh").intero(r.velocita);
    j.chiave("start_cell").intero(static_cast<std::int64_t>(r.inizio));
    j.chiave("start_metres").intero(metri_cella(r.inizio));
    j.chiave("end_cell");
    r.fine ? j.intero(static_cast<std::int64_t>(*r.fine)) : j.nullo();
    j.chiave("end_metres");
    r.fine ? j.intero(metri_cella(*r.fine)) : j.nullo();
    j.chiave("warning_cell");
    r.avviso ? j.intero(static_cast<std::int64_t>(*r.avviso)) : j.nullo();
    j.chiave("numbered_cells").lista();
    for (auto n : r.numerate) j.intero(static_cast<std::int64_t>(n));
    j.fine().fine();
}

std::string celle_in_json(const std::string& nome, std::size_t byte, const vista_celle& v) {
    json_scrittore j;
    j.oggetto().chiave("file").testo(nome).chiave("kind").testo("cells");
    j.chiave("bytes").intero(static_cast<std::int64_t>(byte));
    j.chiave("cells").intero(static_cast<std::int64_t>(v.n_celle));
    j.chiave("table").testo(v.tab.file).chiave("table_used").logico(v.con_nomi);
    j.chiave("reserved").oggetto();
    if (v.ha_cella_1) {
        j.chiave("valore1").intero(v.marca).chiave("mark_ok").logico(v.marca == marca_celle);
        j.chiave("valore2").intero(v.codice).chiave("competition_code").intero(v.codice);
    }
    j.fine();
    j.chiave("features").lista();
    for (const auto& e : v.elementi) elemento_in_json(j, e);
    j.fine();
    j.chiave("slowdowns").lista();
    for (const auto& r : v.rallentamenti) rallentamento_in_json(j, r);
    j.fine();
    j.chiave("counts").oggetto();
    for (const auto& [tipo, n] : v.conta) j.chiave(nome_tipo_cella(tipo)).intero(static_cast<std::int64_t>(n));
    j.fine().fine();
    return j.risultato();
}

void rallentamento_in_testo(std::ostringstream& o, const rallentamento_letto& r) {
    o << "  " << r.velocita << " km/h: start cell " << r.inizio << " (" << metri_cella(r.inizio) << " m)";
    if (r.fine)
        o << ", end cell " << *r.fine << " (" << metri_cella(*r.fine) << " m)";
    else
        o << ", no end cell";
    if (r.avviso)
        o << ", warning point cell " << *r.avviso << " (" << metri_cella(*r.avviso) << " m)";
    else
        o << ", no warning point";
    if (!r.numerate.empty()) {
        o << ", numbered cells";
        for (auto n : r.numerate) o << " " << n;
    }
    o << "\n";
}

std::string celle_in_testo(const std::string& nome, std::size_t byte, const vista_celle& v) {
    std::ostringstream o;
    o << nome << ": route cells, " << v.n_celle << " cells (0.." << v.n_celle - 1 << "), " << byte << " bytes\n";
    if (v.con_nomi) o << "names from " << v.tab.file << "\n";
    if (!v.tab.nota.empty()) o << "note: " << v.tab.nota << "\n";
    if (v.ha_cella_1) {
        o << "reserved marks of cell 1: valore1 = " << v.marca
          << (v.marca == marca_celle ? " (the mark 5121)" : " (not the mark 5121)") << ", valore2 = " << v.codice
          << " (plain competition code)\n";
    }
    o << "\n";
    char riga[128];
    std::snprintf(riga, sizeof riga, "%6s %8s  %-30s %s\n", "cell", "metres", "kind", "values");
    o << riga;
    for (const auto& e : v.elementi) {
        std::snprintf(riga, sizeof riga, "%6zu %8lld  %-30s ", e.indice, static_cast<long long>(e.metri),
                      e.nome_tipo.c_str());
        std::string r = riga + campi_in_testo(e.campi);
        while (!r.empty() && r.back() == ' ') r.pop_back();
        o << r << "\n";
    }
    o << "\nmountain stretches (montagna): " << v.montagne.size() << "\n";
    for (const auto& m : v.montagne)
        // A stretch's cell c covers metres 50 c to 50 (c + 1).
        o << "  cells " << m.da << ".." << m.a << " (" << m.da * 50 << ".." << (m.a + 1) * 50 << " m), kind " << static_cast<int>(m.tipo) << "\n";
    o << "\nslowdowns: " << v.rallentamenti.size() << "\n";
    for (const auto& r : v.rallentamenti) rallentamento_in_testo(o, r);
    o << "\ncounts:";
    bool primo = true;
    for (const auto& [tipo, n] : v.conta) {
        o << (primo ? " " : ", ") << nome_tipo_cella(tipo) << " " << n;
        primo = false;
    }
    o << (v.conta.empty() ? " no feature\n" : "\n");
    return o.str();
}

int dump_celle(const std::string& nome, std::string_view byte, const argomenti& a) {
    const std::vector<cella> celle = decodifica_celle(byte);
    tabella_accanto tab = cerca_tabella(a.posizionali.front(), a.valore("--table"));
    if (!a.valore("--table").empty() && !tab.voci) {
        std::cerr << "scenario dump: " << tab.nota << "\n";
        return 3;
    }
    const vista_celle v = guarda_celle(celle, std::move(tab));
    if (a.ha("--json")) {
        std::cout << celle_in_json(nome, byte.size(), v);
        if (!v.tab.nota.empty()) std::cerr << "scenario dump: " << v.tab.nota << "\n";
    } else {
        std::cout << celle_in_testo(nome, byte.size(), v);
    }
    return 0;
}

// ---- table ----

int dump_tabella(const std::string& nome, std::string_view byte, const argomenti& a) {
    const std::vector<voce> voci = decodifica_tabella(byte);
    std::vector<std::size_t> vuote;
    std::vector<std::size_t> elencate;
    for (std::size_t i = 0; i < voci.size(); ++i) {
        if (ruolo_voce(voci, i) == "empty")
            vuote.push_back(i);
        else
            elencate.push_back(i);
    }

    if (a.ha("--json")) {
        json_scrittore j;
        j.oggetto().chiave("file").testo(nome).chiave("kind").testo("table");
        j.chiave("bytes").intero(static_cast<std::int64_t>(byte.size()));
        j.chiave("entries").lista();
        for (auto i : elencate) {
            j.oggetto().chiave("index").intero(static_cast<std::int64_t>(i));
            j.chiave("role").testo(ruolo_voce(voci, i));
            j.chiave("fields").oggetto();
            for (const auto& c : campi_voce(voci[i])) campo_in_json(j, c);
            j.fine();
            if (auto m = significato_voce_riservata(i); !m.empty()) j.chiave("meaning").testo(m);
            j.fine();
        }
        j.fine();
        j.chiave("empty_entries").lista();
        for (auto i : vuote) j.intero(static_cast<std::int64_t>(i));
        j.fine().fine();
        std::cout << j.risultato();
        return 0;
    }

    std::ostringstream o;
    o << nome << ": scenario table, " << voci.size() << " entries, " << byte.size() << " bytes\n\n";
    for (auto i : elencate) {
        std::string ruolo = ruolo_voce(voci, i);
        char testa[64];
        std::snprintf(testa, sizeof testa, "entry %2zu  %-20s ", i, ruolo.c_str());
        o << testa;
        auto campi = campi_voce(voci[i]);
        if (ruolo == "signboard text") {
            o << campo_in_testo(campi[5]) << "\n";
            continue;
        }
        o << campi_in_testo(campi);
        if (ruolo == "station" && voci[i].orario != 0) o << " (" << ora(voci[i].orario) << ")";
        o << "\n";
        if (auto m = significato_voce_riservata(i); !m.empty()) o << std::string(32, ' ') << m << "\n";
    }
    o << "\nempty entries:";
    for (std::size_t k = 0; k < vuote.size();) {
        std::size_t h = k;
        while (h + 1 < vuote.size() && vuote[h + 1] == vuote[h] + 1) ++h;
        o << (k ? ", " : " ") << vuote[k];
        if (h > k) o << ".." << vuote[h];
        k = h + 1;
    }
    o << (vuote.empty() ? " none\n" : "\n");
    std::cout << o.str();
    return 0;
}

// ---- track plan ----

// The sample's spacing from --step: a whole number of metres above 0, 10000 when not given.
long long passo_campione(const argomenti& a) {
    if (!a.ha("--step")) return 10000;
    try {
        std::size_t fine = 0;
        const long long passo = std::stoll(a.valore("--step"), &fine);
        if (fine != a.valore("--step").size() || passo <= 0) throw std::invalid_argument("step");
        return passo;
    } catch (const std::exception&) {
        throw argomenti_errati("--step needs a whole number of metres above 0");
    }
}

// What the listing and the JSON of a track plan show: the count of each tag per axis, the
// extent of the values that are set and the length drawn. The file is read as it is decoded,
// never whole: the listing of a plan of any length takes little memory.
struct vista_tracciato {
    std::size_t n = 0;
    std::uint64_t meta = 0;        // the byte where the y half starts
    std::size_t conta[2][3] = {};  // [asse][vuoto, intero, reale]
    double minimo[2] = {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    double massimo[2] = {-std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    double lunghezza = 0.0;
    long long passo = 0;
    bool ha_estensione = false;
};

// The file's values counted, every one decoded: throws `formato_errato` as the whole decoding
// does. Then the x half and the y half read side by side for the figures.
vista_tracciato guarda_tracciato(std::FILE* f, std::uint64_t byte) {
    if (byte == 0) throw formato_errato("the file is empty", 0);
    lettore_tracciato tutti(f, byte);
    while (!tutti.finito()) tutti.prossimo();
    if (tutti.indice() % 2 != 0)
        throw formato_errato("the file holds " + std::to_string(tutti.indice()) +
                                 " values, an odd number: the x half and the y half must be of equal length",
                             static_cast<std::size_t>(byte));
    vista_tracciato v;
    const std::size_t n = v.n = tutti.indice() / 2;
    lettore_tracciato x(f, byte);
    for (std::size_t m = 0; m < n; ++m) x.prossimo();
    v.meta = x.pos();
    lettore_tracciato y(f, byte);
    y.vai(v.meta, n);
    x.vai(0, 0);
    valore_tracciato prima[2];
    for (std::size_t m = 0; m < n; ++m) {
        const valore_tracciato p[2] = {x.prossimo(), y.prossimo()};
        for (int asse = 0; asse < 2; ++asse) {
            const etichetta e = p[asse].e;
            ++v.conta[asse][e == etichetta::vuoto ? 0 : e == etichetta::intero ? 1 : 2];
            if (e != etichetta::vuoto) {
                v.minimo[asse] = std::min(v.minimo[asse], p[asse].v);
                v.massimo[asse] = std::max(v.massimo[asse], p[asse].v);
            }
        }
        auto pieno = [](const valore_tracciato (&q)[2]) { return q[0].e != etichetta::vuoto && q[1].e != etichetta::vuoto; };
        if (m > 0 && pieno(p) && pieno(prima)) v.lunghezza += std::hypot(p[0].v - prima[0].v, p[1].v - prima[1].v);
        prima[0] = p[0];
        prima[1] = p[1];
    }
    v.ha_estensione = v.conta[0][1] + v.conta[0][2] > 0 && v.conta[1][1] + v.conta[1][2] > 0;
    return v;
}

// Calls `campione(m, x, y)` for every metre of the sample, in order: every `passo` metres from
// 0, and the last metre.
template <typename F>
void per_ogni_campione(std::FILE* f, std::uint64_t byte, const vista_tracciato& v, F&& campione) {
    lettore_tracciato x(f, byte), y(f, byte);
    y.vai(v.meta, v.n);
    const auto passo = static_cast<std::size_t>(v.passo);
    for (std::size_t m = 0; m < v.n; ++m) {
        const valore_tracciato a = x.prossimo(), b = y.prossimo();
        if (m % passo == 0 || m == v.n - 1) campione(m, a, b);
    }
}

const char* const assi[2] = {"x", "y"};

// Written out a piece at a time, each piece when it reaches this length.
constexpr std::size_t pezzo_uscita = std::size_t{64} << 10;

void tracciato_in_json(const std::string& nome, std::uint64_t byte, std::FILE* f, const vista_tracciato& v) {
    json_scrittore j;
    j.oggetto().chiave("file").testo(nome).chiave("kind").testo("track_plan");
    j.chiave("bytes").intero(static_cast<std::int64_t>(byte));
    j.chiave("points").intero(static_cast<std::int64_t>(v.n));
    j.chiave("last_metre").intero(static_cast<std::int64_t>(v.n) - 1);
    j.chiave("values").oggetto();
    for (int asse = 0; asse < 2; ++asse) {
        j.chiave(assi[asse]).oggetto();
        j.chiave("empty").intero(static_cast<std::int64_t>(v.conta[asse][0]));
        j.chiave("integer").intero(static_cast<std::int64_t>(v.conta[asse][1]));
        j.chiave("real").intero(static_cast<std::int64_t>(v.conta[asse][2]));
        j.fine();
    }
    j.fine();
    j.chiave("extent");
    if (v.ha_estensione) {
        j.oggetto().chiave("x_min").reale(v.minimo[0], 3).chiave("x_max").reale(v.massimo[0], 3);
        j.chiave("y_min").reale(v.minimo[1], 3).chiave("y_max").reale(v.massimo[1], 3).fine();
    } else {
        j.nullo();
    }
    j.chiave("drawn_length").reale(v.lunghezza, 3);
    j.chiave("sample_step").intero(v.passo);
    j.chiave("sample").lista();
    std::string uscita;
    per_ogni_campione(f, byte, v, [&](std::size_t m, const valore_tracciato& x, const valore_tracciato& y) {
        j.oggetto().chiave("metre").intero(static_cast<std::int64_t>(m));
        const valore_tracciato* p[2] = {&x, &y};
        for (int asse = 0; asse < 2; ++asse) {
            j.chiave(assi[asse]);
            p[asse]->e == etichetta::vuoto ? j.nullo() : j.reale(p[asse]->v, 3);
        }
        j.fine();
        uscita += j.pezzo();
        if (uscita.size() >= pezzo_uscita) std::cout << std::exchange(uscita, std::string());
    });
    j.fine().fine();
    std::cout << uscita << j.risultato();
}

void tracciato_in_testo(const std::string& nome, std::uint64_t byte, std::FILE* f, const vista_tracciato& v) {
    const std::size_t n = v.n;
    std::ostringstream o;
    o << nome << ": track plan, " << n << " metres (0.." << n - 1 << "), " << 2 * n << " values, " << byte
      << " bytes\n";
    for (int asse = 0; asse < 2; ++asse)
        o << "  " << assi[asse] << ": " << v.conta[asse][1] << " integer, " << v.conta[asse][2] << " real, "
          << v.conta[asse][0] << " empty\n";
    if (v.ha_estensione)
        o << "extent: x " << reale(v.minimo[0], 3) << " .. " << reale(v.massimo[0], 3) << " m, y "
          << reale(v.minimo[1], 3) << " .. " << reale(v.massimo[1], 3) << " m\n";
    else
        o << "extent: no value set\n";
    o << "drawn length: " << reale(v.lunghezza, 3) << " m (steps between metres that are both set)\n";
    o << "\nsample, every " << v.passo << " m:\n";
    char riga[128];
    std::snprintf(riga, sizeof riga, "%8s %14s %14s\n", "metre", "x", "y");
    std::string uscita = o.str() + riga;
    per_ogni_campione(f, byte, v, [&](std::size_t m, const valore_tracciato& a, const valore_tracciato& b) {
        const std::string x = a.e == etichetta::vuoto ? "empty" : reale(a.v, 3);
        const std::string y = b.e == etichetta::vuoto ? "empty" : reale(b.v, 3);
        std::snprintf(riga, sizeof riga, "%8zu %14s %14s\n", m, x.c_str(), y.c_str());
        uscita += riga;
        if (uscita.size() >= pezzo_uscita) std::cout << std::exchange(uscita, std::string());
    });
    std::cout << uscita;
}

// The track plan read from its file as it is listed.
int dump_tracciato(const std::string& nome, const std::filesystem::path& file, const argomenti& a) {
    std::string causa;
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec)) {
        std::cerr << "scenario dump: cannot read " << nome << ": it is a folder\n";
        return 3;
    }
    std::FILE* f = apri_file(file, "rb", causa);
    const std::uint64_t byte = f ? std::filesystem::file_size(file, ec) : 0;
    if (!f || ec) {
        if (f) std::fclose(f);
        std::cerr << "scenario dump: cannot read " << nome << ": " << (ec ? ec.message() : causa) << "\n";
        return 3;
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> chiudi(f, std::fclose);
    vista_tracciato v = guarda_tracciato(f, byte);
    v.passo = passo_campione(a);
    if (a.ha("--json"))
        tracciato_in_json(nome, byte, f, v);
    else
        tracciato_in_testo(nome, byte, f, v);
    return 0;
}

}  // namespace

int comando_dump(const std::vector<std::string>& args) {
    argomenti a = analizza(args, "dump");
    if (a.posizionali.empty()) throw argomenti_errati("missing FILE");
    if (a.posizionali.size() > 1) throw argomenti_errati("unexpected argument " + a.posizionali[1]);
    std::optional<genere> forzato;
    if (a.ha("--kind")) {
        const std::string k = a.valore("--kind");
        if (k == "track") forzato = genere::tracciato;
        else if (k == "table") forzato = genere::tabella;
        else if (k == "cells") forzato = genere::celle;
        else throw argomenti_errati("--kind takes track, table or cells, not '" + k + "'");
    }
    const std::filesystem::path file = a.posizionali.front();
    const std::string nome = cammino_in_testo(file);
    std::optional<genere> g = forzato ? forzato : genere_da_nome(file);
    if (g == genere::tracciato) {
        try {
            return dump_tracciato(nome, file, a);
        } catch (const formato_errato& e) {
            std::cerr << "scenario dump: " << nome << ": not a valid track plan file: " << e.what() << "\n";
            return 3;
        }
    }
    std::string causa;
    auto byte = carica_file(file, causa);
    if (!byte) {
        std::cerr << "scenario dump: cannot read " << nome << ": " << causa << "\n";
        return 3;
    }
    try {
        if (!g) g = genere_da_contenuto(*byte);
        switch (*g) {
        case genere::tracciato: return dump_tracciato(nome, file, a);
        case genere::tabella: return dump_tabella(nome, *byte, a);
        case genere::celle: return dump_celle(nome, *byte, a);
        }
    } catch (const formato_errato& e) {
        std::cerr << "scenario dump: " << nome << ": not a valid "
                  << (g ? nome_genere(*g) + std::string(" file") : std::string("compiled file")) << ": " << e.what()
                  << "\n";
        return 3;
    }
    return 3;
}

}  // namespace valmarena::strumento
