// The timetable against the line: for each pair of consecutive stations with a time, the least
// time the stretch takes at the speed limit of every cell (slowdowns included), and the time of a
// simple running model that accelerates, brakes and stops at the stations with a stop. Worked
// out from the compiled cells, the placed slowdowns and the stations' table entries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "../records/scenario.h"

namespace valmarena {

// The running model's train: m/s² when it speeds up and when it brakes.
struct parametri_marcia {
    double accelerazione = 0.5;
    double frenatura = 0.7;
};

// The run of cells of one limit that takes the longest at it, within a stretch.
struct tratto_lento {
    std::int64_t da_metri = 0, a_metri = 0;
    std::int32_t kmh = 0;
    double secondi = 0;
    const rallentamento_posto* rallentamento = nullptr;  // when a slowdown sets the limit there
};

// One station of the table as the timetable sees it. The times are counted from the last
// station with a time before it (none for the stations before the first one with a time).
struct stazione_orario {
    int voce = 0;
    riga_stazione riga;
    std::int32_t progressiva = 0;
    std::int64_t cella = 0;               // the cell its position starts
    bool ferma = false;                   // its kind has a stopping point
    std::optional<std::int32_t> orario;   // seconds after midnight; none when the row gives 0
    std::optional<std::size_t> da;        // index of the station with a time its times count from
    std::optional<double> minimo;         // least time at the limits, s
    std::optional<double> modello;        // the running model's time, s (none across a cell without a limit)
    tratto_lento piu_lento;               // the costliest run from `da` to here
};

// Every station stored, in table order, with its times.
std::vector<stazione_orario> orario_del_percorso(const scenario& s, const parametri_marcia& p);

// The running model's speed at the start of each cell, m/s, over the same stretches as the times:
// none before the first station with a time, beyond the last station, and over a stretch with a
// cell without a limit.
std::vector<std::optional<double>> velocita_del_modello(const scenario& s, const parametri_marcia& p);

// The warnings (a time shorter than the least time, a time going backwards) and the notes (a
// time shorter than the model's) of the timetable, added to the records' lists.
void diagnostica_orario(scenario& s, const parametri_marcia& p);

// "10:09:30" for seconds after midnight.
std::string ora_in_testo(std::int32_t secondi);

}  // namespace valmarena
