// What each error code means, and the one-line message that tells the user about a recorded error.
#pragma once

#include <string>
#include <string_view>

#include "../records/scenario.h"

namespace valmarena {

// A short description of an error code; empty for a code the compiler never records.
std::string_view significato_errore(int codice);

// "FILE:LINE:COLUMN: error CODE at POS m: what is wrong", leaving out the parts the error lacks.
// Diagnostics hold UTF-8 text: file names as given, source text converted from Windows-1252.
std::string messaggio_diagnostica(const diagnostica& d);

// "FILE:LINE:COLUMN: warning: what was passed over", for the reader's notes to authors.
std::string messaggio_avvertimento(const diagnostica& d);

// "FILE:LINE:COLUMN: note: what is worth a look", for the notes that are never a fault.
std::string messaggio_nota(const diagnostica& d);

}  // namespace valmarena
