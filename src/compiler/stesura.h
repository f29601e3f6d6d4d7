// The track plan's file written beside the rest of the compile: started when the line file opens
// the plan, drawn as the reader extends it, with the compile's thread taking part once free.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../platform/file_ospite.h"
#include "../platform/lavoratore.h"
#include "../records/scenario.h"
#include "tracciato.h"

namespace valmarena {

// The plan drawn and written a piece at a time, all x values then all y values, the same bytes
// as the plan drawn whole. The pieces are drawn in order with one pen, passed from thread to
// thread: each thread that takes part draws the next piece into a buffer of its own and writes it,
// so that a piece's bytes reach the file from the processor that drew them, while another thread
// draws the piece after it. The writes go one at a time, each at its place in the file.
class nastro {
public:
    // From a finished plan (`completo`), or from one the reader has just opened and is still
    // extending: its pieces are then drawn as `pubblica` makes their metres final.
    nastro(const piano_tracciato& p, bool completo);
    ~nastro();
    nastro(const nastro&) = delete;
    nastro& operator=(const nastro&) = delete;

    // The file's whole length: of the finished plan, or, while the reader extends it, of the plan
    // the line file leaves once read whole (stretches from metre 2 to two metres before the end).
    std::uint64_t lunghezza() const;
    // The stretches the reader has so far, and the first metre that may still change.
    void pubblica(const std::vector<tratto>& tratti, std::int64_t fino_a);
    // Every stretch: the plan is finished. False when it does not take the length announced (the
    // work must then be dropped).
    bool completa(const std::vector<tratto>& tratti);
    bool completo();
    // Draws and writes pieces into `f` until every piece is drawn or the work is stopped; one
    // or two threads may take part at once. The first failure stops them all and each throws it.
    void partecipa(file_uscita& f);
    // Stops every thread taking part after the piece it is drawing or writing.
    void ferma();

private:
    // One piece of the plan in its buffer: for each half (x, then y), the bytes carried over from
    // the end of the previous piece's half (less than a block), then the piece's own values.
    // `scritti` of them go to the file at `da` with this piece; the rest are carried on to the next.
    struct pezzo {
        struct meta {
            std::uint64_t da = 0;
            std::size_t scritti = 0;
        };
        char* byte = nullptr;  // the x half at 0, the y half `capacita_` bytes on, within `memoria_`
        std::array<meta, 2> meta_;
    };
    // Has the host map the part of `z` a piece fills.
    void mappa(pezzo& z) noexcept;
    // Draws piece k into `z`, after the bytes the last piece carried on; the pen's holder only.
    void disegna(std::size_t k, pezzo& z);
    // Whether the work is stopped; records the first failure and stops it.
    bool fermato();
    void guasto(std::exception_ptr e);
    // The lock of the file's writes, once the other thread's write is done.
    std::unique_lock<std::mutex> turno_di_scrittura();
    // Under `m_` with the pen free: the stretches handed over, into the pen's plan.
    void applica();
    // Under `m_`: whether piece k's metres are final.
    bool disegnabile(std::size_t k) const;
    // Waits under `l` until `pronto()`.
    template <typename Pronto>
    void attendi(std::unique_lock<std::mutex>& l, Pronto pronto);

    // The pen, its plan and what goes with them, used by the thread holding the pen.
    piano_tracciato p_;
    penna_tracciato penna_;
    std::size_t pezzi_, capacita_;
    std::array<std::uint64_t, 2> prossimo_;  // where the next piece's buffer starts in the file, per half
    std::array<const char*, 2> riporto_{};    // the bytes carried on to the next piece, per half, in the last one's buffer
    std::array<std::size_t, 2> riportati_{};  // how many (less than a block)
    std::unique_ptr<char[]> memoria_;  // the buffers' bytes
    std::array<pezzo, 2> buffer_;                 // one for each of at most two threads taking part
    std::uint64_t meta_annunciata_;          // the bytes of one axis, as announced
    // Under `m_`.
    std::size_t inviati_;                    // stretches handed over so far
    std::vector<std::pair<std::size_t, tratto>> in_arrivo_;  // handed over, not yet in the pen's plan
    std::int64_t disponibili_ = 0;           // metres before this one are final
    bool completo_;
    std::mutex m_;
    std::condition_variable cv_;
    std::size_t disegnati_ = 0, partecipanti_ = 0;
    bool penna_in_mano_ = false, basta_ = false;
    std::exception_ptr primo_guasto_;
    std::atomic<std::uint64_t> versione_{0};  // counts the changes a waiting thread looks for
    std::mutex scrittura_;  // one write at a time
};

// Draws and writes the plan into `f` on the calling thread.
void stendi_tracciato(file_uscita& f, const piano_tracciato& p);

// The plan's file written on a thread of its own, from a plan the reader has finished or has just
// opened and goes on extending (`pubblica`, then `completa`). `conferma` takes part in the drawing
// and writing, waits for the end and puts the file in place; without it the work stops and the
// temporary file is removed. With one processor nothing is drawn before `conferma`, which then
// draws and writes it all.
class stesura_tracciato {
public:
    // The thread is `aiuto` when one is lent, else one of its own.
    stesura_tracciato(const piano_tracciato& p, bool completo, std::filesystem::path file,
                      lavoratore* aiuto = nullptr);

    void pubblica(const piano_tracciato& p, std::int64_t fino_a) { nastro_.pubblica(p.tratti, fino_a); }
    bool completa(const piano_tracciato& p) { return nastro_.completa(p.tratti); }
    bool completo() { return nastro_.completo(); }
    ~stesura_tracciato();
    stesura_tracciato(const stesura_tracciato&) = delete;
    stesura_tracciato& operator=(const stesura_tracciato&) = delete;

    // Waits for the writing and renames the file into place; throws `errore_file` for a file that
    // could not be created or written, as the writer on the calling thread would have.
    void conferma();

private:
    void stendi() noexcept;

    std::filesystem::path file_;
    nastro nastro_;
    std::optional<file_uscita> uscita_;
    std::exception_ptr guasto_;
    std::optional<lavoratore> proprio_;  // the thread of its own, when none is lent
    lavoratore* aiuto_ = nullptr;         // the thread drawing and writing, until `conferma` is done with it
};

}  // namespace valmarena
