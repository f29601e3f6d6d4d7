// The editor's text and the source files' bytes: Unicode to Windows-1252 and back, where each
// Windows-1252 byte is one UTF-16 code unit (the editor's columns); file URIs; and one line of a
// source cut into its keyword and fields by the compiler's token reader and row description.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/formato.h"

namespace valmarena::strumento {

// A character of the editor's text that Windows-1252 cannot hold, at its 0-based line and
// UTF-16 column.
struct carattere_mancante {
    int riga = 0;
    int colonna = 0;
    int unita = 1;  // UTF-16 code units it takes
    std::string difetto;
};

struct testo_1252 {
    std::string byte;  // each missing character stands as as many '?' as its UTF-16 units
    std::vector<carattere_mancante> mancanti;  // the first `mancanti_max` of them
};
constexpr std::size_t mancanti_max = 100;

// The editor's UTF-8 text in Windows-1252 with the strict conversion, character by character.
testo_1252 in_1252(std::string_view utf8);

// A file: URI as a path of this host, or nothing for another scheme; and back.
std::optional<std::filesystem::path> cammino_da_uri(std::string_view uri);
std::string uri_da_cammino(const std::filesystem::path& p);

// The lines of a text without their ends (LF, CR LF or a lone CR).
std::vector<std::string_view> righe_di(std::string_view testo);

// A field of a row as it stands on its line (0-based column, bytes = UTF-16 units).
struct campo_in_riga {
    int colonna = 0;
    int lunghezza = 0;
    std::string grezzo;
    double valore = 0.0;  // a numeric field as the reader takes it
    const campo_riga* campo = nullptr;
    const descrizione_riga* riga = nullptr;
};

// One line of a source: a header, a row with the kinds its keyword is read as, or neither.
struct riga_sorgente {
    bool intestazione = false;
    std::string chiave;  // the keyword token (or the header), Windows-1252
    int colonna_chiave = 0;
    int lunghezza_chiave = 0;
    std::vector<const descrizione_riga*> righe;
    std::vector<campo_in_riga> campi;  // the fields found on the line, in the order read
};

riga_sorgente analizza_riga(std::string_view riga, file_righe f, bool generale);

// For each line of a source, whether it stands inside the line file's [generale] section.
std::vector<bool> righe_generali(const std::vector<std::string_view>& righe, file_righe f);

// The field whose text starts at `colonna` of the line, or the field the column falls in, or
// the space before the next: the index into `campi`, or nothing on the keyword or past the row.
std::optional<std::size_t> campo_a(const riga_sorgente& r, int colonna);

}  // namespace valmarena::strumento
