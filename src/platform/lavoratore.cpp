// The job-taking thread: a job slot under a lock, both sides waiting awake before they sleep.

#include "lavoratore.h"

#include <system_error>
#include <utility>

#include "processori.h"

namespace valmarena {

lavoratore::lavoratore() : t_([this] { corri(); }) { accanto(t_); }

lavoratore::~lavoratore() {
    {
        std::lock_guard<std::mutex> l(m_);
        fine_ = true;
        ++versione_;
    }
    cv_.notify_all();
    t_.join();
}

bool lavoratore::affida(std::function<void()> lavoro) {
    {
        std::lock_guard<std::mutex> l(m_);
        if (in_mano_ || fine_) return false;
        lavoro_ = std::move(lavoro);
        in_mano_ = true;
        ++versione_;
    }
    cv_.notify_all();
    return true;
}

void lavoratore::aspetta() {
    std::unique_lock<std::mutex> l(m_);
    attendi_sveglio(l, cv_, versione_, [this] { return !in_mano_; });
}

void lavoratore::corri() {
    std::unique_lock<std::mutex> l(m_);
    for (;;) {
        attendi_sveglio(l, cv_, versione_, [this] { return in_mano_ || fine_; });
        // A job handed over before the end is still done: whoever handed it waits for it.
        if (!in_mano_) return;
        std::function<void()> lavoro = std::move(lavoro_);
        l.unlock();
        lavoro();
        l.lock();
        in_mano_ = false;
        ++versione_;
        cv_.notify_all();
    }
}

bool avvia_se_serve(std::optional<lavoratore>& l) {
    if (!piu_processori()) return false;
    try {
        l.emplace();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace valmarena
