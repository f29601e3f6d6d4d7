// Content-Length framing over a byte stream.

#include "lsp_trama.h"

#include <cctype>
#include <charconv>
#include <optional>

namespace valmarena::strumento {

namespace {

constexpr std::size_t riga_intestazione_max = 4096;
constexpr int righe_intestazione_max = 32;

// One header line without its CR LF (a lone LF is taken too); nothing at the end of input.
// A line longer than the limit is read to its end and cut.
std::optional<std::string> riga(std::istream& in) {
    std::string r;
    bool letto = false;
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        letto = true;
        if (c == '\n') {
            if (!r.empty() && r.back() == '\r') r.pop_back();
            return r;
        }
        if (r.size() < riga_intestazione_max) r += static_cast<char>(c);
    }
    if (!letto) return std::nullopt;
    return r;
}

bool uguale_senza_maiuscole(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view senza_blanchi(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.remove_suffix(1);
    return t;
}

// Skips `n` bytes of a body that is not kept.
void salta(std::istream& in, std::size_t n) {
    char buf[4096];
    while (n > 0 && in) {
        const std::size_t k = n < sizeof buf ? n : sizeof buf;
        in.read(buf, static_cast<std::streamsize>(k));
        n -= static_cast<std::size_t>(in.gcount());
    }
}

}  // namespace

trama leggi_trama(std::istream& in) {
    std::optional<std::size_t> lunghezza;
    std::string difetto;
    bool qualcosa = false;
    for (int n = 0;; ++n) {
        auto r = riga(in);
        if (!r) {
            if (!qualcosa) return {};
            return {esito_trama::difetto, {}, "the input ended inside a message header"};
        }
        if (r->empty()) {
            if (!qualcosa) continue;  // blank lines between messages
            break;
        }
        qualcosa = true;
        if (n >= righe_intestazione_max) {
            difetto = "too many header lines";
            continue;
        }
        const std::size_t due_punti = r->find(':');
        if (due_punti == std::string::npos) {
            difetto = "a header line without ':'";
            continue;
        }
        if (!uguale_senza_maiuscole(senza_blanchi(std::string_view(*r).substr(0, due_punti)), "Content-Length"))
            continue;  // Content-Type and any other header are not needed
        const std::string_view v = senza_blanchi(std::string_view(*r).substr(due_punti + 1));
        std::size_t l = 0;
        const auto [fine, ec] = std::from_chars(v.data(), v.data() + v.size(), l);
        if (ec != std::errc() || fine != v.data() + v.size() || v.empty())
            difetto = "Content-Length is not a number";
        else
            lunghezza = l;
    }
    if (difetto.empty() && !lunghezza) difetto = "no Content-Length header";
    if (!difetto.empty()) return {esito_trama::difetto, {}, difetto};
    if (*lunghezza > lsp_corpo_max) {
        salta(in, *lunghezza);
        return {esito_trama::difetto, {}, "a message of " + std::to_string(*lunghezza) + " bytes is longer than the limit"};
    }
    trama t{esito_trama::messaggio, std::string(*lunghezza, '\0'), {}};
    in.read(t.corpo.data(), static_cast<std::streamsize>(*lunghezza));
    if (static_cast<std::size_t>(in.gcount()) != *lunghezza)
        return {esito_trama::difetto, {}, "the input ended inside a message body"};
    return t;
}

void scrivi_trama(std::ostream& out, std::string_view corpo) {
    out << "Content-Length: " << corpo.size() << "\r\n\r\n";
    out.write(corpo.data(), static_cast<std::streamsize>(corpo.size()));
    out.flush();
}

}  // namespace valmarena::strumento
