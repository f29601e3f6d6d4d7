// Writers of the compiled files, and their decoders reading the same fields in the same order.

#include "binari.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

#include "../records/guasti.h"
#include "../platform/file_ospite.h"
#include "stesura.h"
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
    if (v.nome.size() > 0xFFFF) throw std::length_error("an entry's name longer than 65535 bytes");
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

namespace dettaglio {

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

}  // namespace dettaglio

namespace {

// Writes n elements into `file` a piece at a time through one small buffer, used again for each
// piece: a piece is a little larger than the writer's block, so it reaches the file in one write
// without a further copy. `metti(out, da, a)` lays out elements [da, a) at `out`, which has room
// for `massimo` bytes each, and returns the byte after them. `lunghezza`, when known (not 0), is
// the file's whole length, announced before the writes.
template <typename Metti>
void scrivi_a_pezzi(const std::filesystem::path& file, std::size_t n, std::size_t passo, std::size_t massimo,
                    std::uint64_t lunghezza, Metti metti) {
    file_uscita f(file);
    f.prenota(lunghezza);
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
    scrivi_a_pezzi(file, t.etichette.size(), 8192, massimo_per_punto, 0,
                   [&t](char* out, std::size_t da, std::size_t a) { return metti_punti(out, t, da, a); });
}

void scrivi_tracciato(const std::filesystem::path& file, const piano_tracciato& p) {
    file_uscita f(file);
    stendi_tracciato(f, p);
    f.conferma();
}

void scrivi_tabella(const std::filesystem::path& file, const scenario& s) { scrivi_file(file, dettaglio::byte_tabella(s)); }

void scrivi_celle(const std::filesystem::path& file, const scenario& s) {
    // 4480 cells take 65 KiB.
    scrivi_a_pezzi(file, s.celle.size(), 4480, byte_per_cella, s.celle.size() * byte_per_cella,
                   [&s](char* out, std::size_t da, std::size_t a) {
                       for (std::size_t i = da; i < a; ++i) out = metti_cella(out, s.celle[i]);
                       return out;
                   });
}

// Decoding, field by field in the writers' order, little-endian.
namespace {

// A cursor over the bytes that refuses to read past the end.
class lettore_byte {
public:
    explicit lettore_byte(std::string_view b) : b_(b) {}

    std::size_t pos() const { return pos_; }
    std::size_t restanti() const { return b_.size() - pos_; }
    bool finito() const { return pos_ >= b_.size(); }

    // Reads a little-endian number; `cosa` names it in the complaint when the bytes run out.
    // `cosa` is called only on a fault, so that the message costs nothing on the way.
    template <typename T, typename F>
    T numero(F&& cosa) {
        richiedi(sizeof(T), cosa);
        using U = std::make_unsigned_t<T>;
        U u = 0;
        for (std::size_t i = 0; i < sizeof(T); ++i)
            u = static_cast<U>(u | static_cast<U>(static_cast<U>(static_cast<unsigned char>(b_[pos_ + i])) << (8 * i)));
        pos_ += sizeof(T);
        return static_cast<T>(u);
    }

    template <typename F>
    std::string testo(std::size_t n, F&& cosa) {
        richiedi(n, cosa);
        std::string t(b_.substr(pos_, n));
        pos_ += n;
        return t;
    }

