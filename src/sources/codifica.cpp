// Windows-1252 conversions and case folding.

#include "codifica.h"

#include <cstdint>
#include <cstdio>

namespace valmarena {

namespace {
// Code points of the bytes 0x80..0x9F; 0 marks the five bytes the code page leaves unused.
constexpr char32_t da_80_a_9f[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void aggiungi_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The byte of the code page that holds `cp`, or -1 when it has none.
int in_1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int k = 0; k < 32; ++k)
        if (da_80_a_9f[k] != 0 && da_80_a_9f[k] == cp) return 0x80 + k;
    return -1;
}

// Length of the UTF-8 sequence starting at `i` and its code point, or 0 when the bytes there are
// no valid UTF-8 (a stray continuation byte, a cut sequence, an overlong form, a surrogate).
std::size_t sequenza_utf8(std::string_view t, std::size_t i, char32_t& cp) {
    const auto b = static_cast<unsigned char>(t[i]);
    std::size_t n = 0;
    unsigned char minimo = 0x80, massimo = 0xBF;  // bounds of the second byte
    if (b < 0x80) {
        cp = b;
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
        cp = b & 0x1Fu;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        cp = b & 0x0Fu;
        if (b == 0xE0) minimo = 0xA0;
        if (b == 0xED) massimo = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        cp = b & 0x07u;
        if (b == 0xF0) minimo = 0x90;
        if (b == 0xF4) massimo = 0x8F;
    } else {
        return 0;
    }
    if (i + n > t.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(t[i + k]);
        const unsigned char lo = k == 1 ? minimo : 0x80, hi = k == 1 ? massimo : 0xBF;
        if (c < lo || c > hi) return 0;
        cp = (cp << 6) | (c & 0x3Fu);
    }
    return n;
}

std::string esadecimale(unsigned valore, const char* formato) {
    char t[16];
    std::snprintf(t, sizeof t, formato, valore);
    return t;
}

}  // namespace

std::string da_1252_a_utf8(std::string_view testo) {
    std::string out;
    out.reserve(testo.size());
    for (char ch : testo) {
        auto b = static_cast<unsigned char>(ch);
        char32_t cp = b;
        if (b >= 0x80 && b <= 0x9F) cp = da_80_a_9f[b - 0x80] ? da_80_a_9f[b - 0x80] : 0xFFFD;
        aggiungi_utf8(out, cp);
    }
    return out;
}

std::string da_utf8_a_1252(std::string_view testo) {
    std::string out;
    std::size_t i = 0;
    while (i < testo.size()) {
        auto b = static_cast<unsigned char>(testo[i]);
        char32_t cp = 0;
        std::size_t n = 1;
        if (b < 0x80) {
            cp = b;
        } else if ((b & 0xE0) == 0xC0 && i + 1 < testo.size()) {
            cp = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(testo[i + 1]) & 0x3Fu);
            n = 2;
        } else if ((b & 0xF0) == 0xE0 && i + 2 < testo.size()) {
            cp = ((b & 0x0Fu) << 12) | ((static_cast<unsigned char>(testo[i + 1]) & 0x3Fu) << 6) |
                 (static_cast<unsigned char>(testo[i + 2]) & 0x3Fu);
            n = 3;
        } else {
            cp = 0xFFFD;
            n = (b & 0xF8) == 0xF0 ? 4 : 1;
        }
        i += n;
        char risultato = '?';
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            risultato = static_cast<char>(cp);
        } else {
            for (int k = 0; k < 32; ++k)
                if (da_80_a_9f[k] == cp && cp != 0) risultato = static_cast<char>(0x80 + k);
        }
        out += risultato;
    }
    return out;
}

std::optional<std::string> da_utf8_a_1252_esatto(std::string_view testo, std::string& difetto) {
    std::size_t dove = 0;
    return da_utf8_a_1252_esatto(testo, difetto, dove);
}

std::optional<std::string> da_utf8_a_1252_esatto(std::string_view testo, std::string& difetto, std::size_t& dove) {
    std::string out;
    out.reserve(testo.size());
    for (std::size_t i = 0; i < testo.size();) {
        char32_t cp = 0;
        const std::size_t n = sequenza_utf8(testo, i, cp);
        dove = i;
        if (n == 0) {
            difetto = "holds the byte " + esadecimale(static_cast<unsigned char>(testo[i]), "0x%02X") +
                      ", which is not valid UTF-8";
            return std::nullopt;
        }
        const int b = in_1252(cp);
        if (b < 0) {
            difetto = "holds the character '" + std::string(testo.substr(i, n)) + "' (" +
                      esadecimale(static_cast<unsigned>(cp), "U+%04X") + "), which Windows-1252 cannot encode";
            return std::nullopt;
        }
        out += static_cast<char>(b);
        i += n;
    }
    return out;
}

char minuscola(char c) {
    auto b = static_cast<unsigned char>(c);
    if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 32);
    // Latin-1 capitals À..Þ except ×.
    if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 32);
    if (b == 0x8A || b == 0x8C || b == 0x8E) return static_cast<char>(b + 16);
    if (b == 0x9F) return static_cast<char>(0xFF);
    return c;
}

std::string in_minuscolo(std::string_view testo) {
    std::string out(testo);
    for (auto& c : out) c = minuscola(c);
    return out;
}

std::filesystem::path nome_in_cammino(const std::string& nome_1252) {
    std::string utf8 = da_1252_a_utf8(nome_1252);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace valmarena
