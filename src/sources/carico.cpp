// The payload that a package program carries: writing it for a stub, and reading it back with
// every length, mark, version, checksum, name and text checked before anything is used.

#include "carico.h"

#include <array>

#include "nomi.h"

namespace valmarena {

std::uint64_t leggi_le(std::string_view s, std::size_t da, int byte) {
    std::uint64_t v = 0;
    for (int i = byte - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[da + static_cast<std::size_t>(i)]);
    return v;
}

namespace {

void metti_u32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFFu);
}

void metti_u64(std::string& s, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFFu);
}

std::uint32_t u32(std::string_view s, std::size_t da) { return static_cast<std::uint32_t>(leggi_le(s, da, 4)); }

esito_carico guasto(std::string difetto, std::size_t inizio = 0) {
    esito_carico e;
    e.st = esito_carico::stato::guasto;
    e.difetto = std::move(difetto);
    e.inizio = inizio;
    return e;
}

// A payload whose bytes were cut or changed, as opposed to one that holds what cannot be used.
esito_carico danno(std::string difetto, std::size_t inizio = 0) {
    esito_carico e = guasto(std::move(difetto), inizio);
    e.danneggiato = true;
    return e;
}

// The texts of the body in payload order, as pointers into the scenario's texts.
std::array<std::string*, voci_carico> voci(testi_scenario& t) {
    return {&t.id.nome_percorso, &t.id.nome_treno, &t.linea, &t.treno, &t.note, &t.rallentamenti, &t.scheda};
}

const char* nomi_voci[voci_carico] = {"route name", "train name", "line description", "train description",
                                      "notes", "slowdown order", "train card"};

// A file without a trailer: a head anywhere in it means a payload that lost its end.
// The last place where `segno` stands in `file`. A forward search jumps from one candidate
// first byte to the next, which keeps a look through a whole program file cheap on every run.
std::size_t ultima_occorrenza(std::string_view file, std::string_view segno) {
    std::size_t ultima = std::string_view::npos;
    for (std::size_t h = file.find(segno); h != std::string_view::npos; h = file.find(segno, h + 1)) ultima = h;
    return ultima;
}

esito_carico senza_coda(std::string_view file) {
    const std::size_t h = ultima_occorrenza(file, segno_inizio_carico());
    if (h == std::string_view::npos) return {};
    return danno("the scenario it carries is truncated (its end is missing)", h);
}

// Splits the checked body into the texts and checks each of them.
esito_carico leggi_corpo(std::string_view corpo, std::string_view indice, std::uint32_t segni, std::size_t inizio) {
    esito_carico e;
    e.inizio = inizio;
    auto dove = voci(e.testi);
    std::size_t pos = 0;
    for (std::size_t i = 0; i < voci_carico; ++i) {
        const std::uint32_t n = u32(indice, 4 * i);
        if (n > corpo.size() - pos) return danno("its index does not match its body", inizio);
        dove[i]->assign(corpo.substr(pos, n));
        pos += n;
    }
    if (pos != corpo.size()) return danno("its index does not match its body", inizio);
    for (std::size_t i = 0; i < 2; ++i)
        if (auto d = difetto_nome(*dove[i])) return guasto(std::string("its ") + nomi_voci[i] + " cannot serve: " + *d, inizio);
    for (std::size_t i = 2; i < voci_carico; ++i)
        if (auto d = difetto_testo(*dove[i])) return guasto(std::string("its ") + nomi_voci[i] + " " + d->cosa, inizio);
    e.testi.con_note = (segni & carico_con_note) != 0;
    e.st = esito_carico::stato::valido;
    return e;
}

}  // namespace

namespace {
// The marks are kept XOR 0x5A and read through volatile, so the compiler cannot fold them back
// into the plain bytes: a program without a payload must never hold its own head mark.
volatile const unsigned char segno_inizio_cifrato[8] = {0x09, 0x19, 0x1F, 0x14, 0x12, 0x1F, 0x1B, 0x1E};  // SCENHEAD
volatile const unsigned char segno_fine_cifrato[8] = {0x09, 0x19, 0x1F, 0x14, 0x0E, 0x1B, 0x13, 0x16};    // SCENTAIL

std::string decifra(volatile const unsigned char (&cifrato)[8]) {
    std::string s(8, '\0');
    for (std::size_t i = 0; i < 8; ++i) s[i] = static_cast<char>(cifrato[i] ^ 0x5Au);
    return s;
}
}  // namespace

std::string segno_inizio_carico() { return decifra(segno_inizio_cifrato); }
std::string segno_fine_carico() { return decifra(segno_fine_cifrato); }

