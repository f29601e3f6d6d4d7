// Helpers for the authoring tool's tests: running a command with its output captured, a strict
// JSON reader to prove that the tool's JSON parses and to look inside it, and the package's
// scenario compiled once into a scratch folder.
#pragma once

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "comandi.h"
#include "supporto.h"

namespace valmarena::prova {

struct esito_strumento {
    int stato = -1;
    std::string out;
    std::string err;
};

// Runs the tool as `scenario ARGS...` would, with standard output and error captured.
inline esito_strumento esegui_strumento(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    auto* vecchio_out = std::cout.rdbuf(out.rdbuf());
    auto* vecchio_err = std::cerr.rdbuf(err.rdbuf());
    esito_strumento e;
    try {
        e.stato = strumento::esegui(args);
    } catch (...) {
        std::cout.rdbuf(vecchio_out);
        std::cerr.rdbuf(vecchio_err);
        throw;
    }
    std::cout.rdbuf(vecchio_out);
    std::cerr.rdbuf(vecchio_err);
    e.out = out.str();
    e.err = err.str();
    return e;
}

// A text report without the source lines and carets under its diagnostics ("    4 | segnale, ..."
// and "      | ^~~~~~~"): what the report says, for tests that look at that and not at how it shows.
inline std::string senza_estratti(const std::string& t) {
    std::istringstream in(t);
    std::string riga, resto;
    while (std::getline(in, riga)) {
        std::size_t i = 0;
        while (i < riga.size() && (riga[i] == ' ' || (riga[i] >= '0' && riga[i] <= '9'))) ++i;
        const bool estratto = i > 1 && riga[0] == ' ' && riga.compare(i - 1, 3, " | ") == 0;
        if (!estratto) resto += riga + (in.eof() ? "" : "\n");
    }
    return resto;
}

// A parsed JSON value. Indexing a member or element that is not there throws.
struct json {
    enum class tipo { nullo, logico, numero, testo, lista, oggetto } t = tipo::nullo;
    bool b = false;
    double n = 0;
    std::string s;
    std::vector<json> elementi;
    // An object's members: names and values side by side (a pair would need json complete here).
    std::vector<std::string> chiavi;
    std::vector<json> membri;

    bool ha(const std::string& k) const {
        for (const auto& c : chiavi)
            if (c == k) return true;
        return false;
    }
    const json& operator[](const std::string& k) const {
        if (t != tipo::oggetto) throw std::runtime_error("not an object, looking for " + k);
        for (std::size_t i = 0; i < chiavi.size(); ++i)
            if (chiavi[i] == k) return membri[i];
        throw std::runtime_error("no member " + k);
    }
    const json& operator[](std::size_t i) const {
        if (t != tipo::lista || i >= elementi.size()) throw std::runtime_error("no element " + std::to_string(i));
        return elementi[i];
    }
    std::size_t size() const { return t == tipo::lista ? elementi.size() : membri.size(); }
    long long intero() const {
        if (t != tipo::numero || n != std::floor(n)) throw std::runtime_error("not a whole number");
        return static_cast<long long>(n);
    }
};

// Strict RFC 8259 reading of one document; anything malformed or trailing throws.
class lettore_json {
public:
    explicit lettore_json(std::string_view t) : t_(t) {}

