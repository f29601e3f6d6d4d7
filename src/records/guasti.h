// Run-time failures: conditions the host would stop on (a value that does not fit, an index
// outside the records, reading past the end of a file, a file that cannot be read or written).
#pragma once

#include <stdexcept>
#include <string>

namespace valmarena {

// A failure inside the compiler's reader; the reader's failure handler turns it into code 25.
struct guasto : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct indice_fuori_limiti : guasto {
    using guasto::guasto;
};

// A file that cannot be created, written, renamed, read or deleted. Names the file and the cause.
struct errore_file : std::runtime_error {
    std::string file;
    std::string causa;
    errore_file(std::string f, std::string c)
        : std::runtime_error(f + ": " + c), file(std::move(f)), causa(std::move(c)) {}
};

}  // namespace valmarena
