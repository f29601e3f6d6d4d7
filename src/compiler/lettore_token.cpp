// The token reader.

#include "lettore_token.h"

#include <array>
#include <cmath>

#include "../sources/codifica.h"
#include "../records/arrotonda.h"
#include "../records/guasti.h"

namespace valmarena {

lettore_token::lettore_token(std::string testo, std::string nome_file)
    : testo_(std::move(testo)), nome_file_(std::move(nome_file)) {}

void lettore_token::salta_blanchi() {
    while (pos_ < testo_.size() && (testo_[pos_] == ' ' || testo_[pos_] == '\t')) ++pos_;
}

bool lettore_token::a_fine_riga() const {
    return pos_ >= testo_.size() || testo_[pos_] == '\r' || testo_[pos_] == '\n';
}

void lettore_token::consuma_fine_riga() {
    if (pos_ < testo_.size() && testo_[pos_] == '\r') ++pos_;
    if (pos_ < testo_.size() && testo_[pos_] == '\n') ++pos_;
    ++riga_;
    inizio_riga_ = pos_;
    esaminato_fino_a_ = pos_;
    testo_in_riga_ = false;
}

void lettore_token::inizia_campo() {
    if (fine()) throw guasto("reading past the end of the file");
    salta_blanchi();
    ultimo_ = {riga_, static_cast<int>(pos_ - inizio_riga_) + 1};
    // Only the bytes since the previous field are looked at, so a line of many fields is
    // scanned once, not once per field.
    for (; esaminato_fino_a_ < pos_; ++esaminato_fino_a_)
        if (testo_[esaminato_fino_a_] != ' ' && testo_[esaminato_fino_a_] != '\t') testo_in_riga_ = true;
    primo_della_riga_ = !testo_in_riga_;
}

std::string lettore_token::token() {
    std::string t = testo();
    campi_.clear();
    riga_chiave_ = ultimo_.riga;
    return t;
}

// Lines inside a quoted field still count, so later places stay right.
void lettore_token::conta_righe(std::size_t da, std::size_t a) {
    for (std::size_t i = da; i < a; ++i) {
        const char c = testo_[i];
        if (c == '\n' || (c == '\r' && (i + 1 >= testo_.size() || testo_[i + 1] != '\n'))) {
            ++riga_;
            inizio_riga_ = i + 1;
            esaminato_fino_a_ = i + 1;
            testo_in_riga_ = true;
        }
    }
}

luogo lettore_token::luogo_del_resto() const {
    std::size_t i = pos_;
    while (i < testo_.size() && (testo_[i] == ' ' || testo_[i] == '\t')) ++i;
    return {riga_, static_cast<int>(i - inizio_riga_) + 1};
}

std::string_view lettore_token::resto_della_riga() const {
    if (pos_ == inizio_riga_) return {};
    std::size_t i = pos_;
    while (i < testo_.size() && (testo_[i] == ' ' || testo_[i] == '\t')) ++i;
    std::size_t f = i;
    while (f < testo_.size() && testo_[f] != '\r' && testo_[f] != '\n') ++f;
    return std::string_view(testo_).substr(i, f - i);
}

std::string lettore_token::testo() {
    inizia_campo();
    std::string campo;
    if (pos_ < testo_.size() && testo_[pos_] == '"') {
        std::size_t chiusa = testo_.find('"', pos_ + 1);
        if (chiusa == std::string::npos) chiusa = testo_.size();
        campo = testo_.substr(pos_ + 1, chiusa - pos_ - 1);
        const std::size_t inizio = pos_;
        pos_ = chiusa < testo_.size() ? chiusa + 1 : chiusa;
        campi_.push_back({ultimo_, std::string_view(testo_).substr(inizio, pos_ - inizio)});
        conta_righe(inizio, pos_);
        while (!a_fine_riga() && testo_[pos_] != ',') ++pos_;
    } else {
        std::size_t inizio = pos_;
        while (!a_fine_riga() && testo_[pos_] != ',') ++pos_;
        campo = testo_.substr(inizio, pos_ - inizio);
        while (!campo.empty() && (campo.back() == ' ' || campo.back() == '\t')) campo.pop_back();
        campi_.push_back({ultimo_, std::string_view(testo_).substr(inizio, campo.size())});
    }
    if (pos_ < testo_.size() && testo_[pos_] == ',')
        ++pos_;
    else if (!fine())
        consuma_fine_riga();
    return campo;
}

// Reads a numeric field: it ends at a blank, a comma or the line end. Its value is the number it
// begins with (0 when it begins with none); the comma or line end after it is consumed.
double lettore_token::numero() {
    inizia_campo();
    std::size_t inizio = pos_;
    while (!a_fine_riga() && testo_[pos_] != ',' && testo_[pos_] != ' ' && testo_[pos_] != '\t') ++pos_;
    std::string_view campo(testo_.data() + inizio, pos_ - inizio);
    campi_.push_back({ultimo_, campo, true, true, 0.0});

    std::size_t i = 0;
    bool negativo = false;
    if (i < campo.size() && (campo[i] == '-' || campo[i] == '+')) negativo = campo[i++] == '-';
    double valore = 0.0;
    bool cifre = false;
    while (i < campo.size() && campo[i] >= '0' && campo[i] <= '9') {
        valore = valore * 10.0 + (campo[i++] - '0');
        cifre = true;
        if (valore > 1e12) throw guasto("number too large");
    }
    if (i < campo.size() && campo[i] == '.') {
        double peso = 0.1;
        for (++i; i < campo.size() && campo[i] >= '0' && campo[i] <= '9'; ++i, peso /= 10.0) {
            valore += (campo[i] - '0') * peso;
            cifre = true;
        }
    }
    if (negativo) valore = -valore;
    campi_.back().non_intero = !cifre || i < campo.size();
    campi_.back().valore = valore;

    salta_blanchi();
    if (pos_ < testo_.size() && testo_[pos_] == ',')
        ++pos_;
    else if (pos_ < testo_.size() && (testo_[pos_] == '\r' || testo_[pos_] == '\n'))
        consuma_fine_riga();
    return valore;
}

std::int32_t lettore_token::numero_long() { return clng(numero()); }
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
