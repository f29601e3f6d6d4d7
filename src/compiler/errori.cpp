// Error codes and their messages.

#include "errori.h"

namespace valmarena {

std::string_view significato_errore(int codice) {
    switch (codice) {
    case 1: return "route length above 1000000 m";
    case 2: return "a kilometric reference of the line has a position or value that is not a multiple of 50";
    case 3: return "signal repetition starts at a position that is not a multiple of 50";
    case 4: return "signal repetition ends at a position that is not a multiple of 50";
    case 5: return "signal repetition keyword holds neither 4 nor 9";
    case 6: return "signboard on a cell that is already taken";
    case 7: return "abatement point on a cell that is already taken";
    case 8: return "station position is not a multiple of 50";
    case 9: return "station zone length is not a multiple of 100";
    case 10: return "no room left in the scenario table for another station";
    case 11: return "no room for an abatement point before a signal ahead of a slowdown warning point";
    case 12: return "no free cell for an abatement point on the approach to a slowdown";
    case 13: return "no free cell for an abatement point along or after a slowdown";
    case 15: return "position outside the route";
    case 16: return "signal on a cell that is already taken";
    case 17: return "slowdown warning point (1200 m before the start) on a cell that is already taken";
    case 18: return "slowdown start on a cell that is already taken";
    case 19: return "slowdown end on a cell that is already taken";
    case 20: return "one of the four numbered cells before a slowdown warning point is already taken";
    case 21: return "speed-indicator board on a cell that is already taken";
    case 22: return "station zone starts less than 350 m after the previous station's zone ends";
    case 24: return "station stopping point would fall in cell 1 or below";
    case 25: return "run-time failure while reading the source files";
    case 101: return "line description file not found";
    case 102: return "no [generale] section before the end of the line description file";
    case 103: return "curve without a class digit 1 to 6, or track plan beyond 1000000 m";
    case 104: return "negative route length";
    case 106: return "curve ends beyond the track plan";
    case 107: return "mountain stretch ends outside the route";
    case 108: return "more than 80 mountain stretches";
    case 109: return "more than 80 signboards";
    case 110: return "slowdown ends beyond the route cells";
    case 111: return "station stopping point beyond the route cells";
    default: return {};
    }
}

namespace {
std::string luogo(const diagnostica& d) {
    std::string m;
    if (!d.file.empty()) {
        m += d.file;
        if (d.riga > 0) m += ":" + std::to_string(d.riga);
        if (d.colonna > 0) m += ":" + std::to_string(d.colonna);
        m += ": ";
    }
    return m;
}
}  // namespace

std::string messaggio_avvertimento(const diagnostica& d) { return luogo(d) + "warning: " + d.dettaglio; }


std::string messaggio_diagnostica(const diagnostica& d) {
    std::string m = luogo(d);
    m += "error " + std::to_string(d.codice);
    if (d.ha_posizione) m += " at " + std::to_string(d.posizione) + " m";
    std::string_view cosa = d.significato.empty() ? significato_errore(d.codice) : std::string_view(d.significato);
    m += ": ";
    m += cosa.empty() ? std::string_view("unknown error") : cosa;
    if (!d.dettaglio.empty()) m += " (" + d.dettaglio + ")";
    return m;
}

}  // namespace valmarena
