// JSON writing.

#include "json.h"

#include <cmath>
#include <cstdio>

#include "comune.h"
#include "descrizione.h"

namespace valmarena::strumento {

std::string json_testo(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
                out += buf;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

void json_scrittore::prima_del_valore() {
    if (dopo_chiave_) {
        dopo_chiave_ = false;
        return;
    }
    if (!aperti_.empty()) {
        if (!aperti_.back().primo) out_ += ", ";
        aperti_.back().primo = false;
    }
}

json_scrittore& json_scrittore::oggetto() {
    prima_del_valore();
    out_ += '{';
    aperti_.push_back({'}', true});
    return *this;
}

json_scrittore& json_scrittore::lista() {
    prima_del_valore();
    out_ += '[';
    aperti_.push_back({']', true});
    return *this;
}

json_scrittore& json_scrittore::fine() {
    out_ += aperti_.back().chiusura;
    aperti_.pop_back();
    return *this;
}

json_scrittore& json_scrittore::chiave(std::string_view k) {
    prima_del_valore();
    out_ += json_testo(k);
    out_ += ": ";
    dopo_chiave_ = true;
    return *this;
}

json_scrittore& json_scrittore::intero(std::int64_t v) {
    prima_del_valore();
    out_ += std::to_string(v);
    return *this;
}

json_scrittore& json_scrittore::reale(double v, int decimali) {
    prima_del_valore();
    out_ += std::isfinite(v) ? strumento::reale(v, decimali) : "null";
    return *this;
}

json_scrittore& json_scrittore::testo(std::string_view utf8) {
    prima_del_valore();
    out_ += json_testo(utf8);
    return *this;
}

json_scrittore& json_scrittore::logico(bool v) {
    prima_del_valore();
    out_ += v ? "true" : "false";
    return *this;
}

json_scrittore& json_scrittore::nullo() {
    prima_del_valore();
    out_ += "null";
    return *this;
}

void campo_in_json(json_scrittore& j, const campo_letto& c) {
    j.chiave(c.nome);
    if (c.testo) {
        j.testo(*c.testo);
    } else if (c.lista) {
        j.lista();
        for (auto n : c.numeri) j.intero(n);
        j.fine();
    } else {
        j.intero(c.numeri.empty() ? 0 : c.numeri.front());
    }
}

}  // namespace valmarena::strumento
