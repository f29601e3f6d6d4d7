// The timetable check timed beside the compile in memory it follows in `check`: the two steps of
// `check` that do the work, without starting a process or printing the report.

#include "quota_orario.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "compiler/compilatore.h"
#include "compiler/orario.h"

namespace valmarena::banco {

namespace {

double mediana(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace

double quota_orario(const std::filesystem::path& linea, const std::filesystem::path& treno, int giri) {
    using orologio = std::chrono::steady_clock;
    std::vector<double> compilazione, orario;
    for (int g = 0; g <= giri; ++g) {
        scenario s;
        s.nome_percorso = "Lunga";
        s.nome_treno = "T 1";
        s.continua_dopo_errori = true;
        const auto t0 = orologio::now();
        compila_in_memoria(s, tracciato_si_no::con, sorgenti{linea, treno, false});
        const auto t1 = orologio::now();
        diagnostica_orario(s, parametri_marcia{});
        const auto t2 = orologio::now();
        if (g == 0) continue;
        compilazione.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        orario.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    const double c = mediana(compilazione), o = mediana(orario);
    std::printf("\nIn this process, %d rounds: check's compile in memory %.3f ms, then the timetable check %.3f ms "
                "(medians).\n",
                giri, c, o);
    return c > 0 ? o / c * 100.0 : 0.0;
}

}  // namespace valmarena::banco
