// The track plan's file drawn and written in pieces, on the calling thread or on a thread of its
// own while the compile goes on, with the compile's thread drawing ahead once it is free.

#include "stesura.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#include "../platform/processori.h"
#include "../records/guasti.h"
#include "tracciato.h"

namespace valmarena {

bool piu_processori() { return processori_disponibili() >= 2; }

namespace {

// Output is written in whole blocks of the file where it can be: a write that starts and ends on
// a block boundary costs the host noticeably less than one that cuts blocks.
constexpr std::uint64_t blocco_file = 4096;

}  // namespace

// One piece of the plan in its buffer: for each half (x, then y), the bytes carried over from
// the end of the previous piece's half (less than a block), then the piece's own values. `scritti`
// of them go to the file at `da` with this piece; the rest are carried on to the next.
struct nastro::pezzo {
    struct meta {
        std::uint64_t da = 0;
        std::size_t scritti = 0;
    };
    std::unique_ptr<char[]> byte;  // the x half at 0, the y half `capacita_` bytes on
    std::array<meta, 2> meta_;
};

nastro::nastro(const piano_tracciato& p)
    : p_(p),
      penna_(p),
      pezzi_((p.punti + metri_per_pezzo - 1) / metri_per_pezzo),
      capacita_(std::min(p.punti, metri_per_pezzo) * massimo_per_punto + blocco_file),
      anello_(2),
      prossimo_{0, penna_tracciato::byte_per_asse(p)},
      riporto_(2, std::string()) {}

nastro::~nastro() = default;

void nastro::disegna(std::size_t k, std::size_t b) {
    pezzo& z = anello_[b];
    if (!z.byte) z.byte.reset(new char[2 * capacita_]);
    std::array<char*, 2> inizio{z.byte.get(), z.byte.get() + capacita_};
    for (int h = 0; h < 2; ++h) std::copy(riporto_[h].begin(), riporto_[h].end(), inizio[h]);
    const auto fine = penna_.metti(std::min((k + 1) * metri_per_pezzo, p_.punti), inizio[0] + riporto_[0].size(),
                                   inizio[1] + riporto_[1].size());
    const std::array<char*, 2> fini{fine.x, fine.y};
    const bool ultimo_pezzo = k + 1 == pezzi_;
    for (int h = 0; h < 2; ++h) {
        const std::uint64_t da = prossimo_[h];
        const std::uint64_t a = da + static_cast<std::uint64_t>(fini[h] - inizio[h]);
        // Up to the last block boundary; the rest waits for the next piece, unless this is the last.
        const std::uint64_t fino = ultimo_pezzo ? a : std::max(da, a / blocco_file * blocco_file);
        z.meta_[h] = {da, static_cast<std::size_t>(fino - da)};
        riporto_[h].assign(inizio[h] + (fino - da), fini[h]);
        prossimo_[h] = fino;
    }
    ultimo_ = b;
    buffer_del_pezzo_[k % 2] = b;
}

bool nastro::prendi_penna(std::unique_lock<std::mutex>& l, std::size_t k) {
    if (penna_in_mano_ || basta_ || disegnati_ != k || k - scritti_ >= anello_.size()) return false;
    penna_in_mano_ = true;
    // The buffer the last piece was drawn into when it is written already (a writer drawing its
    // own pieces uses one buffer throughout), else the other one, whose piece is written.
    const std::size_t b = disegnati_ == scritti_ ? ultimo_ : 1 - ultimo_;
    l.unlock();
    disegna(k, b);
    l.lock();
    penna_in_mano_ = false;
    ++disegnati_;
    cv_.notify_all();
    return true;
}

void nastro::scrivi(file_uscita& f) {
    f.prenota(2 * penna_tracciato::byte_per_asse(p_));
    try {
        for (std::size_t k = 0; k < pezzi_; ++k) {
            std::unique_lock<std::mutex> l(m_);
            while (disegnati_ <= k) {
                if (basta_) return;
                if (!prendi_penna(l, k)) cv_.wait(l);
            }
            const pezzo& z = anello_[buffer_del_pezzo_[k % 2]];
            l.unlock();
            for (int h = 0; h < 2; ++h) {
                f.posiziona(z.meta_[h].da);
                f.scrivi(z.byte.get() + static_cast<std::size_t>(h) * capacita_, z.meta_[h].scritti);
            }
            l.lock();
            ++scritti_;
            cv_.notify_all();
        }
    } catch (...) {
        ferma();
        throw;
    }
}

void nastro::aiuta() {
    std::unique_lock<std::mutex> l(m_);
    while (!basta_ && disegnati_ < pezzi_)
        if (!prendi_penna(l, disegnati_)) cv_.wait(l);
}

void nastro::ferma() {
    std::lock_guard<std::mutex> l(m_);
    basta_ = true;
    cv_.notify_all();
}

void stendi_tracciato(file_uscita& f, const piano_tracciato& p) { nastro(p).scrivi(f); }

stesura_tracciato::stesura_tracciato(piano_tracciato p, std::filesystem::path file)
    : piano_(std::move(p)), file_(std::move(file)), nastro_(piano_) {
    if (!piu_processori()) return;
    try {
        lavoro_ = std::thread([this] { stendi(); });
        accanto(lavoro_);
    } catch (const std::system_error&) {
        // No thread to be had: `conferma` writes it all on the calling thread.
    }
}

stesura_tracciato::~stesura_tracciato() {
    nastro_.ferma();
    if (lavoro_.joinable()) lavoro_.join();
}

void stesura_tracciato::stendi() noexcept {
    steso_ = true;
    try {
        uscita_.emplace(file_);
        nastro_.scrivi(*uscita_);
    } catch (...) {
        guasto_ = std::current_exception();
        uscita_.reset();
        // A helper waiting for the writer must not wait for a writer that is gone.
        nastro_.ferma();
    }
}

void stesura_tracciato::conferma() {
    if (lavoro_.joinable()) {
        // This thread draws the pieces ahead while the other one writes.
        nastro_.aiuta();
        lavoro_.join();
    }
    if (!steso_) stendi();
    if (guasto_) std::rethrow_exception(std::exchange(guasto_, nullptr));
    if (!uscita_) throw errore_file(cammino_in_testo(file_), "the track plan was already put in place");
    uscita_->conferma();
    uscita_.reset();
}

}  // namespace valmarena
