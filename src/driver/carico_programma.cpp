// Reading the package program's own file for the scenario appended to it.

#include "carico_programma.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "../platform/file_ospite.h"

namespace valmarena {

namespace {

// The bytes of the file's start and end kept after one reading each: the executable header, the
// trailer and, in a program built as usual, the section table all lie there.
constexpr std::size_t byte_testa = std::size_t{4} << 10;
constexpr std::size_t byte_coda = std::size_t{64} << 10;

// The open program file and its length.
struct file_programma {
    std::FILE* f = nullptr;
    std::uint64_t lunghezza = 0;
    std::string testa, coda;       // the first and the last bytes of the file, once `prepara` has read them
    std::uint64_t inizio_coda = 0;  // where `coda` starts in the file

    ~file_programma() {
        if (f) std::fclose(f);
    }

    // Reads the file's start and end, each in one go; false when they cannot be read.
    bool prepara() {
        std::setvbuf(f, nullptr, _IONBF, 0);
        const auto n_coda = static_cast<std::size_t>(std::min<std::uint64_t>(lunghezza, byte_coda));
        inizio_coda = lunghezza - n_coda;
        return leggi(inizio_coda, n_coda, coda) &&
               leggi(0, static_cast<std::size_t>(std::min<std::uint64_t>(lunghezza, byte_testa)), testa);
    }

    // The `n` bytes from `da`, from the bytes kept when they hold them; false when they cannot be read.
    bool leggi(std::uint64_t da, std::size_t n, std::string& out) const {
        if (da >= inizio_coda && da + n <= inizio_coda + coda.size() && !coda.empty()) {
            out.assign(coda, static_cast<std::size_t>(da - inizio_coda), n);
            return true;
        }
        if (da + n <= testa.size()) {
            out.assign(testa, static_cast<std::size_t>(da), n);
            return true;
        }
        out.resize(n);
        return vai_a(f, da) && std::fread(out.data(), 1, n, f) == n;
    }

