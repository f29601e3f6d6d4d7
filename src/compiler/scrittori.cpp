// Binary writers.

#include "scrittori.h"

#include <cstring>

#include "../records/guasti.h"
#include "../sources/scrittura.h"

namespace valmarena {

namespace {

template <typename T>
void le(std::string& out, T v) {
    using U = std::make_unsigned_t<T>;
    auto u = static_cast<U>(v);
    for (std::size_t i = 0; i < sizeof(T); ++i) out += static_cast<char>((u >> (8 * i)) & 0xFFu);
}

void aggiungi_voce(std::string& out, const voce& v) {
    if (v.nome.size() > 0xFFFF) throw std::length_error("nome di voce piu' lungo di 65535 byte");
    le(out, v.tipo);
    le(out, v.inizio);
    le(out, v.fine);
    le(out, v.progressiva);
    le(out, v.dato1);
    le(out, static_cast<std::uint16_t>(v.nome.size()));
    out += v.nome;
    le(out, v.intero1);
    le(out, v.intero2);
    le(out, v.intero3);
    le(out, v.intero4);
    le(out, v.intero5);
    le(out, v.byte1);
    le(out, v.byte2);
    le(out, v.byte3);
    le(out, v.byte4);
    le(out, v.orario);
}

void aggiungi_cella(std::string& out, const cella& c) {
    le(out, c.tipo);
    le(out, c.valore1);
    le(out, c.valore2);
    le(out, c.valore3);
    le(out, c.valore4);
    le(out, c.tempo);
    le(out, c.preavviso);
    le(out, c.montagna);
    le(out, c.velocita);
    le(out, c.pendenza);
    le(out, c.aderenza);
}

// Appends the tagged values of elements [da, a) of the track plan.
void aggiungi_punti(std::string& out, const struct tracciato& t, std::size_t da, std::size_t a) {
    for (std::size_t i = da; i < a; ++i) {
        etichetta e = t.etichette[i];
        le(out, static_cast<std::uint16_t>(e));
        if (e == etichetta::intero) {
            le(out, static_cast<std::int16_t>(t.valori[i]));
        } else if (e == etichetta::reale) {
            std::uint64_t bit = 0;
            std::memcpy(&bit, &t.valori[i], sizeof bit);
            le(out, bit);
        }
    }
}

}  // namespace

std::string byte_voce(const voce& v) {
    std::string out;
    aggiungi_voce(out, v);
    return out;
}

std::string byte_tabella(const scenario& s) {
    std::string out;
    for (const auto& v : s.tabella) aggiungi_voce(out, v);
    return out;
}

std::string byte_celle(const scenario& s) {
    std::string out;
    out.reserve(s.celle.size() * byte_per_cella);
    for (const auto& c : s.celle) aggiungi_cella(out, c);
    return out;
}

std::string byte_tracciato(const struct tracciato& t) {
    std::string out;
    aggiungi_punti(out, t, 0, t.etichette.size());
    return out;
}

void scrivi_tracciato(const std::filesystem::path& file, const struct tracciato& t) {
    file_uscita f(file);
    constexpr std::size_t passo = 1u << 16;
    std::string blocco;
    blocco.reserve(passo * 10);
    for (std::size_t da = 0; da < t.etichette.size(); da += passo) {
        blocco.clear();
        aggiungi_punti(blocco, t, da, std::min(da + passo, t.etichette.size()));
        f.scrivi(blocco);
    }
    f.conferma();
}

void scrivi_tabella(const std::filesystem::path& file, const scenario& s) { scrivi_file(file, byte_tabella(s)); }

void scrivi_celle(const std::filesystem::path& file, const scenario& s) { scrivi_file(file, byte_celle(s)); }

}  // namespace valmarena
