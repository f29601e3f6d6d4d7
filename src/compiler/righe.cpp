// The values a row's fields give, and which description each field read answers to.

#include "righe.h"

#include "../records/arrotonda.h"

namespace valmarena {

std::optional<std::int64_t> valore_preso(const campo_letto& c, larghezza l) {
    if (!c.numerico) return std::nullopt;
    const double v = arrotonda_pari(c.valore);
    switch (l) {
    case larghezza::long_:
        if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
        break;
    case larghezza::intero:
        if (v < INT16_MIN || v > INT16_MAX) return std::nullopt;
        break;
    case larghezza::byte_:
        if (v < 0 || v > 255) return std::nullopt;
        break;
    case larghezza::testo:
        return std::nullopt;
    }
    return static_cast<std::int64_t>(v);
}

std::string_view testo_preso(const campo_letto& c) {
    std::string_view t = c.grezzo;
    if (t.empty() || t.front() != '"') return t;
    t.remove_prefix(1);
    if (!t.empty() && t.back() == '"') t.remove_suffix(1);
    return t;
}

std::vector<std::pair<const campo_riga*, const descrizione_riga*>> campi_descritti(const riga_osservata& r) {
    std::vector<std::pair<const campo_riga*, const descrizione_riga*>> attesi;
    for (const descrizione_riga* d : r.tipi)
        for (const campo_riga& c : d->campi) attesi.emplace_back(&c, d);
    std::vector<std::pair<const campo_riga*, const descrizione_riga*>> v;
    for (std::size_t i = 0; i < r.campi.size(); ++i)
        v.push_back(i < attesi.size() ? attesi[i] : std::pair<const campo_riga*, const descrizione_riga*>{nullptr, nullptr});
    return v;
}

}  // namespace valmarena
