// The timetable check's share of `check` on the longest route, timed in this process.
#pragma once

#include <filesystem>

namespace valmarena::banco {

// Compiles the two sources in memory as `check` does, then runs the timetable check, `giri`
// times after one warm-up, and prints the median of each; returns the timetable check's median
// as a percentage of the compile's.
double quota_orario(const std::filesystem::path& linea, const std::filesystem::path& treno, int giri);

}  // namespace valmarena::banco
