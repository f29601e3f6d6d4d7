// Text conversions, URIs and one source line read for the editor.

#include "lsp_testo.h"

#include <cstdio>

#include "compiler/lettore_token.h"
#include "records/guasti.h"
#include "sources/codifica.h"

namespace valmarena::strumento {

namespace {

// UTF-8 bytes and UTF-16 units of the character that starts with byte `b` (a stray byte: 1 and 1).
std::pair<std::size_t, int> misura_carattere(unsigned char b) {
    if (b >= 0xF0 && b <= 0xF4) return {4, 2};
    if (b >= 0xE0) return {3, 1};
    if (b >= 0xC2) return {2, 1};
    return {1, 1};
}

// Moves the 0-based line and column over `t`.
void avanza(std::string_view t, int& riga, int& colonna) {
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\n' || (t[i] == '\r' && (i + 1 >= t.size() || t[i + 1] != '\n'))) {
            ++riga;
            colonna = 0;
        } else if (t[i] != '\r') {
            ++colonna;
        }
    }
}

int cifra_esadecimale(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

testo_1252 in_1252(std::string_view utf8) {
    testo_1252 r;
    r.byte.reserve(utf8.size());
    int riga = 0, colonna = 0;
    std::string_view resto = utf8;
    for (;;) {
        std::string difetto;
        std::size_t dove = 0;
        if (auto t = da_utf8_a_1252_esatto(resto, difetto, dove)) {
            r.byte += *t;
            return r;
        }
        std::string scarto;
        const std::string prima = da_utf8_a_1252_esatto(resto.substr(0, dove), scarto).value_or(std::string());
        avanza(prima, riga, colonna);
        r.byte += prima;
        const auto [byte, unita] = misura_carattere(static_cast<unsigned char>(resto[dove]));
        if (r.mancanti.size() < mancanti_max) r.mancanti.push_back({riga, colonna, unita, difetto});
        r.byte.append(static_cast<std::size_t>(unita), '?');
        colonna += unita;
        resto.remove_prefix(std::min(resto.size(), dove + byte));
    }
}

std::optional<std::filesystem::path> cammino_da_uri(std::string_view uri) {
    constexpr std::string_view schema = "file://";
    if (uri.substr(0, schema.size()) != schema) return std::nullopt;
    std::string_view resto = uri.substr(schema.size());
    const std::size_t barra = resto.find('/');
    if (barra == std::string_view::npos) return std::nullopt;
    resto.remove_prefix(barra);  // an authority ("localhost") is dropped
    std::string p;
    for (std::size_t i = 0; i < resto.size(); ++i) {
        if (resto[i] == '%' && i + 2 < resto.size() && cifra_esadecimale(resto[i + 1]) >= 0 &&
            cifra_esadecimale(resto[i + 2]) >= 0) {
            p += static_cast<char>(cifra_esadecimale(resto[i + 1]) * 16 + cifra_esadecimale(resto[i + 2]));
            i += 2;
        } else {
            p += resto[i];
        }
    }
    // "/c:/dir/file" on Windows, named with the host's own separators as the check names it
    if (p.size() >= 3 && p[0] == '/' && p[2] == ':') p.erase(0, 1);
    std::filesystem::path cammino(std::u8string(p.begin(), p.end()));
    return cammino.make_preferred();
}

std::string uri_da_cammino(const std::filesystem::path& p) {
    const std::u8string u = p.generic_u8string();
    std::string t = "file://";
    if (!u.empty() && u.front() != u8'/') t += '/';
    for (char8_t c8 : u) {
        const auto c = static_cast<unsigned char>(c8);
        const bool libero = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '/' || c == '-' || c == '_' || c == '.' || c == '~';
        if (libero) {
            t += static_cast<char>(c);
        } else {
            char buf[4];
            std::snprintf(buf, sizeof buf, "%%%02X", c);
            t += buf;
        }
    }
    return t;
}

std::vector<std::string_view> righe_di(std::string_view testo) {
    std::vector<std::string_view> righe;
    std::size_t inizio = 0;
    for (std::size_t i = 0; i < testo.size(); ++i) {
        if (testo[i] != '\n' && testo[i] != '\r') continue;
        righe.push_back(testo.substr(inizio, i - inizio));
        if (testo[i] == '\r' && i + 1 < testo.size() && testo[i + 1] == '\n') ++i;
        inizio = i + 1;
    }
    righe.push_back(testo.substr(inizio));
    return righe;
}

namespace {

bool e_intestazione(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t.size() >= 2 && t.front() == '[' && t.back() == ']';
}

}  // namespace

riga_sorgente analizza_riga(std::string_view riga, file_righe f, bool generale) {
    riga_sorgente r;
    if (riga.find_first_not_of(" \t") == std::string_view::npos) return r;
    lettore_token in{std::string(riga), {}};
    try {
        r.chiave = in.token();
        r.colonna_chiave = in.ultimo().colonna - 1;
        r.lunghezza_chiave = static_cast<int>(r.chiave.size());
        if (e_intestazione(riga)) {
            r.intestazione = true;
            return r;
        }
        r.righe = righe_riconosciute(f, generale, r.chiave);
        for (const auto* d : r.righe)
            for (const auto& c : d->campi) {
                if (in.fine()) return r;
                if (c.tipo == larghezza::testo)
                    in.testo();
                else
                    in.numero_long();
                const campo_letto& l = in.campi().back();
                r.campi.push_back({l.dove.colonna - 1, static_cast<int>(l.grezzo.size()), std::string(l.grezzo), l.valore, &c, d});
            }
    } catch (const guasto&) {
        // a number too large: the fields before it are kept
    }
    return r;
}

std::vector<bool> righe_generali(const std::vector<std::string_view>& righe, file_righe f) {
    std::vector<bool> g(righe.size(), false);
    if (f != file_righe::linea) return g;
    bool dentro = false, visto = false;
    for (std::size_t i = 0; i < righe.size(); ++i) {
        if (e_intestazione(righe[i])) {
            dentro = !visto && contiene(righe[i], "[generale]");
            visto = visto || dentro;
            continue;
        }
        g[i] = dentro;
    }
    return g;
}

std::optional<std::size_t> campo_a(const riga_sorgente& r, int colonna) {
    if (colonna < r.colonna_chiave + r.lunghezza_chiave) return std::nullopt;
    for (std::size_t i = 0; i < r.campi.size(); ++i)
        if (colonna <= r.campi[i].colonna + r.campi[i].lunghezza) return i;
    return std::nullopt;
}

}  // namespace valmarena::strumento