    json documento() {
        json v = valore();
        spazi();
        if (i_ != t_.size()) errore("text after the document");
        return v;
    }

private:
    [[noreturn]] void errore(const std::string& cosa) const {
        throw std::runtime_error("invalid JSON at byte " + std::to_string(i_) + ": " + cosa);
    }
    void spazi() {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\n' || t_[i_] == '\r')) ++i_;
    }
    bool parola(std::string_view p) {
        if (t_.substr(i_, p.size()) != p) return false;
        i_ += p.size();
        return true;
    }
    json valore() {
        spazi();
        if (i_ >= t_.size()) errore("value expected");
        json v;
        char c = t_[i_];
        if (c == '{') {
            v.t = json::tipo::oggetto;
            ++i_;
            spazi();
            if (i_ < t_.size() && t_[i_] == '}') {
                ++i_;
                return v;
            }
            for (;;) {
                spazi();
                if (i_ >= t_.size() || t_[i_] != '"') errore("member name expected");
                std::string k = stringa();
                spazi();
                if (i_ >= t_.size() || t_[i_] != ':') errore("':' expected");
                ++i_;
                v.chiavi.push_back(k);
                v.membri.push_back(valore());
                spazi();
                if (i_ < t_.size() && t_[i_] == ',') {
                    ++i_;
                    continue;
                }
                if (i_ < t_.size() && t_[i_] == '}') {
                    ++i_;
                    return v;
                }
                errore("',' or '}' expected");
            }
        }
        if (c == '[') {
            v.t = json::tipo::lista;
            ++i_;
            spazi();
            if (i_ < t_.size() && t_[i_] == ']') {
                ++i_;
                return v;
            }
            for (;;) {
                v.elementi.push_back(valore());
                spazi();
                if (i_ < t_.size() && t_[i_] == ',') {
                    ++i_;
                    continue;
                }
                if (i_ < t_.size() && t_[i_] == ']') {
                    ++i_;
                    return v;
                }
                errore("',' or ']' expected");
            }
        }
        if (c == '"') {
            v.t = json::tipo::testo;
            v.s = stringa();
            return v;
        }
        if (parola("true")) {
            v.t = json::tipo::logico;
            v.b = true;
            return v;
        }
        if (parola("false")) {
            v.t = json::tipo::logico;
            return v;
        }
        if (parola("null")) return v;
        return numero();
    }
    json numero() {
        std::size_t inizio = i_;
        if (i_ < t_.size() && t_[i_] == '-') ++i_;
        auto cifre = [&] {
            std::size_t da = i_;
            while (i_ < t_.size() && t_[i_] >= '0' && t_[i_] <= '9') ++i_;
            return i_ - da;
        };
        if (i_ < t_.size() && t_[i_] == '0') {
            ++i_;
        } else if (cifre() == 0) {
            errore("number expected");
        }
        if (i_ < t_.size() && t_[i_] == '.') {
            ++i_;
            if (cifre() == 0) errore("digits expected after '.'");
        }
        if (i_ < t_.size() && (t_[i_] == 'e' || t_[i_] == 'E')) {
            ++i_;
            if (i_ < t_.size() && (t_[i_] == '+' || t_[i_] == '-')) ++i_;
            if (cifre() == 0) errore("digits expected in the exponent");
        }
        json v;
        v.t = json::tipo::numero;
        v.n = std::strtod(std::string(t_.substr(inizio, i_ - inizio)).c_str(), nullptr);
        return v;
    }
    std::string stringa() {
        ++i_;  // opening quote
        std::string s;
        for (;;) {
            if (i_ >= t_.size()) errore("unterminated string");
            unsigned char c = static_cast<unsigned char>(t_[i_++]);
            if (c == '"') return s;
            if (c < 0x20) errore("control character in a string");
            if (c != '\\') {
                s += static_cast<char>(c);
                continue;
            }
            if (i_ >= t_.size()) errore("unterminated escape");
            char e = t_[i_++];
            switch (e) {
            case '"': s += '"'; break;
            case '\\': s += '\\'; break;
            case '/': s += '/'; break;
            case 'b': s += '\b'; break;
            case 'f': s += '\f'; break;
            case 'n': s += '\n'; break;
            case 'r': s += '\r'; break;
            case 't': s += '\t'; break;
            case 'u': {
                if (i_ + 4 > t_.size()) errore("short \\u escape");
                unsigned v = 0;
                for (int k = 0; k < 4; ++k) {
                    char h = t_[i_++];
                    v <<= 4;
                    if (h >= '0' && h <= '9') v |= static_cast<unsigned>(h - '0');
                    else if (h >= 'a' && h <= 'f') v |= static_cast<unsigned>(h - 'a' + 10);
                    else if (h >= 'A' && h <= 'F') v |= static_cast<unsigned>(h - 'A' + 10);
                    else errore("bad \\u escape");
                }
                if (v < 0x80) s += static_cast<char>(v);
                else s += '?';  // the tests look only at ASCII escapes
                break;
            }
            default: errore("bad escape");
            }
        }
    }

    std::string_view t_;
    std::size_t i_ = 0;
};

inline json leggi_json(std::string_view t) { return lettore_json(t).documento(); }

// The package's scenario compiled into a scratch folder once per test run: the two sources
// (exported by the tool) in `sorgenti`, the three compiled files in `compilati`.
struct scenario_compilato {
    cartella_temporanea cartella;
    std::filesystem::path sorgenti, compilati, linea, treno, tracciato, tabella, celle;

    scenario_compilato() {
        sorgenti = cartella / "sorgenti";
        compilati = cartella / "compilati";
        linea = sorgenti / "Valmarena_linea.txt";
        treno = sorgenti / "Valmarena_RX 914-.txt";
        tracciato = compilati / "Valmarena_linea.dat";
        tabella = compilati / "Valmarena_RX 914.sim";
        celle = compilati / "Valmarena_RX 914.dat";
        if (esegui_strumento({"sources", "--out", sorgenti.string()}).stato != 0 ||
            esegui_strumento({"compile", "--line", linea.string(), "--train", treno.string(), "--out", compilati.string()})
                    .stato != 0)
            throw std::runtime_error("the package's scenario did not compile");
    }
};

inline const scenario_compilato& valmarena_compilato() {
    static const scenario_compilato s;
    return s;
}

}  // namespace valmarena::prova
