// The scenario a package program may carry after its own executable: five texts and the route
// and train names, with an index, a format version and a checksum, read back before any file is written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "emettitori.h"

namespace valmarena {

// Layout, all numbers little-endian, appended to the end of the executable:
//   head:    the 8 bytes of `segno_inizio_carico`, u32 version
//   body:    route name, train name, line, train, notes, slowdown order, train card, back to back
//   index:   7 × u32, the length of each text of the body in that order
//   trailer: u32 version, u32 flags, u64 length of head + body + index, u32 CRC-32, u32 zero,
//            the 8 bytes of `segno_fine_carico`
// The head and the trailer give the same version. In version 2 the CRC-32 covers the whole file
// before the trailer, the program included, so that a program damaged anywhere is refused; in
// version 1, still read, it covers head + body + index only.
// Flag bit 0: the notes are the author's (without it no notes file is written).
constexpr std::uint32_t versione_carico = 2;
constexpr std::uint32_t versione_carico_solo_scenario = 1;
constexpr std::size_t voci_carico = 7;
constexpr std::size_t testa_carico = 12;
constexpr std::size_t coda_carico = 32;
constexpr std::uint32_t carico_con_note = 1;

// The two marks, built from pieces so that the program's own bytes never hold them whole.
std::string segno_inizio_carico();
std::string segno_fine_carico();

struct esito_carico {
    enum class stato { assente, valido, guasto };
    stato st = stato::assente;
    testi_scenario testi;       // when valid
    std::size_t inizio = 0;     // offset of the payload's head in the file (valid, or the stub's end)
    std::string difetto;        // when damaged: what is wrong, in English
    bool danneggiato = false;   // when damaged: the bytes were changed or cut, not merely unusable
};

// Reads the payload at the end of `file`: the whole executable, or its last bytes from some
// point, with `crc_prima` the CRC-32 of the bytes before that point (offsets then count from it).
// Absent when the file carries none; damaged when a head or trailer is there but anything about
// it does not hold.
esito_carico decodifica_carico(std::string_view file, std::uint32_t crc_prima = 0);

// The length of head, body and index that a trailer gives, when `ultimi` (a file's last
// `coda_carico` bytes) ends with the end mark; nothing when it does not.
std::optional<std::uint64_t> lunghezza_da_coda(std::string_view ultimi);

// The bytes to append to the program `stub` so that it carries `testi`.
std::string componi_carico(std::string_view stub, const testi_scenario& testi);

// The `byte`-byte little-endian number at `da` of `s` (at most 8 bytes): the payload's numbers,
// and those of the executable headers before it.
std::uint64_t leggi_le(std::string_view s, std::size_t da, int byte);

// CRC-32 (the reflected polynomial 0xEDB88320) of `dati`; with `precedente`, the CRC-32 of some
// bytes before them, that of the two back to back.
std::uint32_t crc32(std::string_view dati, std::uint32_t precedente = 0);

// What makes a text unusable as one of the emitted files (more lines than the line table holds,
// or a line that is the table's sentinel): what it is, and the first line at fault.
struct difetto {
    std::string cosa;
    int riga = 0;
};
std::optional<difetto> difetto_testo(std::string_view testo);

}  // namespace valmarena
