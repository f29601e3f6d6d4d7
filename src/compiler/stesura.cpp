// The track plan's file drawn and written in pieces, on the calling thread or on a thread of its
// own while the compile goes on, with the compile's thread taking part once it is free.

#include "stesura.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "../platform/lavoratore.h"
#include "../platform/processori.h"
#include "../records/guasti.h"
#include "tracciato.h"

namespace valmarena {

namespace {

// Output is written in runs that start and end on a boundary of 64 KiB of the file where it can
// be: the host then keeps the file's pages in larger units, and a write that cuts them costs it
// noticeably more (6.9 MB written a piece at a time: 1.4 ms cut at 4 KiB boundaries, 1.15 ms at
// 64 KiB ones).
constexpr std::uint64_t blocco_file = 65536;

}  // namespace

namespace {

// The bytes of one axis of the plan the line file will have left once read whole: the origin,
// stretches from metre 2 to two metres before the end, then two empty metres.
std::uint64_t byte_per_asse_a_fine_linea(const piano_tracciato& aperto) {
    piano_tracciato p;
    p.punti = aperto.punti;
    p.origine = aperto.origine;
    if (p.punti >= 4) p.tratti.push_back({static_cast<std::int64_t>(p.punti) - 3, 0.0});
    return penna_tracciato::byte_per_asse(p);
}

}  // namespace

nastro::nastro(const piano_tracciato& p, bool completo)
    : p_(p),
      penna_(p_),
      pezzi_((p.punti + metri_per_pezzo - 1) / metri_per_pezzo),
      capacita_(std::min(p.punti, metri_per_pezzo) * massimo_per_punto + blocco_file),
      prossimo_{0, completo ? penna_tracciato::byte_per_asse(p) : byte_per_asse_a_fine_linea(p)},
      meta_annunciata_(prossimo_[1]),
      inviati_(p.tratti.size()),
      completo_(completo) {
    // Everything the threads taking part need is taken here, by the thread that makes the nastro:
    // a thread that maps memory holds up the others' page faults, and one held up is woken by the
    // host beside the thread it waited for. Pages are touched only when drawn into.
    memoria_.reset(new char[buffer_.size() * 2 * capacita_]);
    for (std::size_t i = 0; i < buffer_.size(); ++i) buffer_[i].byte = memoria_.get() + i * 2 * capacita_;
}

nastro::~nastro() = default;

void nastro::mappa(pezzo& z) noexcept {
    // One byte per 4 KiB page is enough to have the host map it. What an average piece fills of
    // each half is touched; anything a longer piece fills beyond it is mapped as it is drawn into.
    if (pezzi_ == 0) return;
    const std::size_t byte =
        static_cast<std::size_t>(std::min<std::uint64_t>(capacita_, meta_annunciata_ / pezzi_ + blocco_file));
    for (char* h : {z.byte, z.byte + capacita_}) {
        volatile char* const q = h;
        for (std::size_t i = 0; i < byte; i += 4096) q[i] = 0;
    }
}

std::uint64_t nastro::lunghezza() const { return 2 * meta_annunciata_; }

void nastro::pubblica(const std::vector<tratto>& tratti, std::int64_t fino_a) {
    {
        std::lock_guard<std::mutex> l(m_);
        // The last stretch handed over may have grown since: a curve of the same curvature
        // lengthens it. It goes again with the new ones.
        for (std::size_t i = inviati_ > 0 ? inviati_ - 1 : 0; i < tratti.size(); ++i) in_arrivo_.emplace_back(i, tratti[i]);
        inviati_ = tratti.size();
        disponibili_ = std::max(disponibili_, fino_a);
        if (!penna_in_mano_) applica();
        ++versione_;
    }
    cv_.notify_all();
}

bool nastro::completa(const std::vector<tratto>& tratti) {
    pubblica(tratti, INT64_MAX);
    piano_tracciato finale;
    {
        std::lock_guard<std::mutex> l(m_);
        finale.punti = p_.punti;
        finale.origine = p_.origine;
        completo_ = true;
        ++versione_;
    }
    cv_.notify_all();
    finale.tratti = tratti;
    return penna_tracciato::byte_per_asse(finale) == meta_annunciata_;
}

bool nastro::completo() {
    std::lock_guard<std::mutex> l(m_);
    return completo_;
}

void nastro::applica() {
    for (const auto& [i, t] : in_arrivo_) {
        if (i < p_.tratti.size())
            p_.tratti[i] = t;
        else
            p_.tratti.push_back(t);
    }
    in_arrivo_.clear();
}

bool nastro::disegnabile(std::size_t k) const {
    return completo_ || static_cast<std::int64_t>(std::min((k + 1) * metri_per_pezzo, p_.punti)) <= disponibili_;
}

void nastro::disegna(std::size_t k, pezzo& z) {
    std::array<char*, 2> inizio{z.byte, z.byte + capacita_};
    // The bytes the last piece carried on are still at the end of its buffer: its thread writes
    // nothing more into it before it takes the pen again, after this piece is drawn.
    for (int h = 0; h < 2; ++h)
        if (riportati_[h] > 0) std::memmove(inizio[h], riporto_[h], riportati_[h]);
    const auto fine = penna_.metti(std::min((k + 1) * metri_per_pezzo, p_.punti), inizio[0] + riportati_[0],
                                   inizio[1] + riportati_[1]);
    const std::array<char*, 2> fini{fine.x, fine.y};
    const bool ultimo_pezzo = k + 1 == pezzi_;
    for (int h = 0; h < 2; ++h) {
        const std::uint64_t da = prossimo_[h];
        const std::uint64_t a = da + static_cast<std::uint64_t>(fini[h] - inizio[h]);
        // Up to the last block boundary; the rest waits for the next piece, unless this is the last.
        const std::uint64_t fino = ultimo_pezzo ? a : std::max(da, a / blocco_file * blocco_file);
        z.meta_[h] = {da, static_cast<std::size_t>(fino - da)};
        // Less than a block is carried on: a piece that reaches no boundary past `da` is itself
        // shorter than a block.
        riporto_[h] = inizio[h] + (fino - da);
        riportati_[h] = static_cast<std::size_t>(a - fino);
        prossimo_[h] = fino;
    }
}

template <typename Pronto>
void nastro::attendi(std::unique_lock<std::mutex>& l, Pronto pronto) {
    attendi_sveglio(l, cv_, versione_, pronto);
}

void nastro::partecipa(file_uscita& f) {
    std::size_t chi = 0;
    {
        std::lock_guard<std::mutex> l(m_);
        chi = partecipanti_++;
    }
    if (chi >= buffer_.size()) throw std::logic_error("more threads than buffers take part in a track plan");
    pezzo& mio = buffer_[chi];
    // A thread that joins work already under way has its buffer mapped before it takes the pen,
    // so that the other does not wait on its page faults. (The first draws at once: mapping first
    // would only delay the first write.)
    if (chi > 0) mappa(mio);
    for (;;) {
        std::size_t k = 0;
        {
            std::unique_lock<std::mutex> l(m_);
            attendi(l, [&] { return basta_ || disegnati_ == pezzi_ || (!penna_in_mano_ && disegnabile(disegnati_)); });
            if (basta_ || disegnati_ == pezzi_) break;
            applica();
            penna_in_mano_ = true;
            k = disegnati_;
        }
        try {
            disegna(k, mio);
        } catch (...) {
            guasto(std::current_exception());
            break;
        }
        {
            std::lock_guard<std::mutex> l(m_);
            penna_in_mano_ = false;
            ++disegnati_;
            applica();
            ++versione_;
        }
        cv_.notify_all();
        const std::unique_lock<std::mutex> w = turno_di_scrittura();
        // A write that failed has closed the file: nothing more is written after it.
        if (fermato()) break;
        try {
            for (int h = 0; h < 2; ++h) {
                f.posiziona(mio.meta_[h].da);
                f.scrivi(mio.byte + static_cast<std::size_t>(h) * capacita_, mio.meta_[h].scritti);
            }
        } catch (...) {
            guasto(std::current_exception());
            break;
        }
    }
    std::lock_guard<std::mutex> l(m_);
    if (primo_guasto_) std::rethrow_exception(primo_guasto_);
}

std::unique_lock<std::mutex> nastro::turno_di_scrittura() {
    // Awake for `attesa_sveglia` while the other thread writes, then asleep.
    std::unique_lock<std::mutex> w(scrittura_, std::defer_lock);
    const auto fino_a = std::chrono::steady_clock::now() + attesa_sveglia;
    while (!w.try_lock()) {
        if (std::chrono::steady_clock::now() >= fino_a) {
            w.lock();
            break;
        }
        gira_un_attimo();
    }
    return w;
}

bool nastro::fermato() {
    std::lock_guard<std::mutex> l(m_);
    return basta_;
}

void nastro::guasto(std::exception_ptr e) {
    {
        std::lock_guard<std::mutex> l(m_);
        if (!primo_guasto_) primo_guasto_ = std::move(e);
        basta_ = true;
        ++versione_;
    }
    cv_.notify_all();
}

void nastro::ferma() {
    {
        std::lock_guard<std::mutex> l(m_);
        basta_ = true;
        ++versione_;
    }
    cv_.notify_all();
}

void stendi_tracciato(file_uscita& f, const piano_tracciato& p) {
    nastro n(p, true);
    f.prenota(n.lunghezza());
    n.partecipa(f);
}

stesura_tracciato::stesura_tracciato(const piano_tracciato& p, bool completo, std::filesystem::path file,
                                     lavoratore* aiuto)
    : file_(std::move(file)), nastro_(p, completo) {
    try {
        uscita_.emplace(file_);
    } catch (...) {
        // Reported by `conferma`, where the writer on the calling thread would have reported it.
        guasto_ = std::current_exception();
        return;
    }
    // Without a second processor or a thread to be had, `conferma` draws and writes it all on the
    // calling thread.
    if (!piu_processori() || (!aiuto && !avvia_se_serve(proprio_))) return;
    if (!aiuto) aiuto = &*proprio_;
    if (aiuto->affida([this] { stendi(); })) aiuto_ = aiuto;
}

stesura_tracciato::~stesura_tracciato() {
    nastro_.ferma();
    if (aiuto_) aiuto_->aspetta();
}

void stesura_tracciato::stendi() noexcept {
    try {
        uscita_->prenota(nastro_.lunghezza());
        nastro_.partecipa(*uscita_);
    } catch (...) {
        guasto_ = std::current_exception();
    }
}

void stesura_tracciato::conferma() {
    if (guasto_ && !aiuto_) std::rethrow_exception(std::exchange(guasto_, nullptr));
    if (!uscita_) throw errore_file(cammino_in_testo(file_), "the track plan was already put in place");
    if (aiuto_) {
        // This thread takes part too: while one thread writes the piece it drew, the other draws the next.
        try {
            nastro_.partecipa(*uscita_);
        } catch (...) {
            std::exchange(aiuto_, nullptr)->aspetta();
            uscita_.reset();
            throw;
        }
        std::exchange(aiuto_, nullptr)->aspetta();
    } else {
        stendi();
    }
    if (guasto_) {
        uscita_.reset();
        std::rethrow_exception(std::exchange(guasto_, nullptr));
    }
    uscita_->conferma();
    uscita_.reset();
}

}  // namespace valmarena