    template <typename F>
    void richiedi(std::size_t n, F&& cosa) const {
        if (restanti() < n)
            throw formato_errato(cosa() + " needs " + std::to_string(n) + " bytes at byte " + std::to_string(pos_) +
                                     " but the file ends after " + std::to_string(restanti()),
                                 pos_);
    }

private:
    std::string_view b_;
    std::size_t pos_ = 0;
};

void non_vuoto(std::string_view byte) {
    if (byte.empty()) throw formato_errato("the file is empty", 0);
}

}  // namespace

std::vector<voce> decodifica_tabella(std::string_view byte) {
    non_vuoto(byte);
    lettore_byte in(byte);
    std::vector<voce> tabella;
    while (!in.finito()) {
        const std::size_t i = tabella.size();
        auto e = [i](const char* campo) { return [i, campo] { return "entry " + std::to_string(i) + ": " + campo; }; };
        if (tabella.size() == static_cast<std::size_t>(voci_tabella))
            throw formato_errato(std::to_string(in.restanti()) + " bytes follow the last entry (" +
                                     std::to_string(voci_tabella - 1) + ") at byte " + std::to_string(in.pos()),
                                 in.pos());
        voce v;
        v.tipo = in.numero<std::uint8_t>(e("tipo"));
        v.inizio = in.numero<std::int32_t>(e("inizio"));
        v.fine = in.numero<std::int32_t>(e("fine"));
        v.progressiva = in.numero<std::int32_t>(e("progressiva"));
        v.dato1 = in.numero<std::uint8_t>(e("dato1"));
        auto n = in.numero<std::uint16_t>(e("the length of nome"));
        v.nome = in.testo(n, [i, n] { return "entry " + std::to_string(i) + ": nome of length " + std::to_string(n); });
        v.intero1 = in.numero<std::int16_t>(e("intero1"));
        v.intero2 = in.numero<std::int16_t>(e("intero2"));
        v.intero3 = in.numero<std::int16_t>(e("intero3"));
        v.intero4 = in.numero<std::int16_t>(e("intero4"));
        v.intero5 = in.numero<std::int16_t>(e("intero5"));
        v.byte1 = in.numero<std::uint8_t>(e("byte1"));
        v.byte2 = in.numero<std::uint8_t>(e("byte2"));
        v.byte3 = in.numero<std::uint8_t>(e("byte3"));
        v.byte4 = in.numero<std::uint8_t>(e("byte4"));
        v.orario = in.numero<std::int32_t>(e("orario"));
        tabella.push_back(std::move(v));
    }
    if (tabella.size() != static_cast<std::size_t>(voci_tabella))
        throw formato_errato("the table holds " + std::to_string(tabella.size()) + " entries, not " +
                                 std::to_string(voci_tabella),
                             byte.size());
    return tabella;
}

std::vector<cella> decodifica_celle(std::string_view byte) {
    non_vuoto(byte);
    if (byte.size() % byte_per_cella != 0)
        throw formato_errato("the file has " + std::to_string(byte.size()) + " bytes, not a multiple of " +
                                 std::to_string(byte_per_cella) + " (" + std::to_string(byte.size() % byte_per_cella) +
                                 " bytes after the last whole cell)",
                             byte.size() - byte.size() % byte_per_cella);
    lettore_byte in(byte);
    std::vector<cella> celle(byte.size() / byte_per_cella);
    for (auto& c : celle) {
        auto q = [] { return std::string("cell"); };
        c.tipo = in.numero<std::uint8_t>(q);
        c.valore1 = in.numero<std::int16_t>(q);
        c.valore2 = in.numero<std::int16_t>(q);
        c.valore3 = in.numero<std::int16_t>(q);
        c.valore4 = in.numero<std::int16_t>(q);
        c.tempo = in.numero<std::uint8_t>(q);
        c.preavviso = in.numero<std::uint8_t>(q);
        c.montagna = in.numero<std::uint8_t>(q);
        c.velocita = in.numero<std::uint8_t>(q);
        c.pendenza = in.numero<std::uint8_t>(q);
        c.aderenza = in.numero<std::uint8_t>(q);
    }
    return celle;
}

lettore_tracciato::lettore_tracciato(std::string_view byte) : byte_(byte), lunghezza_(byte.size()) {}

lettore_tracciato::lettore_tracciato(std::FILE* f, std::uint64_t lunghezza) : f_(f), lunghezza_(lunghezza) {}

void lettore_tracciato::vai(std::uint64_t pos, std::size_t indice) {
    pos_ = pos;
    indice_ = indice;
}

void lettore_tracciato::richiedi(std::size_t n, const char* parte) {
    auto manca = [&](std::uint64_t restanti) {
        return formato_errato("value " + std::to_string(indice_) + ": " + parte + " needs " + std::to_string(n) +
                                  " bytes at byte " + std::to_string(pos_) + " but the file ends after " +
                                  std::to_string(restanti),
                              static_cast<std::size_t>(pos_));
    };
    const std::uint64_t restanti = lunghezza_ - std::min(pos_, lunghezza_);
    if (restanti < n) throw manca(restanti);
    if (f_ && (pos_ < inizio_blocco_ || pos_ + n > inizio_blocco_ + byte_.size())) {
        // A fresh block from here: the file is read forward, a block at a time.
        constexpr std::size_t dimensione_blocco = std::size_t{64} << 10;
        blocco_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(restanti, dimensione_blocco)));
        std::size_t letti = 0;
        if (vai_a(f_, pos_)) letti = std::fread(blocco_.data(), 1, blocco_.size(), f_);
        blocco_.resize(letti);
        byte_ = blocco_;
        inizio_blocco_ = pos_;
    }
    // A file that got shorter since its length was taken.
    if (byte_.size() - (pos_ - inizio_blocco_) < n) throw manca(byte_.size() - (pos_ - inizio_blocco_));
}