namespace {

// The CRC-32 of each byte value, worked out once: a byte then costs one look-up, not eight steps.
constexpr std::array<std::uint32_t, 256> tavola_crc32() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t b = 0; b < 256; ++b) {
        std::uint32_t c = b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        t[b] = c;
    }
    return t;
}

constexpr std::array<std::uint32_t, 256> crc32_byte = tavola_crc32();

}  // namespace

std::uint32_t crc32(std::string_view dati, std::uint32_t precedente) {
    std::uint32_t c = ~precedente;
    for (unsigned char b : dati) c = (c >> 8) ^ crc32_byte[(c ^ b) & 0xFFu];
    return ~c;
}

std::string componi_carico(std::string_view stub, const testi_scenario& testi) {
    testi_scenario t = testi;
    std::string p = segno_inizio_carico();
    metti_u32(p, versione_carico);
    for (const std::string* v : voci(t)) p += *v;
    for (const std::string* v : voci(t)) metti_u32(p, static_cast<std::uint32_t>(v->size()));
    const std::uint32_t somma = crc32(p, crc32(stub));
    const std::uint64_t lunghezza = p.size();
    metti_u32(p, versione_carico);
    metti_u32(p, t.con_note ? carico_con_note : 0u);
    metti_u64(p, lunghezza);
    metti_u32(p, somma);
    metti_u32(p, 0);
    p += segno_fine_carico();
    return p;
}

std::optional<std::uint64_t> lunghezza_da_coda(std::string_view ultimi) {
    const std::string fine = segno_fine_carico();
    if (ultimi.size() < coda_carico || ultimi.substr(ultimi.size() - fine.size()) != fine) return std::nullopt;
    return leggi_le(ultimi, ultimi.size() - coda_carico + 8, 8);
}

esito_carico decodifica_carico(std::string_view file, std::uint32_t crc_prima) {
    const std::optional<std::uint64_t> dichiarata = lunghezza_da_coda(file);
    if (!dichiarata) return senza_coda(file);
    const std::size_t coda = file.size() - coda_carico;
    const std::uint32_t versione = u32(file, coda);
    const std::uint32_t segni = u32(file, coda + 4);
    const std::uint64_t lunghezza = *dichiarata;
    const std::uint32_t somma = u32(file, coda + 16);
    if (versione != versione_carico && versione != versione_carico_solo_scenario)
        return guasto("it carries a scenario in format version " + std::to_string(versione) + ", this program reads versions " +
                      std::to_string(versione_carico_solo_scenario) + " and " + std::to_string(versione_carico));
    if (lunghezza > coda) return danno("the scenario it carries is truncated (it needs " + std::to_string(lunghezza) +
                                       " bytes before its trailer, the file holds " + std::to_string(coda) + ")");
    const std::size_t inizio = coda - static_cast<std::size_t>(lunghezza);
    if (lunghezza < testa_carico + 4 * voci_carico || (segni & ~carico_con_note) != 0 || u32(file, coda + 20) != 0)
        return danno("the trailer of the scenario it carries is damaged", inizio);
    const std::string_view dati = file.substr(inizio, static_cast<std::size_t>(lunghezza));
    if (dati.substr(0, 8) != segno_inizio_carico() || u32(dati, 8) != versione)
        return danno("the scenario it carries is truncated or damaged (no head where its trailer puts it)", inizio);
    // Version 2 sums the program too: every byte before the trailer.
    const std::uint32_t calcolata = versione == versione_carico ? crc32(file.substr(0, coda), crc_prima) : crc32(dati);
    if (calcolata != somma) return danno("the program file or the scenario it carries is damaged (bad checksum)", inizio);
    const std::size_t fine_corpo = dati.size() - 4 * voci_carico;
    return leggi_corpo(dati.substr(testa_carico, fine_corpo - testa_carico), dati.substr(fine_corpo), segni, inizio);
}

std::optional<difetto> difetto_testo(std::string_view testo) {
    std::size_t righe = 0;
    std::size_t inizio = 0;
    while (inizio < testo.size()) {
        std::size_t fine = testo.find("\r\n", inizio);
        if (fine == std::string_view::npos) fine = testo.size();
        if (testo.substr(inizio, fine - inizio) == sentinella)
            return difetto{"holds the line \"" + std::string(sentinella) + "\", which ends the line table",
                           static_cast<int>(righe) + 1};
        ++righe;
        inizio = fine + 2;
    }
    if (righe > slot_tabella_righe - 1)
        return difetto{"has " + std::to_string(righe) + " lines, more than the " +
                           std::to_string(slot_tabella_righe - 1) + " a package's file can hold",
                       slot_tabella_righe};
    return std::nullopt;
}

}  // namespace valmarena