    // Whether the head mark stands anywhere from byte `da` on, looked for a block at a time through one
    // small buffer; each block starts with the last bytes of the one before, so that a mark cut in
    // two by a block's end is found whole in the next. A failed reading answers yes, which sends
    // the caller to the reading of the whole file.
    bool ha_segno_inizio(std::uint64_t da) const {
        const std::string segno = segno_inizio_carico();
        if (da >= inizio_coda && !coda.empty())
            return std::string_view(coda).substr(static_cast<std::size_t>(std::min<std::uint64_t>(da - inizio_coda, coda.size())))
                       .find(segno) != std::string_view::npos;
        std::string blocco(std::size_t{64} << 10, '\0');
        std::size_t tenuti = 0;
        if (!vai_a(f, da)) return true;
        for (;;) {
            const std::size_t n = std::fread(blocco.data() + tenuti, 1, blocco.size() - tenuti, f);
            const std::string_view letti(blocco.data(), tenuti + n);
            if (letti.find(segno) != std::string_view::npos) return true;
            if (n == 0) return std::ferror(f) != 0;
            tenuti = std::min(letti.size(), segno.size() - 1);
            std::copy(letti.end() - static_cast<std::ptrdiff_t>(tenuti), letti.end(), blocco.begin());
        }
    }
};

// Where an ELF image ends: past its header tables and every section and segment that holds bytes.
std::optional<std::uint64_t> fine_elf(const file_programma& p, const std::string& testa) {
    if (testa.size() < 64 || testa[4] != 2 || testa[5] != 1) return std::nullopt;  // 64-bit, little-endian only
    const std::uint64_t phoff = leggi_le(testa, 0x20, 8), shoff = leggi_le(testa, 0x28, 8);
    const std::uint64_t phsize = leggi_le(testa, 0x36, 2), phnum = leggi_le(testa, 0x38, 2);
    const std::uint64_t shsize = leggi_le(testa, 0x3A, 2), shnum = leggi_le(testa, 0x3C, 2);
    if (phsize < 0x28 || shsize < 0x28 || phoff > p.lunghezza || shoff > p.lunghezza) return std::nullopt;
    std::uint64_t fine = std::max<std::uint64_t>({64, phoff + phnum * phsize, shoff + shnum * shsize});
    if (fine > p.lunghezza) return std::nullopt;
    std::string tabella;
    if (!p.leggi(phoff, static_cast<std::size_t>(phnum * phsize), tabella)) return std::nullopt;
    for (std::uint64_t i = 0; i < phnum; ++i)
        fine = std::max(fine, leggi_le(tabella, i * phsize + 0x08, 8) + leggi_le(tabella, i * phsize + 0x20, 8));
    if (!p.leggi(shoff, static_cast<std::size_t>(shnum * shsize), tabella)) return std::nullopt;
    for (std::uint64_t i = 0; i < shnum; ++i)
        if (leggi_le(tabella, i * shsize + 0x04, 4) != 8)  // a section without bytes in the file (bss) takes none
            fine = std::max(fine, leggi_le(tabella, i * shsize + 0x18, 8) + leggi_le(tabella, i * shsize + 0x20, 8));
    return fine;
}

// Where a PE image ends: past its section table and sections, its symbol and string tables and
// its certificate table.
std::optional<std::uint64_t> fine_pe(const file_programma& p, const std::string& testa) {
    if (testa.size() < 0x40) return std::nullopt;
    const std::uint64_t pe = leggi_le(testa, 0x3C, 4);
    std::string intestazione;
    if (pe > p.lunghezza || !p.leggi(pe, 24, intestazione) || intestazione.compare(0, 4, std::string("PE\0\0", 4)) != 0)
        return std::nullopt;
    const std::uint64_t sezioni = leggi_le(intestazione, 6, 2), simboli = leggi_le(intestazione, 8, 4);
    const std::uint64_t n_simboli = leggi_le(intestazione, 12, 4), opzionale = leggi_le(intestazione, 16, 2);
    std::string resto;
    if (!p.leggi(pe + 24, static_cast<std::size_t>(opzionale + sezioni * 40), resto)) return std::nullopt;
    std::uint64_t fine = pe + 24 + opzionale + sezioni * 40;
    for (std::uint64_t i = 0; i < sezioni; ++i) {
        const std::size_t s = static_cast<std::size_t>(opzionale + i * 40);
        fine = std::max(fine, leggi_le(resto, s + 20, 4) + leggi_le(resto, s + 16, 4));
    }
    if (simboli != 0) {
        std::string lunghezza;
        const std::uint64_t stringhe = simboli + n_simboli * 18;
        if (!p.leggi(stringhe, 4, lunghezza)) return std::nullopt;
        fine = std::max(fine, stringhe + leggi_le(lunghezza, 0, 4));
    }
    // The certificate table of a PE32+ image: data directory 4, whose address is a file offset.
    if (opzionale >= 152 && leggi_le(resto, 0, 2) == 0x20B)
        fine = std::max(fine, leggi_le(resto, 144, 4) + leggi_le(resto, 148, 4));
    return fine;
}

// Where the program's own image ends in its file, from its executable header: a payload can only
// stand after it. Nothing when the header is neither ELF nor PE, or does not fit the file.
std::optional<std::uint64_t> fine_immagine(const file_programma& p) {
    std::string testa;
    if (!p.leggi(0, static_cast<std::size_t>(std::min<std::uint64_t>(p.lunghezza, 64)), testa)) return std::nullopt;
    std::optional<std::uint64_t> fine;
    if (testa.compare(0, 4, "\x7F" "ELF") == 0)
        fine = fine_elf(p, testa);
    else if (testa.compare(0, 2, "MZ") == 0)
        fine = fine_pe(p, testa);
    if (fine && *fine > p.lunghezza) return std::nullopt;
    return fine;
}

// The whole file decoded at once: the reading that says exactly what is wrong with a payload.
esito_carico dal_file_intero(const std::filesystem::path& eseguibile) {
    std::string byte;
    std::string causa;
    if (!leggi_file(eseguibile, byte, causa)) return {};
    return decodifica_carico(byte);
}

}  // namespace

esito_carico carico_del_programma(const std::filesystem::path& eseguibile) {
    if (eseguibile.empty()) return {};
    // The usual cases read little: a program with a payload reads its trailer and the payload
    // before it, a program without one looks for a head mark past its own image (nothing to look
    // through when nothing was appended), with no copy of the file kept. Anything else (a damaged
    // payload, a file that changed under the reading) is decoded from the whole file, which gives
    // the same answer as ever.
    file_programma p;
    std::string causa;
    p.f = apri_file(eseguibile, "rb", causa);
    std::error_code ec;
    p.lunghezza = std::filesystem::file_size(eseguibile, ec);
    if (!p.f || ec || !p.prepara()) return {};
    std::string coda;
    if (p.lunghezza >= coda_carico && p.leggi(p.lunghezza - coda_carico, coda_carico, coda)) {
        const std::optional<std::uint64_t> n = lunghezza_da_coda(coda);
        if (!n) {
            // Only what follows the program's own image can be a payload that lost its end.
            const std::uint64_t da = fine_immagine(p).value_or(0);
            return p.ha_segno_inizio(da) ? dal_file_intero(eseguibile) : esito_carico{};
        }
        const std::uint64_t carico = *n + coda_carico;
        std::string byte;
        if (carico <= p.lunghezza && p.leggi(p.lunghezza - carico, static_cast<std::size_t>(carico), byte)) {
            esito_carico e = decodifica_carico(byte);
            if (e.st == esito_carico::stato::valido) {
                e.inizio += static_cast<std::size_t>(p.lunghezza - carico);
                return e;
            }
        }
    }
    return dal_file_intero(eseguibile);
}

std::string messaggio_carico_guasto(const esito_carico& e) {
    return "This package cannot run: " + e.difetto + ". No file was written.";
}

}  // namespace valmarena
