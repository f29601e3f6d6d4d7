// A thread started ahead of the work it will be handed, and the wait of one thread for another
// that stays awake a while before it sleeps.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "processori.h"

namespace valmarena {

// How long a thread waits for another without sleeping. A sleeping thread is woken by the host
// beside the thread that wakes it, the two then sharing one processor, and an idle processor takes
// a while to wake: the waits here are short, so they are spent awake.
constexpr auto attesa_sveglia = std::chrono::milliseconds(50);

// Waits under `l` until `pronto()`: awake for `attesa_sveglia`, between looks watching `versione`
// (which whoever changes what `pronto` looks at increments) without the lock, so as not to hold up
// the thread that changes things; then asleep on `cv`.
template <typename Pronto>
void attendi_sveglio(std::unique_lock<std::mutex>& l, std::condition_variable& cv,
                     const std::atomic<std::uint64_t>& versione, Pronto pronto) {
    const auto fino_a = std::chrono::steady_clock::now() + attesa_sveglia;
    while (!pronto()) {
        if (std::chrono::steady_clock::now() < fino_a) {
            const std::uint64_t visto = versione.load();
            l.unlock();
            while (versione.load() == visto && std::chrono::steady_clock::now() < fino_a) gira_un_attimo();
            l.lock();
        } else {
            cv.wait(l);
        }
    }
}

// A thread that runs the jobs handed to it, one at a time. It is set to run on another processor
// than the one that starts it and waits awake between jobs (for `attesa_sveglia`), so a job handed
// to it soon after starts at once; a thread started for the job would first wait for its processor.
class lavoratore {
public:
    // Starts the thread; throws `std::system_error` when the host gives none.
    lavoratore();
    // Waits for the job in hand, then ends the thread.
    ~lavoratore();
    lavoratore(const lavoratore&) = delete;
    lavoratore& operator=(const lavoratore&) = delete;

    // Hands a job over; false, and nothing done, while another is in hand. The job must not throw.
    bool affida(std::function<void()> lavoro);
    // Waits until the job in hand, if any, is done.
    void aspetta();

private:
    void corri();

    std::mutex m_;
    std::condition_variable cv_;
    std::function<void()> lavoro_;
    bool in_mano_ = false, fine_ = false;
    std::atomic<std::uint64_t> versione_{0};  // counts the changes a waiting thread looks for
    std::thread t_;
};

// Starts a worker in `l` when there is a second processor and the host gives a thread: true then.
// False, with `l` left empty, when the work is to be done on the calling thread.
bool avvia_se_serve(std::optional<lavoratore>& l);

}  // namespace valmarena
