// The source line and the caret under a diagnostic.

#include "estratto.h"

#include <algorithm>

#include "compiler/lettore_token.h"
#include "platform/file_ospite.h"
#include "sources/codifica.h"

namespace valmarena::strumento {

namespace {

constexpr int colonne_massime = 100;  // wider lines are cut around the column
constexpr int prima_della_colonna = 40;  // columns kept before the caret in a cut line
constexpr int passo_tab = 8;
const std::string puntini = "...";

// The picture of a control byte (U+2400 + b, U+2421 for DEL) in UTF-8.
std::string figura(unsigned char b) {
    return b == 0x7F ? "\xE2\x90\xA1" : "\xE2\x90" + std::string(1, static_cast<char>(0x80 + b));
}

bool controllo(unsigned char b) { return b < 0x20 || b == 0x7F; }

// How one byte of the line shows: its UTF-8 text and how many columns it takes from `colonna`.
std::string come_si_vede(unsigned char b, int colonna, int& larghezza) {
    larghezza = 1;
    if (b == '\t') {
        larghezza = passo_tab - colonna % passo_tab;
        return std::string(static_cast<std::size_t>(larghezza), ' ');
    }
    // A control byte would act on the terminal: its picture shows it instead.
    if (controllo(b)) return figura(b);
    return da_1252_a_utf8(std::string_view(reinterpret_cast<const char*>(&b), 1));
}

// The margin of line numbers: " NNNN | " for a source line, the same width blank for the caret's.
std::string margine(int numero, bool con_numero) {
    std::string n = std::to_string(numero);
    const std::size_t larga = std::max<std::size_t>(4, n.size());
    if (!con_numero) n.clear();
    return " " + std::string(larga - n.size(), ' ') + n + " | ";
}

}  // namespace

void aggiungi_visibile(std::string& t, std::string_view utf8) {
    for (char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        if (controllo(b)) t += figura(b);
        else t += c;
    }
}

std::string visibile(std::string_view utf8) {
    std::string t;
    aggiungi_visibile(t, utf8);
    return t;
}

void testi_letti::aggiungi(const std::string& nome, const std::filesystem::path& cammino, const std::string* testo) {
    testi_letti::testo t;
    t.nome = nome;
    t.cammino = cammino;
    t.dato = testo;
    testi_.push_back(std::move(t));
}

const std::string* testi_letti::byte_di(const testo& t) {
    if (t.dato) return t.dato;
    if (!t.letto) {
        std::string byte, causa;
        t.letto = leggi_file(t.cammino, byte, causa) ? std::move(byte) : std::string();
    }
    return &*t.letto;
}

std::optional<std::string_view> testi_letti::riga(const std::string& file, int riga) const {
    if (riga < 1) return std::nullopt;
    for (const auto& t : testi_) {
        if (t.nome != file) continue;
        const std::string_view b = *byte_di(t);
        // The cursor walks from the line shown before, back (for a note on an earlier row) or on,
        // or from the first line when that is nearer.
        if (riga < t.riga_cursore - riga) {
            t.riga_cursore = 1;
            t.inizio_cursore = 0;
        }
        for (; t.riga_cursore > riga; --t.riga_cursore) t.inizio_cursore = inizio_riga_prima(b, t.inizio_cursore);
        std::size_t inizio = t.inizio_cursore;
        for (int n = t.riga_cursore; n < riga; ++n) {
            const confini_riga c = confini_da(b, inizio);
            if (c.dopo == c.fine) return std::nullopt;
            inizio = c.dopo;
        }
        t.riga_cursore = riga;
        t.inizio_cursore = inizio;
        // The last line counts only when it holds something: a final line end closes the file.
        if (inizio >= b.size()) return std::nullopt;
        return b.substr(inizio, confini_da(b, inizio).fine - inizio);
    }
    return std::nullopt;
}

std::string estratto(std::string_view riga, int numero, int colonna, int larghezza, bool colore) {
    // A line of many bytes is first narrowed to the bytes around the column, the most that can
    // be shown: its tabs are then widened from the first byte kept, alike on both lines.
    std::size_t da = colonna > 0 ? std::min<std::size_t>(static_cast<std::size_t>(colonna) - 1, riga.size()) : 0;
    const std::size_t tenuti = 2 * colonne_massime;
    const bool tolti_prima = da > tenuti, tolti_dopo = riga.size() - da > tenuti;
    if (tolti_prima) {
        riga.remove_prefix(da - tenuti);
        da = tenuti;
    }
    if (tolti_dopo) riga = riga.substr(0, da + tenuti);

    // Each byte's text and the screen column it starts at; inizio[n] is the line's width.
    const std::size_t n = riga.size();
    std::vector<std::string> pezzi(n);
    std::vector<int> inizio(n + 1, 0);
    for (std::size_t i = 0; i < n; ++i) {
        int w = 1;
        pezzi[i] = come_si_vede(static_cast<unsigned char>(riga[i]), inizio[i], w);
        inizio[i + 1] = inizio[i] + w;
    }
    const std::size_t a = std::min<std::size_t>(da + static_cast<std::size_t>(std::max(larghezza, 0)), n);

    // The bytes shown: all of them, or a window around the column on a line too wide.
    std::size_t primo = 0, ultimo = n;
    if (inizio[n] > colonne_massime) {
        const int lascia = colonne_massime - 2 * static_cast<int>(puntini.size());
        while (primo < da && inizio[da] - inizio[primo] > prima_della_colonna) ++primo;
        ultimo = primo;
        while (ultimo < n && inizio[ultimo + 1] - inizio[primo] <= lascia) ++ultimo;
        ultimo = std::max(ultimo, std::min(da + 1, n));
    }
    const bool puntini_prima = primo > 0 || tolti_prima;
    std::string t = margine(numero, true) + (puntini_prima ? puntini : "");
    for (std::size_t i = primo; i < ultimo; ++i) t += pezzi[i];
    t += (ultimo < n || tolti_dopo ? puntini : "") + "\n";
    if (colonna <= 0) return t;

    const int spostamento = (puntini_prima ? static_cast<int>(puntini.size()) : 0) - inizio[primo];
    const int caret = inizio[da] + spostamento;
    const int coda = std::max(0, inizio[std::min(a, ultimo)] + spostamento - caret - 1);
    std::string segno = "^" + std::string(static_cast<std::size_t>(coda), '~');
    if (colore) segno = "\033[1;32m" + segno + "\033[0m";
    return t + margine(numero, false) + std::string(static_cast<std::size_t>(caret), ' ') + segno + "\n";
}

}  // namespace valmarena::strumento
