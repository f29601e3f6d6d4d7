// Binary writers.

#include "scrittori.h"

#include <algorithm>
#include <memory>

#include "../records/guasti.h"
#include "../sources/scrittura.h"
#include "penna.h"
#include "valori_le.h"

namespace valmarena {

namespace {

template <typename T>
void le(std::string& out, T v) {
    char b[sizeof(T)];
    metti_le(b, v);
    out.append(b, sizeof b);
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

// Puts the 15 bytes of a cell at `out` and returns the byte after them.
char* metti_cella(char* out, const cella& c) {
    out = metti_le(out, c.tipo);
    out = metti_le(out, c.valore1);
    out = metti_le(out, c.valore2);
    out = metti_le(out, c.valore3);
    out = metti_le(out, c.valore4);
    out = metti_le(out, c.tempo);
    out = metti_le(out, c.preavviso);
    out = metti_le(out, c.montagna);
    out = metti_le(out, c.velocita);
    out = metti_le(out, c.pendenza);
    return metti_le(out, c.aderenza);
}

// Puts the tagged values of elements [da, a) of the track plan at `out`, which has room for
// massimo_per_punto bytes per element, and returns the byte after the last one.
char* metti_punti(char* out, const struct tracciato& t, std::size_t da, std::size_t a) {
    const etichetta* e = t.etichette.data();
    const double* v = t.valori.data();
    for (std::size_t i = da; i < a; ++i) out = metti_punto(out, e[i], v[i]);
    return out;
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
    std::string out(s.celle.size() * byte_per_cella, '\0');
    char* p = out.data();
    for (const auto& c : s.celle) p = metti_cella(p, c);
    return out;
}

std::string byte_tracciato(const struct tracciato& t) {
    std::string out(t.etichette.size() * massimo_per_punto, '\0');
    out.resize(static_cast<std::size_t>(metti_punti(out.data(), t, 0, t.etichette.size()) - out.data()));
    return out;
}

namespace {

// Writes n elements into `file` a piece at a time through one small buffer, used again for each
// piece: a piece is a little larger than the writer's block, so it reaches the file in one write
// without a further copy. `metti(out, da, a)` lays out elements [da, a) at `out`, which has room
// for `massimo` bytes each, and returns the byte after them.
template <typename Metti>
void scrivi_a_pezzi(const std::filesystem::path& file, std::size_t n, std::size_t passo, std::size_t massimo,
                    Metti metti) {
    file_uscita f(file);
    std::unique_ptr<char[]> blocco(new char[std::min(n, passo) * massimo]);
    for (std::size_t da = 0; da < n; da += passo) {
        char* fine = metti(blocco.get(), da, std::min(da + passo, n));
        f.scrivi(blocco.get(), static_cast<std::size_t>(fine - blocco.get()));
    }
    f.conferma();
}

}  // namespace

void scrivi_tracciato(const std::filesystem::path& file, const struct tracciato& t) {
    // 8192 real values take 80 KiB.
    scrivi_a_pezzi(file, t.etichette.size(), 8192, massimo_per_punto,
                   [&t](char* out, std::size_t da, std::size_t a) { return metti_punti(out, t, da, a); });
}

void scrivi_tracciato(const std::filesystem::path& file, const piano_tracciato& p) {
    // All x values, then all y values: the plan is drawn twice, once for each half, which costs
    // less than keeping the points of one half until the other is written. Each piece is laid
    // out as it is drawn, in one small buffer used again for every piece.
    constexpr std::size_t passo = 8192;
    file_uscita f(file);
    std::unique_ptr<char[]> blocco(new char[std::min(p.punti, passo) * massimo_per_punto]);
    for (int asse = 0; asse < 2; ++asse) {
        penna_tracciato penna(p);
        for (std::size_t da = 0; da < p.punti; da += passo) {
            char* fine = penna.metti(std::min(da + passo, p.punti), asse, blocco.get());
            f.scrivi(blocco.get(), static_cast<std::size_t>(fine - blocco.get()));
        }
    }
    f.conferma();
}

void scrivi_tabella(const std::filesystem::path& file, const scenario& s) { scrivi_file(file, byte_tabella(s)); }

void scrivi_celle(const std::filesystem::path& file, const scenario& s) {
    // 4480 cells take 65 KiB.
    scrivi_a_pezzi(file, s.celle.size(), 4480, byte_per_cella, [&s](char* out, std::size_t da, std::size_t a) {
        for (std::size_t i = da; i < a; ++i) out = metti_cella(out, s.celle[i]);
        return out;
    });
}

}  // namespace valmarena
