// `scenario dump` on arbitrary bytes, with the options chosen by the first byte.

#include "bersagli.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
    return valmarena::fuzz::prova_dump(dati, n);
}
