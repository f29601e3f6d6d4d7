// The track plan's file drawn and written in pieces: in order on one thread, or with the drawing
// of the next piece on a second thread while the last one is written, and as a whole on a thread
// of its own while the compile goes on.

#include "stesura.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <system_error>
#include <utility>

#include "../records/guasti.h"
#include "tracciato.h"

namespace valmarena {

bool piu_processori() { return std::thread::hardware_concurrency() >= 2; }

namespace {

// One piece of the plan laid out: its x values, then, `spazio` bytes on, its y values.
struct pezzo {
    std::unique_ptr<char[]> byte;
    std::size_t nx = 0, ny = 0;

    char* x() { return byte.get(); }
    char* y(std::size_t spazio) { return byte.get() + spazio; }
};

// Where each piece goes: the x values one after another from the start of the file, the y
// values from the middle, which is where the x values end.
struct posa {
    std::uint64_t in_x = 0, in_y = 0;

    void scrivi(file_uscita& f, const char* x, std::size_t nx, const char* y, std::size_t ny) {
        f.posiziona(in_x);
        f.scrivi(x, nx);
        f.posiziona(in_y);
        f.scrivi(y, ny);
        in_x += nx;
        in_y += ny;
    }
};

struct geometria {
    std::size_t pezzi, spazio;
    explicit geometria(const piano_tracciato& p)
        : pezzi((p.punti + metri_per_pezzo - 1) / metri_per_pezzo),
          spazio(std::min(p.punti, metri_per_pezzo) * massimo_per_punto) {}
    std::size_t fine(const piano_tracciato& p, std::size_t k) const { return std::min((k + 1) * metri_per_pezzo, p.punti); }
};

pezzo nuovo_pezzo(const geometria& g) { return {std::unique_ptr<char[]>(new char[2 * g.spazio]), 0, 0}; }

void disegna_pezzo(penna_tracciato& penna, const piano_tracciato& p, const geometria& g, std::size_t k, pezzo& z) {
    const auto fine = penna.metti(g.fine(p, k), z.x(), z.y(g.spazio));
    z.nx = static_cast<std::size_t>(fine.x - z.x());
    z.ny = static_cast<std::size_t>(fine.y - z.y(g.spazio));
}

void stendi_in_ordine(file_uscita& f, const piano_tracciato& p) {
    const geometria g(p);
    pezzo z = nuovo_pezzo(g);
    posa dove{0, penna_tracciato::byte_per_asse(p)};
    penna_tracciato penna(p);
    for (std::size_t k = 0; k < g.pezzi; ++k) {
        disegna_pezzo(penna, p, g, k, z);
        dove.scrivi(f, z.x(), z.nx, z.y(g.spazio), z.ny);
    }
}

// Two pieces in turn between the drawing thread and this one: the drawing waits for a piece the
// writer is done with, the writer for a piece that is drawn. A failed write stops the drawing.
class nastro {
public:
    nastro(const piano_tracciato& p, const geometria& g) : p_(p), g_(g), anello_{nuovo_pezzo(g), nuovo_pezzo(g)} {}

    void disegna() {
        penna_tracciato penna(p_);
        for (std::size_t k = 0; k < g_.pezzi; ++k) {
            {
                std::unique_lock<std::mutex> l(m_);
                cv_.wait(l, [&] { return basta_ || k - scritti_ < anello_.size(); });
                if (basta_) return;
            }
            disegna_pezzo(penna, p_, g_, k, anello_[k % anello_.size()]);
            {
                std::lock_guard<std::mutex> l(m_);
                ++disegnati_;
            }
            cv_.notify_all();
        }
    }

    void scrivi(file_uscita& f) {
        posa dove{0, penna_tracciato::byte_per_asse(p_)};
        for (std::size_t k = 0; k < g_.pezzi; ++k) {
            {
                std::unique_lock<std::mutex> l(m_);
                cv_.wait(l, [&] { return disegnati_ > k; });
            }
            pezzo& z = anello_[k % anello_.size()];
            dove.scrivi(f, z.x(), z.nx, z.y(g_.spazio), z.ny);
            {
                std::lock_guard<std::mutex> l(m_);
                ++scritti_;
            }
            cv_.notify_all();
        }
    }

    void ferma() {
        {
            std::lock_guard<std::mutex> l(m_);
            basta_ = true;
        }
        cv_.notify_all();
    }

private:
    const piano_tracciato& p_;
    const geometria& g_;
    std::array<pezzo, 2> anello_;
    std::mutex m_;
    std::condition_variable cv_;
    std::size_t disegnati_ = 0, scritti_ = 0;
    bool basta_ = false;
};

}  // namespace

void stendi_tracciato(file_uscita& f, const piano_tracciato& p) {
    const geometria g(p);
    if (g.pezzi < 2 || !piu_processori()) return stendi_in_ordine(f, p);
    nastro n(p, g);
    std::thread disegno;
    try {
        disegno = std::thread([&n] { n.disegna(); });
    } catch (const std::system_error&) {
        return stendi_in_ordine(f, p);
    }
    try {
        n.scrivi(f);
    } catch (...) {
        n.ferma();
        disegno.join();
        throw;
    }
    disegno.join();
}

stesura_tracciato::stesura_tracciato(piano_tracciato p, std::filesystem::path file)
    : piano_(std::move(p)), file_(std::move(file)) {
    if (!piu_processori()) return;
    try {
        lavoro_ = std::thread([this] { stendi(); });
    } catch (const std::system_error&) {
        // No thread to be had: `conferma` writes it all on the calling thread.
    }
}

stesura_tracciato::~stesura_tracciato() {
    if (lavoro_.joinable()) lavoro_.join();
}

void stesura_tracciato::stendi() noexcept {
    steso_ = true;
    try {
        uscita_.emplace(file_);
        stendi_tracciato(*uscita_, piano_);
    } catch (...) {
        guasto_ = std::current_exception();
        uscita_.reset();
    }
}

void stesura_tracciato::conferma() {
    if (lavoro_.joinable()) lavoro_.join();
    if (!steso_) stendi();
    if (guasto_) std::rethrow_exception(std::exchange(guasto_, nullptr));
    if (!uscita_) throw errore_file(cammino_in_testo(file_), "the track plan was already put in place");
    uscita_->conferma();
    uscita_.reset();
}

}  // namespace valmarena
