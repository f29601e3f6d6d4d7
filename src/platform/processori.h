// The machine's processors as the compile's threads see them: how many this process may run
// on, a new thread set to run beside its parent rather than behind it, and a short spin.
#pragma once

#include <thread>

namespace valmarena {

// The processors this process may run on (at least 1).
unsigned processori_disponibili();

// Whether there is a second processor to run a second thread on. With one, everything is done in
// order on the calling thread: the files are the same either way.
bool piu_processori();

// Sets the thread just started to run on another processor than the caller's. Left alone, a
// Linux host queues a new thread behind its busy parent until the next balancing tick, some
// milliseconds later, which is longer than the whole work the thread was started for. Elsewhere,
// or with one processor, nothing is done.
void accanto(std::thread& t);

// One turn of a thread that waits a moment for another without leaving its processor: a hint
// that lets a processor sharing its core with the one the other thread runs on give that one
// the core. Giving the processor up instead (a yield) enters the host on every turn.
void gira_un_attimo();

}  // namespace valmarena
