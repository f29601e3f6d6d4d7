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

    // The CRC-32 of the file's first `n` bytes, read a block at a time; nothing when they cannot be read.
    std::optional<std::uint32_t> crc_fino(std::uint64_t n) const {
        std::string blocco(std::size_t{64} << 10, '\0');
        std::uint32_t c = 0;
        if (!vai_a(f, 0)) return std::nullopt;
        while (n > 0) {
            const auto k = static_cast<std::size_t>(std::min<std::uint64_t>(n, blocco.size()));
            if (std::fread(blocco.data(), 1, k, f) != k) return std::nullopt;
            c = crc32(std::string_view(blocco.data(), k), c);
            n -= k;
        }
        return c;
    }
};

// Where the program's own image ends in its file, from its executable header: `sconosciuta` when
// the header is neither a 64-bit little-endian ELF nor PE, `mancante` when the header is one of
// them but the file is shorter than it says.
struct immagine {
    enum class stato { sconosciuta, intera, mancante } st = stato::sconosciuta;
    std::uint64_t fine = 0;
};

immagine intera(std::uint64_t fine) { return {immagine::stato::intera, fine}; }
constexpr immagine mancante{immagine::stato::mancante, 0};

// Where an ELF image ends: past its header tables and every section and segment that holds bytes.
immagine fine_elf(const file_programma& p, const std::string& testa) {
    if (testa.size() < 64) return mancante;
    if (testa[4] != 2 || testa[5] != 1) return {};  // 64-bit, little-endian only
    const std::uint64_t phoff = leggi_le(testa, 0x20, 8), shoff = leggi_le(testa, 0x28, 8);
    const std::uint64_t phsize = leggi_le(testa, 0x36, 2), phnum = leggi_le(testa, 0x38, 2);
    const std::uint64_t shsize = leggi_le(testa, 0x3A, 2), shnum = leggi_le(testa, 0x3C, 2);
    if (phsize < 0x28 || shsize < 0x28) return {};
    if (phoff > p.lunghezza || shoff > p.lunghezza) return mancante;
    std::uint64_t fine = std::max<std::uint64_t>({64, phoff + phnum * phsize, shoff + shnum * shsize});
    if (fine > p.lunghezza) return mancante;
    std::string tabella;
    if (!p.leggi(phoff, static_cast<std::size_t>(phnum * phsize), tabella)) return mancante;
    for (std::uint64_t i = 0; i < phnum; ++i)
        fine = std::max(fine, leggi_le(tabella, i * phsize + 0x08, 8) + leggi_le(tabella, i * phsize + 0x20, 8));
    if (!p.leggi(shoff, static_cast<std::size_t>(shnum * shsize), tabella)) return mancante;
    for (std::uint64_t i = 0; i < shnum; ++i)
        if (leggi_le(tabella, i * shsize + 0x04, 4) != 8)  // a section without bytes in the file (bss) takes none
            fine = std::max(fine, leggi_le(tabella, i * shsize + 0x18, 8) + leggi_le(tabella, i * shsize + 0x20, 8));
    return intera(fine);
}

// Where a PE image ends: past its section table and sections, its symbol and string tables and
// its certificate table.
immagine fine_pe(const file_programma& p, const std::string& testa) {
    if (testa.size() < 0x40) return mancante;
    const std::uint64_t pe = leggi_le(testa, 0x3C, 4);
    std::string intestazione;
    if (pe + 24 > p.lunghezza || !p.leggi(pe, 24, intestazione)) return mancante;
    if (intestazione.compare(0, 4, std::string("PE\0\0", 4)) != 0) return {};
    // The file header follows the 4 bytes of the signature.
    const std::uint64_t sezioni = leggi_le(intestazione, 6, 2), simboli = leggi_le(intestazione, 12, 4);
    const std::uint64_t n_simboli = leggi_le(intestazione, 16, 4), opzionale = leggi_le(intestazione, 20, 2);
    std::string resto;
    if (pe + 24 + opzionale + sezioni * 40 > p.lunghezza ||
        !p.leggi(pe + 24, static_cast<std::size_t>(opzionale + sezioni * 40), resto))
        return mancante;
    std::uint64_t fine = pe + 24 + opzionale + sezioni * 40;
    for (std::uint64_t i = 0; i < sezioni; ++i) {
        const std::size_t s = static_cast<std::size_t>(opzionale + i * 40);
        fine = std::max(fine, leggi_le(resto, s + 20, 4) + leggi_le(resto, s + 16, 4));
    }
    if (simboli != 0) {
        std::string lunghezza;
        const std::uint64_t stringhe = simboli + n_simboli * 18;
        if (stringhe + 4 > p.lunghezza || !p.leggi(stringhe, 4, lunghezza)) return mancante;
        fine = std::max(fine, stringhe + leggi_le(lunghezza, 0, 4));
    }
    // The certificate table of a PE32+ image: data directory 4, whose address is a file offset.
    if (opzionale >= 152 && leggi_le(resto, 0, 2) == 0x20B)
        fine = std::max(fine, leggi_le(resto, 144, 4) + leggi_le(resto, 148, 4));
    return intera(fine);
}

