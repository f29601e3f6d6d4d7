// The machine's processors as the compile's threads see them: how many this process may run
// on, and a new thread set to run beside its parent rather than behind it.
#pragma once

#include <thread>

namespace valmarena {

// The processors this process may run on (at least 1).
unsigned processori_disponibili();

// Sets the thread just started to run on another processor than the caller's. Left alone, a
// Linux host queues a new thread behind its busy parent until the next balancing tick, some
// milliseconds later, which is longer than the whole work the thread was started for. Elsewhere,
// or with one processor, nothing is done.
void accanto(std::thread& t);

}  // namespace valmarena
