// The three compiled files in the layouts the simulator reads (the track plan, the scenario
// table and the route cells, little-endian, with no header, count or padding): their writers,
// and their decoders, which read the bytes back into records or say which byte does not fit.
#pragma once

#include <cstddef>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "../records/scenario.h"

namespace valmarena {

// Each replaces its file whole; a failure throws `errore_file` and leaves the old file as it was.
void scrivi_tracciato(const std::filesystem::path& file, const struct tracciato& t);
// The same bytes as the plan's points drawn whole, drawn a piece at a time as they are written.
void scrivi_tracciato(const std::filesystem::path& file, const piano_tracciato& p);
void scrivi_tabella(const std::filesystem::path& file, const scenario& s);
void scrivi_celle(const std::filesystem::path& file, const scenario& s);

// The writers' bytes held in memory, for the tests and the fuzz targets to compare with.
namespace dettaglio {
// The bytes of one table entry, of the whole table, of all the cells.
std::string byte_voce(const voce& v);
std::string byte_tabella(const scenario& s);
std::string byte_celle(const scenario& s);
// The bytes of the track plan (x values of every metre, then y values, each tagged).
std::string byte_tracciato(const struct tracciato& t);
}  // namespace dettaglio

constexpr std::size_t byte_per_cella = 15;

// Decoding: each function takes the whole file's bytes and either returns every record in it or
// throws `formato_errato` saying which byte does not fit the layout; nothing is guessed or skipped.
// The bytes do not fit the file's layout. `offset` is where the fault was found.
struct formato_errato : std::runtime_error {
    std::size_t offset;
    formato_errato(const std::string& cosa, std::size_t dove) : std::runtime_error(cosa), offset(dove) {}
};

// The table file: exactly `voci_tabella` entries, each 34 bytes plus its name, and nothing after.
std::vector<voce> decodifica_tabella(std::string_view byte);

// The cell file: a whole number of 15-byte cells, at least one.
std::vector<cella> decodifica_celle(std::string_view byte);

// The track-plan file: tagged values (tag 0 empty, 2 integer, 5 real), the x half then the y
// half, so an even number of values, at least two.
struct tracciato decodifica_tracciato(std::string_view byte);

// One tagged value of a track-plan file.
struct valore_tracciato {
    etichetta e = etichetta::vuoto;
    double v = 0.0;
};

// The values of a track-plan file one at a time, from its bytes in memory or from an open file
// a block at a time, so that a file of any length is read in little memory. The decoding of
// `decodifica_tracciato`, which is built on it, with the same complaints.
class lettore_tracciato {
public:
    explicit lettore_tracciato(std::string_view byte);
    // The file `f`, `lunghezza` bytes long, from its start. More than one reader may share it.
    lettore_tracciato(std::FILE* f, std::uint64_t lunghezza);

    bool finito() const { return pos_ >= lunghezza_; }
    std::uint64_t pos() const { return pos_; }      // the byte where the next value starts
    std::size_t indice() const { return indice_; }  // the number of the next value

    // The next value; throws `formato_errato` when it does not fit the layout.
    valore_tracciato prossimo();

    // Moves to byte `pos`, where value `indice` starts (as `pos` and `indice` told before).
    void vai(std::uint64_t pos, std::size_t indice);

private:
    template <typename T>
    T numero(const char* parte);
    void richiedi(std::size_t n, const char* parte);

    std::FILE* f_ = nullptr;
    std::string blocco_;       // for a file: the bytes read from `inizio_blocco_` on
    std::string_view byte_;    // the bytes at hand: the whole file in memory, or `blocco_`
    std::uint64_t inizio_blocco_ = 0;
    std::uint64_t lunghezza_ = 0;
    std::uint64_t pos_ = 0;
    std::size_t indice_ = 0;
};

}  // namespace valmarena
