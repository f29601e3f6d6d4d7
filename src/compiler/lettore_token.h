// The token reader of the source files: comma-separated fields read one text token or one
// number at a time, as the host's sequential input does, with the source line of each field.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace valmarena {

// Where a field started in its file (1-based line and column).
struct luogo {
    int riga = 0;
    int colonna = 0;
};

// Where the line that starts at `inizio` of `t` ends (at its CR or LF, or at the text's end) and
// where the next one starts: a line ends at CR LF, at LF or at a CR alone, as the reader ends it.
// At the text's end `dopo` is `fine`: no line follows.
struct confini_riga {
    std::size_t fine = 0;
    std::size_t dopo = 0;
};
confini_riga confini_da(std::string_view t, std::size_t inizio);
// Where the line before the one that starts at `inizio` starts (0 for the first line).
std::size_t inizio_riga_prima(std::string_view t, std::size_t inizio);

// One field read for the current row, as written: what the authors' diagnostics look at.
struct campo_letto {
    luogo dove;
    std::string_view grezzo;  // the field's text (numeric: up to the blank, comma or line end)
    bool numerico = false;
    bool non_intero = false;  // a numeric field that is not a plain integer (text, a decimal point, empty)
    double valore = 0.0;
};

class lettore_token {
public:
    lettore_token(std::string testo, std::string nome_file);

    // True when every byte has been read.
    bool fine() const { return pos_ >= testo_.size(); }

    // A text field: to the next comma or line end (or between double quotes); trailing blanks
    // dropped. The text points into the whole text being read.
    std::string_view testo();
    // A numeric field taken into a Long, an Integer or a Byte; fails on overflow or at the end of file.
    std::int32_t numero_long() {
        const double v = numero();
        // A plain integer in range is its own Long: the rounding is for decimals.
        if (!campi_.back().non_intero && v >= -2147483648.0 && v <= 2147483647.0) return static_cast<std::int32_t>(v);
        return long_arrotondato(v);
    }
    std::int16_t numero_intero();
    std::uint8_t numero_byte();

    // The place of the last field read, and whether the last text field or keyword token was
    // the first field of its line (a number leaves that alone: only the rows' tokens ask).
    luogo ultimo() const { return ultimo_; }
    bool primo_della_riga() const { return primo_della_riga_; }
    const std::string& nome_file() const { return nome_file_; }
    // The whole text being read, which the fields' text points into.
    const std::string& tutto() const { return testo_; }

    // A token to be tested for a keyword: the fields read after it belong to its row and are
    // expected on its line.
    std::string_view token();

    // The fields read since the last keyword token, and the line that token stood on.
    const std::vector<campo_letto>& campi() const { return campi_; }
    int riga_della_chiave() const { return riga_chiave_; }
    // What is left of the current line when the last field did not end it (blanks skipped).
    std::string_view resto_della_riga() const;
    // Where that rest begins.
    luogo luogo_del_resto() const;

private:
    void inizia_campo();
    // Where the blanks from i end, and where a text or a numeric field from i ends.
    std::size_t dopo_i_blanchi(std::size_t i) const;
    std::size_t fine_del_testo(std::size_t i) const;
    std::size_t fine_del_numero(std::size_t i) const;
    void consuma_fine_riga();
    void conta_righe(std::size_t da, std::size_t a);
    void fine_campo();
    [[noreturn]] void troppo_grande(std::size_t inizio, std::size_t i);
    double decimali(double valore, std::size_t& i, bool& cifre) const;
    static std::int32_t long_arrotondato(double v);
    double numero();
    // A text field, kept among the row's fields when `tieni`: not the keyword token that begins a row.
    std::string_view campo_testo(bool tieni);

    std::string testo_;
    std::string nome_file_;
    std::size_t pos_ = 0;
    int riga_ = 1;
    std::size_t inizio_riga_ = 0;
    bool testo_in_riga_ = false;  // a byte other than a blank read on the current line
    luogo ultimo_;
    int riga_chiave_ = 0;
    bool primo_della_riga_ = false;
    std::vector<campo_letto> campi_;
};

// Keyword tests: the word anywhere in the token, ignoring letter case or exactly.
bool contiene(std::string_view token, std::string_view parola);
bool contiene_esatto(std::string_view token, std::string_view parola);
// True when the token holds a hyphen (contiene(token, "-"): a hyphen has no letter case).
inline bool ha_trattino(std::string_view token) { return token.find('-') != std::string_view::npos; }
// True when the token, after leading blanks, begins with the given text.
bool comincia_con(std::string_view token, std::string_view inizio);

}  // namespace valmarena
