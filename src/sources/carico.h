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
//   trailer: u32 version, u32 flags, u64 length of head + body + index, u32 CRC-32 of head +
//            body + index, u32 zero, the 8 bytes of `segno_fine_carico`
// Flag bit 0: the notes are the author's (without it no notes file is written).
constexpr std::uint32_t versione_carico = 1;
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
};

// Reads the payload at the end of `file` (the whole executable). Absent when the file carries
// none; damaged when a head or trailer is there but anything about it does not hold.
esito_carico decodifica_carico(std::string_view file);

// The length of head, body and index that a trailer gives, when `ultimi` (a file's last
// `coda_carico` bytes) ends with the end mark; nothing when it does not.
std::optional<std::uint64_t> lunghezza_da_coda(std::string_view ultimi);

// The bytes to append to a stub so that it carries `testi`.
std::string componi_carico(const testi_scenario& testi);

// The `byte`-byte little-endian number at `da` of `s` (at most 8 bytes): the payload's numbers,
// and those of the executable headers before it.
std::uint64_t leggi_le(std::string_view s, std::size_t da, int byte);

// CRC-32 (the reflected polynomial 0xEDB88320) of `dati`.
std::uint32_t crc32(std::string_view dati);

// What makes a text unusable as one of the emitted files (more lines than the line table holds,
// or a line that is the table's sentinel), or nothing.
std::optional<std::string> difetto_testo(std::string_view testo);

}  // namespace valmarena
