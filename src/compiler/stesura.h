// The track plan's file written a piece at a time: the pen draws a piece into the one buffer,
// the piece is written, then the next is drawn. The points of a long route never sit in memory
// as a whole.
#pragma once

#include "../platform/file_ospite.h"
#include "../records/scenario.h"

namespace valmarena {

// Draws the plan and writes it into `f`, all x values then all y values, the bytes of the plan
// drawn whole. The caller puts the file in place (`conferma`). Failures throw `errore_file`.
void stendi_tracciato(file_uscita& f, const piano_tracciato& p);

}  // namespace valmarena
