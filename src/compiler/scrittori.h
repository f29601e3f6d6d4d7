// The three compiled files in the layouts the simulator reads: the track plan, the scenario
// table and the route cells, little-endian, with no header, count or padding.
#pragma once

#include <filesystem>
#include <string>

#include "../records/scenario.h"

namespace valmarena {

// The bytes of one table entry, of the whole table, of all the cells.
std::string byte_voce(const voce& v);
std::string byte_tabella(const scenario& s);
std::string byte_celle(const scenario& s);
// The bytes of the track plan (x values of every metre, then y values, each tagged).
std::string byte_tracciato(const struct tracciato& t);

// Each replaces its file whole; a failure throws `errore_file` and leaves the old file as it was.
void scrivi_tracciato(const std::filesystem::path& file, const struct tracciato& t);
// The same bytes as the plan's points drawn whole, drawn a piece at a time as they are written.
void scrivi_tracciato(const std::filesystem::path& file, const piano_tracciato& p);
void scrivi_tabella(const std::filesystem::path& file, const scenario& s);
void scrivi_celle(const std::filesystem::path& file, const scenario& s);

constexpr std::size_t byte_per_cella = 15;

}  // namespace valmarena
