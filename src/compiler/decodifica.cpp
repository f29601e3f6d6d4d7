// Decoding of the compiled files, field by field in the writers' order, little-endian.

#include "decodifica.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "scrittori.h"

namespace valmarena {

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

struct tracciato decodifica_tracciato(std::string_view byte) {
    non_vuoto(byte);
    lettore_byte in(byte);
    decltype(tracciato::etichette) etichette;
    decltype(tracciato::valori) valori;
    // A real takes 10 bytes, so this many values at least; reserving avoids regrowing.
    etichette.reserve(byte.size() / 10 + 1);
    valori.reserve(byte.size() / 10 + 1);
    while (!in.finito()) {
        const std::size_t dove = in.pos();
        const std::size_t i = etichette.size();
        auto e = [i](const char* parte) { return [i, parte] { return "value " + std::to_string(i) + ": " + parte; }; };
        auto tag = in.numero<std::uint16_t>(e("its tag"));
        switch (tag) {
        case static_cast<std::uint16_t>(etichetta::vuoto):
            etichette.push_back(etichetta::vuoto);
            valori.push_back(0.0);
            break;
        case static_cast<std::uint16_t>(etichetta::intero):
            etichette.push_back(etichetta::intero);
            valori.push_back(in.numero<std::int16_t>(e("its integer")));
            break;
        case static_cast<std::uint16_t>(etichetta::reale): {
            auto bit = in.numero<std::uint64_t>(e("its real"));
            double d = 0.0;
            std::memcpy(&d, &bit, sizeof d);
            etichette.push_back(etichetta::reale);
            valori.push_back(d);
            break;
        }
        default:
            throw formato_errato("value " + std::to_string(i) + " at byte " + std::to_string(dove) + " has tag " + std::to_string(tag) +
                                     ", not 0 (empty), 2 (integer) or 5 (real)",
                                 dove);
        }
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