template <typename T>
T lettore_tracciato::numero(const char* parte) {
    richiedi(sizeof(T), parte);
    const auto da = static_cast<std::size_t>(pos_ - inizio_blocco_);
    using U = std::make_unsigned_t<T>;
    U u = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        u = static_cast<U>(u | static_cast<U>(static_cast<U>(static_cast<unsigned char>(byte_[da + i])) << (8 * i)));
    pos_ += sizeof(T);
    return static_cast<T>(u);
}

valore_tracciato lettore_tracciato::prossimo() {
    const std::uint64_t dove = pos_;
    const auto tag = numero<std::uint16_t>("its tag");
    valore_tracciato v;
    switch (tag) {
    case static_cast<std::uint16_t>(etichetta::vuoto): break;
    case static_cast<std::uint16_t>(etichetta::intero):
        v.e = etichetta::intero;
        v.v = numero<std::int16_t>("its integer");
        break;
    case static_cast<std::uint16_t>(etichetta::reale): {
        const auto bit = numero<std::uint64_t>("its real");
        v.e = etichetta::reale;
        std::memcpy(&v.v, &bit, sizeof v.v);
        break;
    }
    default:
        throw formato_errato("value " + std::to_string(indice_) + " at byte " + std::to_string(dove) + " has tag " +
                                 std::to_string(tag) + ", not 0 (empty), 2 (integer) or 5 (real)",
                             static_cast<std::size_t>(dove));
    }
    ++indice_;
    return v;
}

struct tracciato decodifica_tracciato(std::string_view byte) {
    non_vuoto(byte);
    lettore_tracciato in(byte);
    decltype(tracciato::etichette) etichette;
    decltype(tracciato::valori) valori;
    // A real takes 10 bytes, so this many values at least; reserving avoids regrowing.
    etichette.reserve(byte.size() / 10 + 1);
    valori.reserve(byte.size() / 10 + 1);
    while (!in.finito()) {
        const valore_tracciato v = in.prossimo();
        etichette.push_back(v.e);
        valori.push_back(v.v);
    }
    if (etichette.size() % 2 != 0)
        throw formato_errato("the file holds " + std::to_string(etichette.size()) +
                                 " values, an odd number: the x half and the y half must be of equal length",
                             byte.size());
    struct tracciato t;
    t.punti = etichette.size() / 2;
    t.etichette = std::move(etichette);
    t.valori = std::move(valori);
    return t;
}

}  // namespace valmarena
