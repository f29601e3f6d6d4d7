// Reading the package program's own file for the scenario appended to it.

#include "carico_programma.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <system_error>

#include "../platform/file_ospite.h"

namespace valmarena {

namespace {

// The open program file and its length.
struct file_programma {
    std::FILE* f = nullptr;
    std::uint64_t lunghezza = 0;

    ~file_programma() {
        if (f) std::fclose(f);
    }

    // The `n` bytes from `da`; false when they cannot be read.
    bool leggi(std::uint64_t da, std::size_t n, std::string& out) const {
        out.resize(n);
        return vai_a(f, da) && std::fread(out.data(), 1, n, f) == n;
    }

    // Whether the head mark stands anywhere in the file, looked for a block at a time through one
    // small buffer; each block starts with the last bytes of the one before, so that a mark cut in
    // two by a block's end is found whole in the next. A failed reading answers yes, which sends
    // the caller to the reading of the whole file.
    bool ha_segno_inizio() const {
        const std::string segno = segno_inizio_carico();
        std::string blocco(std::size_t{64} << 10, '\0');
        std::size_t tenuti = 0;
        if (!vai_a(f, 0)) return true;
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
    // before it, a program without one is looked through for a head mark with no copy of the
    // file kept. Anything else (a damaged payload, a file that changed under the reading) is
    // decoded from the whole file, which gives the same answer as ever.
    file_programma p;
    std::string causa;
    p.f = apri_file(eseguibile, "rb", causa);
    std::error_code ec;
    p.lunghezza = std::filesystem::file_size(eseguibile, ec);
    if (!p.f || ec) return {};
    std::string coda;
    if (p.lunghezza >= coda_carico && p.leggi(p.lunghezza - coda_carico, coda_carico, coda)) {
        const std::optional<std::uint64_t> n = lunghezza_da_coda(coda);
        if (!n) return p.ha_segno_inizio() ? dal_file_intero(eseguibile) : esito_carico{};
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
