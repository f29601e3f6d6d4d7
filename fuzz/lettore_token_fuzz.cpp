// The token reader on arbitrary bytes: the first byte says how many of the following bytes are
// the requests (text, keyword token, Long, Integer, Byte), the rest is the file. The requests are
// repeated in turn until the file is read; each must consume something, so the reading ends.

#include "bersagli.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    return valmarena::fuzz::prova_lettore_token(dati, n);
}
