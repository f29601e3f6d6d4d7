// Helpers for the tests: a scratch folder removed afterwards, reading and writing whole files,
// and compiling source texts held in the test.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "compiler/compilatore.h"
#include "records/scenario.h"

namespace valmarena::prova {

// A fresh empty folder under the system's temporary folder, removed with everything in it.
class cartella_temporanea {
public:
    cartella_temporanea();
    ~cartella_temporanea();
    cartella_temporanea(const cartella_temporanea&) = delete;
    cartella_temporanea& operator=(const cartella_temporanea&) = delete;
    const std::filesystem::path& cammino() const { return p_; }
    std::filesystem::path operator/(const std::string& nome) const { return p_ / nome; }

private:
    std::filesystem::path p_;
};

std::string leggi(const std::filesystem::path& p);
void scrivi(const std::filesystem::path& p, const std::string& contenuto);

// Lines joined with CR LF, each line ended by CR LF.
std::string righe(std::initializer_list<std::string> r);

// A scenario named like the package's, with the route cells of a route of `lunghezza` metres.
scenario scenario_con_celle(std::int32_t lunghezza);

// Reads a line text and a train text (as files in a scratch folder) into a fresh scenario.
scenario leggi_sorgenti(const std::string& linea, const std::string& treno,
                         tracciato_si_no j = tracciato_si_no::con);

// A minimal line file around the given rows: general section for a route of `lunghezza` m.
std::string linea_minima(const std::string& righe_elementi, std::int32_t lunghezza = 20000);
// A minimal train file around the given rows.
std::string treno_minimo(const std::string& righe_elementi);

}  // namespace valmarena::prova
