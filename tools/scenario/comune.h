// Pieces shared by the tool's commands: reading a whole input file with a clear complaint, a
// recorded error in JSON, and fixed number formatting that does not depend on the host's locale.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "argomenti.h"
#include "json.h"
#include "compiler/compilatore.h"
#include "compiler/orario.h"
#include "estratto.h"
#include "records/scenario.h"

namespace valmarena::strumento {

// True when `p` is a regular file that can be opened; otherwise says why on standard error.
bool leggibile(const std::filesystem::path& p);

// The whole content of a file, or nothing with the cause in `causa`.
std::optional<std::string> carica_file(const std::filesystem::path& p, std::string& causa);

// A name given in UTF-8 as the Windows-1252 bytes of the file names; a name that cannot be part
// of a file name throws `argomenti_errati`, naming `cosa`.
std::string nome_in_1252(const std::string& utf8, const std::string& cosa);

// The Windows-1252 name given by `opzione` (--route, --train-name), or `predefinito`. Bad
// arguments when the value is not valid UTF-8, holds a character Windows-1252 cannot encode or
// cannot be part of a file name; the message names the option and the character.
std::string nome_scenario(const argomenti& a, const std::string& opzione, const std::string& predefinito);

// With --encoding utf-8, the text of both source files converted from UTF-8 to Windows-1252
// into `src`; false, with the place on standard error, for a character the code page cannot
// hold or bytes that are not UTF-8. Without the option, true and nothing done.
bool converti_sorgenti(const argomenti& a, sorgenti& src);

// The sources that --line and --train name, readable and converted as --encoding says; nothing,
// with the cause on standard error, when either cannot be read or converted.
std::optional<sorgenti> sorgenti_date(const argomenti& a);

// The two source files of `src` (with their texts, when converted) under the names the
// diagnostics give them.
testi_letti testi_di(const sorgenti& src);

// Fresh records named by --route and --train-name, the package's names when they are not given.
scenario scenario_con_nomi(const argomenti& a);

// Records named for a compile: by --route and --train-name, else by the source files' names
// (ROUTE_linea.txt, ROUTE_TRAIN-.txt). Nothing, with the reason on standard error when `avvisa`,
// when neither gives a name; a name that cannot be a file name throws `argomenti_errati`.
std::optional<scenario> scenario_da_sorgenti(const argomenti& a, const std::filesystem::path& linea,
                                             const std::filesystem::path& treno, bool avvisa = true);

// The running model's train from --acceleration and --braking (m/s², each above 0 and at most
// 10), else the defaults; a bad value throws `argomenti_errati`.
parametri_marcia parametri_di_marcia(const argomenti& a);

// A recorded error as a JSON object: code, position, file, line, column and the message.
void errore_in_json(json_scrittore& j, const diagnostica& d);

// True when `t` ends with `coda`.
bool finisce_con(const std::string& t, const std::string& coda);

// A real with `decimali` digits after the point, always '.', never "-0".
std::string reale(double v, int decimali);

}  // namespace valmarena::strumento
