// The scenario records: the route cells, the scenario table, the track plan and the reader's state.
// Plain data shared by every stage of the compiler; one object per run, no global state.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>


namespace valmarena {

// One route cell: 50 m of line. Field order is the order on disk.
struct cella {
    std::uint8_t tipo = 0;
    std::int16_t valore1 = 0;
    std::int16_t valore2 = 0;
    std::int16_t valore3 = 0;
    std::int16_t valore4 = 0;
    std::uint8_t tempo = 0;
    std::uint8_t preavviso = 0;
    std::uint8_t montagna = 0;
    std::uint8_t velocita = 0;
    std::uint8_t pendenza = 0;
    std::uint8_t aderenza = 0;

    bool operator==(const cella&) const = default;
};

// Kinds of feature a cell can carry (`tipo`).
enum tipo_cella : std::uint8_t {
    cella_vuota = 0,
    cella_segnale = 1,
    cella_fine_rallentamento = 2,
    cella_inizio_rallentamento = 3,
    cella_avviso_rallentamento = 4,
    cella_numerata = 5,
    cella_indicatore = 6,
    cella_fermata = 10,
    cella_marcatore_montagna = 11,
    cella_abbattimento = 12,
    cella_abbattimento_senza_valore = 13,
    cella_cartello = 14,
};

// A cell may take a new feature when it is empty or holds only a mountain marker.
inline bool libera(const cella& c) {
    return c.tipo == cella_vuota || c.tipo == cella_marcatore_montagna;
}

// One entry of the scenario table. Field order is the order on disk.
struct voce {
    std::uint8_t tipo = 0;
    std::int32_t inizio = 0;
    std::int32_t fine = 0;
    std::int32_t progressiva = 0;
    std::uint8_t dato1 = 0;
    std::string nome;  // Windows-1252 bytes
    std::int16_t intero1 = 0;
    std::int16_t intero2 = 0;
    std::int16_t intero3 = 0;
    std::int16_t intero4 = 0;
    std::int16_t intero5 = 0;
    std::uint8_t byte1 = 0;
    std::uint8_t byte2 = 0;
    std::uint8_t byte3 = 0;
    std::uint8_t byte4 = 0;
    std::int32_t orario = 0;

    bool operator==(const voce&) const = default;
};

constexpr int voci_tabella = 87;
constexpr int voce_progressiva_tre = 81;
constexpr int voce_progressiva_due = 82;
constexpr int voce_progressiva_uno = 83;
constexpr int voce_misure = 84;
constexpr int voce_percorso = 85;
constexpr int voce_treno = 86;
constexpr int prima_voce_cartelli = 80;

constexpr std::int16_t marca_tabella = 610;
constexpr std::int16_t marca_celle = 5121;

// Tag of a track-plan element, as written to disk.
enum class etichetta : std::uint8_t { vuoto = 0, intero = 2, reale = 5 };

// A whole track plan: x and y of the line at every metre 0..fine. Element (m, asse) is at
// asse * punti + m, so all x values come first, then all y values, as on disk. What a decoded
// file holds, and what `disegna_tracciato` draws from a plan.
struct tracciato {
    std::size_t punti = 0;  // fine_tracciato + 1, or 0 when not built
    std::vector<etichetta> etichette;
    std::vector<double> valori;
};

// One stretch of the track plan: the metres after the previous stretch up to `fine`, each step
// the previous one turned by `kappa` (0 draws straight).
struct tratto {
    std::int64_t fine = 0;
    double kappa = 0.0;
};

// The track plan as the reader decides it, without its points: metres 0 and 1 are the whole
// numbers (0, 0) and (0, 1) once `origine` is set, metres 2 onwards follow the stretches in
// order, and every metre after the last stretch is empty. The writer draws the points from it
// a piece at a time, so the points of a long route never sit in memory as a whole.
struct piano_tracciato {
    std::size_t punti = 0;  // fine_tracciato + 1, or 0 when not built
    bool origine = false;
    std::vector<tratto> tratti;
};

constexpr int max_montagne = 80;
constexpr std::int64_t avvertimenti_per_tipo_max = 100;

// Another row a diagnostic concerns: the row a collision met, the row whose fields a short row
// took, the row before one out of order. Column 0 when only the line is known.
struct riga_correlata {
    std::string file;
    int riga = 0;
    int colonna = 0;
    std::string testo;  // what that row has to do with the diagnostic
};

// One recorded error with the place in the source that caused it.
struct diagnostica {
    std::int32_t codice = 0;
    bool ha_posizione = false;
    std::int32_t posizione = 0;
    std::string file;  // source file at fault, empty when none
    int riga = 0;      // 1-based line in that file, 0 when unknown
    int colonna = 0;   // 1-based column, 0 when unknown
    std::string dettaglio;  // extra words on the cause (a host failure's reason)
    std::string significato;  // what went wrong, when this case has words of its own beside the code's
    std::string tipo;       // a warning's stable identifier ("unknown-keyword", "off-grid", ...)
    std::vector<riga_correlata> correlate;
};

// A slowdown as the train reader placed it: its own start and end cells and the row it came
// from. The end mark in the cells can be lost (a slowdown shorter than one cell has its start
// written over its end; a stopping point may be written over the end), so the route checks
// walk no further than this end.
struct rallentamento_posto {
    std::int64_t inizio = 0;
    std::int64_t fine = 0;
    std::string file;
    int riga = 0;
    std::int32_t velocita = 0;  // km/h
};

// Where a station's row stands in the train file, for the messages about its timetable.
struct riga_stazione {
    int riga = 0;
    int colonna = 0;
};

// What a placing routine reports: 0, or the code of what went wrong and the cell it concerns.
struct esito_memo {
    std::int32_t codice = 0;
    std::int64_t cella = -1;
};

// The source row that put the feature now standing in a cell, for messages about collisions.
enum class fonte : std::uint8_t { nessuna, linea, treno, controlli };
struct origine_cella {
    std::int32_t riga = 0;
    fonte file = fonte::nessuna;
};

// Whether a run builds and writes the track plan (the compiler's switch `j`: 0 without, 1 with).
enum class tracciato_si_no : std::int32_t { senza = 0, con = 1 };

struct scenario {
    // Identity.
    std::string nome_percorso;
    std::string nome_treno;

