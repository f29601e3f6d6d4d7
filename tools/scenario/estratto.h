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

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace valmarena::strumento {

// The texts the compiler read, by the file names its diagnostics give, and their lines.
class testi_letti {
public:
    // `testo` must outlive this object.
    void aggiungi(const std::string& nome, const std::string& testo);
    // Line `riga` (from 1) of `file` without its line end; nothing for a file not given or a line
    // beyond the end. Lines end as the reader ends them: at CR LF, LF or a CR alone.
    std::optional<std::string_view> riga(const std::string& file, int riga) const;

private:
    struct testo {
        std::string nome;
        const std::string* byte = nullptr;
        mutable std::vector<std::size_t> inizi;  // where each line begins, found on the first call
    };
    std::vector<testo> testi_;
};

// The two lines (source and caret, each ending in '\n') for line `numero` of a file, the field
// starting at `colonna` (from 1) and `larghezza` bytes wide; the source line only when the column
// is 0. The caret line in green when `colore`.
std::string estratto(std::string_view riga_1252, int numero, int colonna, int larghezza, bool colore);

// A UTF-8 text for the terminal with each control byte (below 0x20, and 0x7F) as its picture, so
// that what a source holds cannot act on the terminal: a message quoting a token, say.
std::string visibile(std::string_view utf8);

}  // namespace valmarena::strumento
