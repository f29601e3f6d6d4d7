// The token reader.

#include "lettore_token.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "../sources/codifica.h"
#include "../records/arrotonda.h"
#include "../records/guasti.h"

namespace valmarena {

namespace {

[[noreturn]] void oltre_la_fine() { throw guasto("reading past the end of the file"); }

// What each byte is to the fields: a blank, the end of a text field (a comma or a line end), the
// end of a numeric field (those and a blank). One look at a table a byte, in the readers' loops.
// A null stops the walk of a text field too: the text's terminating null ends it without a count
// of the bytes left, and a null inside the text is walked over.
enum classe : std::uint8_t { blanco = 1, fine_testo = 2, fine_numero = 4 };
constexpr std::array<std::uint8_t, 256> classi = [] {
    std::array<std::uint8_t, 256> c{};
    c[' '] = c['\t'] = static_cast<std::uint8_t>(blanco | fine_numero);
    c[','] = c['\r'] = c['\n'] = static_cast<std::uint8_t>(fine_testo | fine_numero);
    c['\0'] = fine_testo;
    return c;
}();
bool e(char c, classe k) { return (classi[static_cast<unsigned char>(c)] & k) != 0; }

}  // namespace

lettore_token::lettore_token(std::string testo, std::string nome_file)
    : testo_(std::move(testo)), nome_file_(std::move(nome_file)) {}

// The text ends with the string's terminating null, which is no blank: it stops the walk.
std::size_t lettore_token::dopo_i_blanchi(std::size_t i) const {
    const char* const t = testo_.c_str();
    while (e(t[i], blanco)) ++i;
    return i;
}

void lettore_token::consuma_fine_riga() {
    if (pos_ < testo_.size() && testo_[pos_] == '\r') ++pos_;
    if (pos_ < testo_.size() && testo_[pos_] == '\n') ++pos_;
    ++riga_;
    inizio_riga_ = pos_;
    testo_in_riga_ = false;
}

// Every field read leaves a byte other than a blank on its line (its text, its quote or the
// comma after it) unless it ends the line: a field is the first of its line when no field was
// read on the line before it.
inline void lettore_token::inizia_campo() {
    if (fine()) oltre_la_fine();
    pos_ = dopo_i_blanchi(pos_);
    ultimo_ = {riga_, static_cast<int>(pos_ - inizio_riga_) + 1};
    testo_in_riga_ = true;
}

std::string_view lettore_token::token() {
    const std::string_view t = campo_testo(false);
    campi_.clear();
    riga_chiave_ = ultimo_.riga;
    return t;
}

// A plain walk: find_first_of with two bytes looks each byte up in the pair, ten times the cost.
confini_riga confini_da(std::string_view t, std::size_t inizio) {
    std::size_t fine = std::min(inizio, t.size());
    while (fine < t.size() && t[fine] != '\r' && t[fine] != '\n') ++fine;
    if (fine == t.size()) return {fine, fine};
    return {fine, fine + (t.compare(fine, 2, "\r\n") == 0 ? 2 : 1)};
}

std::size_t inizio_riga_prima(std::string_view t, std::size_t inizio) {
    if (inizio == 0 || inizio > t.size()) return 0;
    // Back over the line end before `inizio` (CR LF, LF or a CR alone), then back to the byte
    // after the line end before that: a line holds no CR or LF of its own.
    std::size_t i = inizio - 1;
    if (t[i] == '\n' && i > 0 && t[i - 1] == '\r') --i;
    while (i > 0 && t[i - 1] != '\r' && t[i - 1] != '\n') --i;
    return i;
}

// Lines inside a quoted field still count, so later places stay right.
void lettore_token::conta_righe(std::size_t da, std::size_t a) {
    for (confini_riga c = confini_da(testo_, da); c.dopo > c.fine && c.dopo <= a; c = confini_da(testo_, c.dopo)) {
        ++riga_;
        inizio_riga_ = c.dopo;
        testo_in_riga_ = true;
    }
}

luogo lettore_token::luogo_del_resto() const {
    return {riga_, static_cast<int>(dopo_i_blanchi(pos_) - inizio_riga_) + 1};
}

std::string_view lettore_token::resto_della_riga() const {
    if (pos_ == inizio_riga_) return {};
    const std::size_t i = dopo_i_blanchi(pos_);
    std::size_t f = i;
    while (f < testo_.size() && testo_[f] != '\r' && testo_[f] != '\n') ++f;
    return std::string_view(testo_).substr(i, f - i);
}

namespace {

bool cifra(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::size_t lettore_token::fine_del_testo(std::size_t i) const {
    const char* const t = testo_.c_str();
    for (;; ++i) {
        while (!e(t[i], fine_testo)) ++i;
        if (t[i] != '\0' || i >= testo_.size()) return i;
    }
}

std::size_t lettore_token::fine_del_numero(std::size_t i) const {
    const char* const t = testo_.data();
    const std::size_t n = testo_.size();
    while (i < n && !e(t[i], fine_numero)) ++i;
    return i;
}

std::string_view lettore_token::testo() { return campo_testo(true); }

std::string_view lettore_token::campo_testo(bool tieni) {
    const bool primo = !testo_in_riga_;
    inizia_campo();
    primo_della_riga_ = primo;
    const std::string_view tutto(testo_);
    std::string_view campo;
    if (pos_ < tutto.size() && tutto[pos_] == '"') {
        std::size_t chiusa = tutto.find('"', pos_ + 1);
        if (chiusa == std::string_view::npos) chiusa = tutto.size();
        campo = tutto.substr(pos_ + 1, chiusa - pos_ - 1);
        const std::size_t inizio = pos_;
        pos_ = chiusa < tutto.size() ? chiusa + 1 : chiusa;
        if (tieni) campi_.push_back({ultimo_, tutto.substr(inizio, pos_ - inizio)});
        conta_righe(inizio, pos_);
        pos_ = fine_del_testo(pos_);
    } else {
        const std::size_t inizio = pos_;
        pos_ = fine_del_testo(pos_);
        std::size_t f = pos_;
        while (f > inizio && (tutto[f - 1] == ' ' || tutto[f - 1] == '\t')) --f;
        campo = tutto.substr(inizio, f - inizio);
        if (tieni) campi_.push_back({ultimo_, campo});
    }
    if (pos_ < tutto.size() && tutto[pos_] == ',')
        ++pos_;
    else if (!fine())
        consuma_fine_riga();
    return campo;
}

// After a numeric field: blanks, then the comma or the line end is consumed.
void lettore_token::fine_campo() {
    pos_ = dopo_i_blanchi(pos_);
    if (pos_ < testo_.size() && testo_[pos_] == ',')
        ++pos_;
    else if (pos_ < testo_.size() && (testo_[pos_] == '\r' || testo_[pos_] == '\n'))
        consuma_fine_riga();
}

// A number past 10^12 fails with its whole field kept, the reading left at the field's end.
void lettore_token::troppo_grande(std::size_t inizio, std::size_t i) {
    pos_ = fine_del_numero(i);
    campi_.push_back({ultimo_, std::string_view(testo_).substr(inizio, pos_ - inizio), true, true, 0.0});
    throw guasto("number too large");
}

// The digits after a decimal point at i, added to `valore`; i is left after them.
double lettore_token::decimali(double valore, std::size_t& i, bool& cifre) const {
    const std::string_view t(testo_);
    double peso = 0.1;
    for (++i; i < t.size() && cifra(t[i]); ++i, peso /= 10.0) {
        valore += (t[i] - '0') * peso;
        cifre = true;
    }
    return valore;
}

// Reads a numeric field in one pass: it ends at a blank, a comma or the line end. Its value is
// the number it begins with (0 when it begins with none); the comma or line end after it is
// consumed. The whole part is counted exactly, as whole numbers up to 10^12 are in a double.
double lettore_token::numero() {
    inizia_campo();
    // The text ends with the string's terminating null: no sign, digit, point or comma, so the
    // bytes up to it are looked at without counting.
    const char* const c = testo_.c_str();
    const std::size_t inizio = pos_;
    std::size_t i = inizio;
    const bool negativo = c[i] == '-';
    if (negativo || c[i] == '+') ++i;
    const std::size_t prima_cifra = i;
    std::int64_t intera = 0;
    for (;; ++i) {
        const unsigned d = static_cast<unsigned char>(c[i]) - unsigned{'0'};
        if (d > 9) break;
        intera = intera * 10 + d;
        if (intera > 1000000000000) troppo_grande(inizio, i);
    }
    bool cifre = i > prima_cifra;
    double valore = static_cast<double>(intera);
    const bool punto = c[i] == '.';
    if (punto) valore = decimali(valore, i, cifre);
    if (negativo) valore = -valore;
    const std::size_t f = fine_del_numero(i);
    campi_.push_back({ultimo_, std::string_view(c + inizio, f - inizio), true, !cifre || punto || f > i, valore});
    pos_ = f;
    if (c[f] == ',')
        ++pos_;  // the usual end of a field, told at once
    else
        fine_campo();
    return valore;
}

std::int32_t lettore_token::long_arrotondato(double v) { return clng(v); }
std::int16_t lettore_token::numero_intero() { return cint(numero()); }
std::uint8_t lettore_token::numero_byte() {
    double v = arrotonda_pari(numero());
    if (v < 0.0 || v > 255.0) throw guasto("value does not fit in a byte");
    return static_cast<std::uint8_t>(v);
}

namespace {

// minuscola() of every byte, worked out once: every token is tested for a dozen keywords.
const std::array<char, 256>& minuscole() {
    static const std::array<char, 256> tabella = [] {
        std::array<char, 256> t{};
        for (int b = 0; b < 256; ++b) t[static_cast<std::size_t>(b)] = minuscola(static_cast<char>(b));
        return t;
    }();
    return tabella;
}

}  // namespace

bool contiene(std::string_view token, std::string_view parola) {
    if (parola.empty()) return true;
    if (parola.size() > token.size()) return false;
    const auto& m = minuscole();
    auto basso = [&m](char c) { return m[static_cast<unsigned char>(c)]; };
    const char prima = basso(parola[0]);
    for (std::size_t i = 0; i + parola.size() <= token.size(); ++i) {
        if (basso(token[i]) != prima) continue;
        std::size_t k = 1;
        while (k < parola.size() && basso(token[i + k]) == basso(parola[k])) ++k;
        if (k == parola.size()) return true;
    }
    return false;
}

bool contiene_esatto(std::string_view token, std::string_view parola) {
    return token.find(parola) != std::string_view::npos;
}

bool comincia_con(std::string_view token, std::string_view inizio) {
    std::size_t i = 0;
    while (i < token.size() && (token[i] == ' ' || token[i] == '\t')) ++i;
    return token.substr(i).substr(0, inizio.size()) == inizio;
}

}  // namespace valmarena
