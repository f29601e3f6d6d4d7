// The source line under a diagnostic, as compilers show it:
//
//     4 | segnale,  1100, 2, 3,4,1, 0, 2, 2,1,1, 0
//       | ^~~~~~~
//
// the line as the compiler read it, from Windows-1252 into UTF-8, and under it a caret at the
// column with a run of '~' under the rest of the field. A tab widens to the next multiple of 8
// columns on both lines, so the caret stays under its byte; a control byte shows as its picture
// (U+2400...), never as itself; a line wider than 100 columns is cut around the column, "..."
// standing for what is left out.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace valmarena::strumento {

// The texts the compiler read, by the file names its diagnostics give, and their lines. A text the
// compiler was handed (converted from UTF-8) is taken as it is; a text it read from its file is
// read from there again the first time a line of it is asked for, so that a compile holds no
// third copy of its sources while it reads them.
class testi_letti {
public:
    // `testo`, when given, must outlive this object.
    void aggiungi(const std::string& nome, const std::filesystem::path& cammino, const std::string* testo);
    // Line `riga` (from 1) of `file` without its line end; nothing for a file not given or that
    // cannot be read, or a line beyond the end. Lines end as the reader ends them: at CR LF, LF
    // or a CR alone.
    std::optional<std::string_view> riga(const std::string& file, int riga) const;

private:
    struct testo {
        std::string nome;
        std::filesystem::path cammino;
        const std::string* dato = nullptr;
        mutable std::optional<std::string> letto;  // read on the first call, when not given
        // The last line found and where it begins: the report asks for lines mostly in file
        // order, a note now and then a few rows back, so the next one is looked for from there.
        mutable int riga_cursore = 1;
        mutable std::size_t inizio_cursore = 0;
    };
    // The text of `t`, read from its file when needed; nothing when it cannot be read.
    static const std::string* byte_di(const testo& t);
    std::vector<testo> testi_;
};

// The two lines (source and caret, each ending in '\n') for line `numero` of a file, the field
// starting at `colonna` (from 1) and `larghezza` bytes wide; the source line only when the column
// is 0. The caret line in green when `colore`.
std::string estratto(std::string_view riga_1252, int numero, int colonna, int larghezza, bool colore);

// A UTF-8 text for the terminal with each control byte (below 0x20, and 0x7F) as its picture, so
// that what a source holds cannot act on the terminal: a message quoting a token, say.
std::string visibile(std::string_view utf8);
// The same, appended to `t`.
void aggiungi_visibile(std::string& t, std::string_view utf8);

}  // namespace valmarena::strumento
