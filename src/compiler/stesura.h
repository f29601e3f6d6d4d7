// The track plan's file written beside the rest of the compile: started as soon as the line file
// is read, so that it is written while the train file is read, and drawn ahead by the compile once free.
#pragma once

#include <exception>
#include <filesystem>
#include <optional>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../platform/file_ospite.h"
#include "../records/scenario.h"
#include "tracciato.h"

namespace valmarena {

// Whether the machine has a second processor to write on. With one, everything is done in order
// on the calling thread: the bytes are the same either way.
bool piu_processori();

// The plan drawn and written a piece at a time, all x values then all y values, the same bytes
// as the plan drawn whole. The pieces are drawn in order with one pen, by whichever thread is
// free: the writer draws each piece itself unless a helper has drawn it already, and a helper
// keeps at most two pieces drawn ahead of the writing.
class nastro {
public:
    explicit nastro(const piano_tracciato& p);
    ~nastro();
    nastro(const nastro&) = delete;
    nastro& operator=(const nastro&) = delete;

    // Writes every piece into `f`, drawing those no helper has drawn; returns early once stopped.
    void scrivi(file_uscita& f);
    // Draws pieces ahead of the writer until all are drawn or the writing stops.
    void aiuta();
    // Stops both: the writer after the piece it is writing, the helper after the piece it draws.
    void ferma();

private:
    struct pezzo;
    // Draws piece k into buffer b, after the bytes the last piece carried on.
    void disegna(std::size_t k, std::size_t b);
    // Draws piece k when it is the next one, the pen is free and its buffer has been written;
    // false, without waiting, when it is not. Holds `l` but while drawing.
    bool prendi_penna(std::unique_lock<std::mutex>& l, std::size_t k);

    const piano_tracciato& p_;
    penna_tracciato penna_;
    std::size_t pezzi_, capacita_;
    std::vector<pezzo> anello_;                   // two buffers, taken when first drawn into
    std::array<std::uint64_t, 2> prossimo_;       // where the next piece's buffer starts in the file, per half
    std::vector<std::string> riporto_;            // the bytes carried on to the next piece, per half
    std::size_t ultimo_ = 0;                      // the buffer of the last piece drawn
    std::array<std::size_t, 2> buffer_del_pezzo_{};  // piece k's buffer, at k % 2
    std::mutex m_;
    std::condition_variable cv_;
    std::size_t disegnati_ = 0, scritti_ = 0;
    bool penna_in_mano_ = false, basta_ = false;
};

// Draws and writes the plan into `f` on the calling thread.
void stendi_tracciato(file_uscita& f, const piano_tracciato& p);

// The plan's file written on a thread of its own, from a plan the reader has finished. `conferma`
// draws ahead of the writing, waits for it and puts the file in place; without it the writing
// stops and the temporary file is removed. With one processor nothing happens before `conferma`,
// which then draws and writes it all.
class stesura_tracciato {
public:
    stesura_tracciato(piano_tracciato p, std::filesystem::path file);
    ~stesura_tracciato();
    stesura_tracciato(const stesura_tracciato&) = delete;
    stesura_tracciato& operator=(const stesura_tracciato&) = delete;

    // Waits for the writing and renames the file into place; throws `errore_file` for a file that
    // could not be created or written, as the writer on the calling thread would have.
    void conferma();

private:
    void stendi() noexcept;

    piano_tracciato piano_;
    std::filesystem::path file_;
    nastro nastro_;
    std::optional<file_uscita> uscita_;
    std::exception_ptr guasto_;
    bool steso_ = false;  // drawn and written, or failed: set by the thread that does it
    std::thread lavoro_;
};

}  // namespace valmarena
