// The language server's framing: each message is a header block ("Content-Length: N", CR LF
// ended lines, an empty line) and then N bytes of JSON.
#pragma once

#include <cstddef>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace valmarena::strumento {

// The largest message body taken; a longer one is skipped and answered with an error.
constexpr std::size_t lsp_corpo_max = 64u << 20;

enum class esito_trama {
    messaggio,  // `corpo` holds one message body
    difetto,    // a header block that cannot be used; `difetto` says why, the block is skipped
    fine,       // the input ended
};

struct trama {
    esito_trama esito = esito_trama::fine;
    std::string corpo;
    std::string difetto;
};

// Reads the next message; never throws on bad input.
trama leggi_trama(std::istream& in);

// Writes one message with its header.
void scrivi_trama(std::ostream& out, std::string_view corpo);

}  // namespace valmarena::strumento