// Where the program's own image ends: a payload can only stand after it.
immagine fine_immagine(const file_programma& p) {
    std::string testa;
    if (!p.leggi(0, static_cast<std::size_t>(std::min<std::uint64_t>(p.lunghezza, 64)), testa)) return {};
    immagine i;
    if (testa.compare(0, 4, "\x7F" "ELF") == 0)
        i = fine_elf(p, testa);
    else if (testa.compare(0, 2, "MZ") == 0)
        i = fine_pe(p, testa);
    if (i.st == immagine::stato::intera && i.fine > p.lunghezza) return mancante;
    return i;
}

esito_carico danneggiato(std::string difetto) {
    esito_carico e;
    e.st = esito_carico::stato::guasto;
    e.danneggiato = true;
    e.difetto = std::move(difetto);
    return e;
}

// Whether the bytes past the image are the first few of a head mark alone: a payload cut before
// its head was whole.
bool inizio_di_segno(const file_programma& p, std::uint64_t da) {
    const std::string segno = segno_inizio_carico();
    if (da >= p.lunghezza || p.lunghezza - da >= segno.size()) return false;
    std::string resto;
    return p.leggi(da, static_cast<std::size_t>(p.lunghezza - da), resto) && segno.compare(0, resto.size(), resto) == 0;
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
    // A program cut short (an interrupted copy) lacks bytes its own headers count on.
    const immagine im = fine_immagine(p);
    if (im.st == immagine::stato::mancante)
        return danneggiato("it is shorter than its own headers say (it holds " + std::to_string(p.lunghezza) + " bytes)");
    std::string coda;
    if (p.lunghezza >= coda_carico && p.leggi(p.lunghezza - coda_carico, coda_carico, coda)) {
        const std::optional<std::uint64_t> n = lunghezza_da_coda(coda);
        if (!n) {
            // Only what follows the program's own image can be a payload that lost its end.
            const std::uint64_t da = im.st == immagine::stato::intera ? im.fine : 0;
            if (inizio_di_segno(p, da)) return danneggiato("the scenario it carries is truncated (its end is missing)");
            return p.ha_segno_inizio(da) ? dal_file_intero(eseguibile) : esito_carico{};
        }
        const std::uint64_t carico = *n + coda_carico;
        std::string byte;
        // In the present format the checksum covers the program before the payload as well.
        std::optional<std::uint32_t> crc_prima = 0;
        if (carico <= p.lunghezza && leggi_le(coda, 0, 4) == versione_carico) crc_prima = p.crc_fino(p.lunghezza - carico);
        if (carico <= p.lunghezza && crc_prima && p.leggi(p.lunghezza - carico, static_cast<std::size_t>(carico), byte)) {
            esito_carico e = decodifica_carico(byte, *crc_prima);
            if (e.st == esito_carico::stato::valido) {
                e.inizio += static_cast<std::size_t>(p.lunghezza - carico);
                return e;
            }
        }
    }
    return dal_file_intero(eseguibile);
}

std::string messaggio_carico_guasto(const esito_carico& e) {
    if (e.danneggiato) return "This program file is damaged: " + e.difetto + ". No file was written.";
    return "This package cannot run: " + e.difetto + ". No file was written.";
}

}  // namespace valmarena
