// Texts written from the command table: the help of a command and of the whole tool, the manual
// page, the shells' completion scripts and the command reference docs/cli.md.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tabella_comandi.h"

namespace valmarena::strumento {

// What `scenario COMMAND --help` prints.
std::string aiuto_comando(const comando& c);
// What `scenario --help` prints: the usage and the list of commands.
std::string aiuto_generale();
// scenario(1) in roff.
std::string pagina_man();
// The completion script for `shell` (bash, zsh or fish); nothing for another shell.
std::optional<std::string> completamento(std::string_view shell);
// docs/cli.md: every command with its options, the exit statuses and the error codes.
std::string riferimento_cli();

}  // namespace valmarena::strumento
