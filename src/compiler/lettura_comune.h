// Pieces shared by the line reader and the train reader: recording an error at the row
// being read, and the range tests on a row's position.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "../records/guasti.h"
#include "../records/scenario.h"
#include "diagnosi.h"
#include "formato.h"
#include "lettore_token.h"
#include "righe.h"

namespace valmarena {

struct riga_letta;

// The distinct keyword tokens whose reading is kept; past them each is worked out anew.
constexpr std::size_t max_token_letti = 1024;

// A map from a token kept as a string, looked up by a view of the text being read. Tokens are
// short: FNV-1a over their bytes.
struct hash_token {
    using is_transparent = void;
    std::size_t operator()(std::string_view t) const {
        std::uint64_t h = 14695981039346656037u;
        for (const char c : t) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211u;
        return static_cast<std::size_t>(h);
    }
};
template <class V>
using per_token = std::unordered_map<std::string, V, hash_token, std::equal_to<>>;

// A run-time failure with the place in the source where it happened.
struct guasto_in_riga : guasto {
    std::string file;
    luogo dove;
    guasto_in_riga(const std::string& cosa, std::string f, luogo d) : guasto(cosa), file(std::move(f)), dove(d) {}
};

// The row being read: its keyword token and where that token stands.
struct riga_corrente {
    const lettore_token* in = nullptr;
    luogo dove;
    bool primo_della_riga = false;
};

// How the reading of a row ended: go on, the end of the file was reached (or a row lay beyond
// the route), or a row stopped the reading.
enum class esito { avanti, fine_file, ferma };

// What both readers share: the records, the token reader and the row being read.
struct lettura {
    scenario& s;
    lettore_token in;
    riga_corrente r{};
    file_righe file;
    bool generale = false;    // inside the line file's [generale] section
    std::string_view chiave;  // the keyword token of the row being read (in the text being read)
    // What a keyword token is read as: the row kinds, one bit a kind, and for the authors'
    // diagnostics its reading in the [generale] section or after it, worked out when first asked.
    struct token_letto {
        std::uint32_t tipi = 0;
        std::optional<lettura_chiave> chiave[2];
        // A curve keyword's curvature, negative for a left curve: worked out at its first row.
        std::optional<double> curvatura;
    };
    // Kept for the first tokens of a file; a token past them is worked out anew in `non_tenuto`.
    per_token<token_letto> token_letti;
    token_letto non_tenuto;
    std::string_view token_dei_tipi;  // the token of the row being read, and what it is read as
    token_letto* letto = &non_tenuto;
    tratti_letti tratti;  // the stretch rows read so far, for the authors' diagnostics
    osservatore_righe* osservatore = nullptr;  // handed each row as read, when there is one

    lettura(scenario& sc, std::string testo, const std::string& nome, file_righe f);
    lettura(const lettura&) = delete;
    lettura& operator=(const lettura&) = delete;

    // The next token to be tested for a keyword, kept in `chiave`.
    std::string_view token();
    // False, with code 15 at p, when p does not lie inside the route with the given margin.
    bool dentro(std::int64_t p, int margine);
    void fuori(std::int64_t p, int margine);  // code 15 at p, naming the field and the last position allowed
    // Whether the row being acted on is read as a row of kind `t`: the row description's test,
    // worked out once for the row in `esegui` (and once for each token a file repeats).
    bool riconosciuta(tipo_riga t) const { return (letto->tipi >> static_cast<unsigned>(t) & 1u) != 0; }
    void riconosci(std::string_view token);
    void tipi_di(std::string_view token);
    // Records a code at the current row and stops the reading.
    esito ferma(std::int32_t codice, std::optional<std::int32_t> posizione, std::string dettaglio = {});
    // Notes that the current row put the feature now standing in cell k.
    void segna(std::int64_t k);
    // Records a placing routine's failure at the current row, naming what already stands in the
    // cell at fault, and stops the reading.
    esito scontro(const esito_memo& m, std::int32_t posizione);
    // Acts on one row through `riga`, then looks at what was read for the authors' diagnostics.
    // A run-time failure names the field being read; an author's check records it as code 25
    // and goes on, a compile hands it on.
    esito esegui(std::string_view t, const std::function<esito(std::string_view)>& riga);
    // Holds the row just read against its description, when the authors' diagnosis is on.
    void diagnosi_riga(const riga_letta& letta);
    // What the row's keyword token is read as, worked out at its first row in the section.
    const lettura_chiave& chiave_letta(const riga_letta& letta);
    // Hands the token just read to the observer, when there is one: passed over for `perche`.
    void passa(std::string_view t, riga_saltata perche) {
        if (osservatore) osserva(t, perche, fine_riga::avanti, {});
    }
    void osserva(std::string_view t, riga_saltata perche, fine_riga fine, std::string_view guasto);
    // The row loop: each token, after up to two hyphen replacements, goes to `riga` until the end
    // of the file or a row that ends the reading. An author's check reads on after a failing row.
    esito scorri_righe(const std::function<esito(std::string_view)>& riga);
};

// A diagnostic at a place in a source file, with no code yet.
diagnostica diagnostica_in(std::string file, luogo dove, std::string dettaglio = {});

// Records `codice` at the current row, with a position in metres when the row has one.
void errore_riga(scenario& s, const riga_corrente& r, std::int32_t codice,
                 std::optional<std::int32_t> posizione, std::string dettaglio = {});

// True when a position lies far enough inside the route: (p + margine) / 50 <= ultima_cella,
// and p is not negative.
bool dentro_percorso(const scenario& s, std::int64_t p, int margine);

// Reads the numeric fields of a row into Longs.
template <std::size_t N>
void leggi_long(lettore_token& in, std::int32_t (&v)[N]) {
    for (auto& x : v) x = in.numero_long();
}

}  // namespace valmarena
