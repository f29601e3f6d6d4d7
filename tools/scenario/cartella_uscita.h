// The output folder of a command that writes: held for the whole command, so that two commands
// (or a command and a package) never write into one folder at once, and cleared of the temporary
// files a killed run left beside this command's files.
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/cartella_esclusiva.h"

namespace valmarena::strumento {

// Takes `cartella` (which must exist), then removes the leftovers of `file`, the files this
// command writes there. Nothing, after saying why on standard error, when another run keeps the
// folder or it cannot be locked: the command then ends with status 3.
std::optional<cartella_esclusiva> prendi_uscita(const std::filesystem::path& cartella,
                                                const std::vector<std::filesystem::path>& file);

}  // namespace valmarena::strumento