    // Route cells 0..ultima_cella; empty until the route length is read.
    std::vector<cella> celle;
    std::vector<rallentamento_posto> rallentamenti;  // in the order they were placed
    std::vector<riga_stazione> righe_stazioni;       // one per station stored, entry 1 first
    std::array<voce, voci_tabella> tabella{};
    piano_tracciato tracciato;

    // Mountain stretches, indices 1..80.
    std::array<std::int32_t, max_montagne + 1> montagna_inizio{};
    std::array<std::int32_t, max_montagne + 1> montagna_fine{};
    std::int32_t n_montagne = 0;

    // Reader state.
    tracciato_si_no genera_tracciato = tracciato_si_no::senza;
    std::int32_t fine_tracciato = 0;
    std::int32_t ultima_cella = 0;
    std::int32_t prossimo_cartello = prima_voce_cartelli;

    // Error state: the last recorded code wins; every one is kept in `diagnostiche`.
    std::int32_t codice_errore = 0;
    std::int32_t posizione_errore = 0;
    std::vector<diagnostica> diagnostiche;

    // For authors: what the reader passed over silently (code 0), and whether it goes on reading
    // after a row that would stop it, so that one pass finds every fault of a file.
    std::vector<diagnostica> avvertimenti;
    bool continua_dopo_errori = false;
    // Whether the rows are held against their description for authors' warnings. The package
    // shows no warning and leaves it off; the reading and the compiled bytes are the same.
    bool diagnosi_per_autori = true;
    // Warnings of each kind found, kept or not: past `avvertimenti_per_tipo_max` of one kind
    // only the count grows, so a file of a million bad rows keeps little in memory.
    std::map<std::string, std::int64_t> avvertimenti_per_tipo;
    // Errors of each code found: the same limit holds for `diagnostiche`.
    std::map<std::int32_t, std::int64_t> errori_per_codice;
    // Beside the cells, the row that placed each cell's feature; the two source files' names.
    std::vector<origine_cella> origini;
    std::array<std::string, 2> nomi_sorgenti;
};

// Clears every table entry (numbers 0, names empty) and the error state.
void inizializza_tabella(scenario& s);

// Re-creates the cells (and, when asked, the track plan) for a route of `lunghezza` metres.
void alloca_percorso(scenario& s, std::int32_t lunghezza);

// Checked access to a cell: a bad index throws `indice_fuori_limiti`.
inline bool esiste_cella(const scenario& s, std::int64_t indice) {
    return indice >= 0 && static_cast<std::uint64_t>(indice) < s.celle.size();
}
// Throws `indice_fuori_limiti` for a cell outside the route; kept out of line, so the checked
// access stays small enough to inline in the readers' loops.
[[noreturn]] void cella_fuori_limiti(const scenario& s, std::int64_t indice);
inline cella& cella_a(scenario& s, std::int64_t indice) {
    if (!esiste_cella(s, indice)) cella_fuori_limiti(s, indice);
    return s.celle[static_cast<std::size_t>(indice)];
}
inline const cella& cella_a(const scenario& s, std::int64_t indice) {
    if (!esiste_cella(s, indice)) cella_fuori_limiti(s, indice);
    return s.celle[static_cast<std::size_t>(indice)];
}

// Checked access to a table entry.
voce& voce_a(scenario& s, std::int64_t indice);

// Sets metres 0 and 1 of the plan; a plan without them throws `indice_fuori_limiti`.
void apri_tracciato(piano_tracciato& t);

// Track-plan element access (asse 0 = x, 1 = y), checked.
void imposta_punto(struct tracciato& t, std::int64_t metro, int asse, etichetta e, double v);
double valore_punto(const struct tracciato& t, std::int64_t metro, int asse);
etichetta etichetta_punto(const struct tracciato& t, std::int64_t metro, int asse);

// Records an error: the last one becomes `codice_errore`/`posizione_errore`. Past the limit of
// its code it is only counted.
void registra_errore(scenario& s, const diagnostica& d);

// Every error found, shown or only counted.
std::int64_t errori_trovati(const scenario& s);

// Records a note to authors under its kind `d.tipo`; past the limit of its kind it is only counted.
void registra_avvertimento(scenario& s, diagnostica d);

// Every warning found, shown or only counted.
std::int64_t avvertimenti_trovati(const scenario& s);

}  // namespace valmarena
