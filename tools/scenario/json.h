// Just enough JSON writing for the tool's machine-readable output.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace valmarena::strumento {

struct campo_letto;

// A JSON string literal for UTF-8 text, quotes included.
std::string json_testo(std::string_view utf8);

// Builds one JSON document; commas between members and elements are placed for the caller.
// Objects and lists are opened and closed in pairs; `chiave` goes before each member's value.
class json_scrittore {
public:
    json_scrittore& oggetto();
    json_scrittore& lista();
    json_scrittore& fine();  // closes the innermost open object or list
    json_scrittore& chiave(std::string_view k);
    json_scrittore& intero(std::int64_t v);
    json_scrittore& reale(double v, int decimali);  // null when not finite
    json_scrittore& testo(std::string_view utf8);
    json_scrittore& logico(bool v);
    json_scrittore& nullo();

    // The document, ended by a newline.
    std::string risultato() const { return out_ + "\n"; }

    // The text written since the last call, taken away: a long document can be sent on as it
    // is made, and `risultato` then gives only the rest.
    std::string pezzo() { return std::exchange(out_, std::string()); }

private:
    void prima_del_valore();
    std::string out_;
    struct livello {
        char chiusura;  // '}' or ']'
        bool primo;     // nothing written in it yet
    };
    std::vector<livello> aperti_;
    bool dopo_chiave_ = false;
};

// One decoded value as "name": value (a number, a list of numbers, or a text), as dump writes it.
void campo_in_json(json_scrittore& j, const campo_letto& c);

}  // namespace valmarena::strumento
