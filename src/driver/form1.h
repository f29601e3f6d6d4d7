// The run driver: the one window's load handler, which is the whole run of the package.
#pragma once

#include <filesystem>

#include "../records/scenario.h"

namespace valmarena {

// Exit statuses of a run, shared by the package and the authoring tool.
enum stato_uscita : int {
    uscita_ok = 0,
    uscita_errore_registrato = 1,
    uscita_errore_fatale = 2,
    uscita_errore_file = 3,
};

// The window object: it holds the scenario records for the life of the process.
struct Form1 {
    scenario s;
};

// Names the scenario, shows the window, writes the text files, compiles them into the folder,
// tells the user of any error and returns the exit status. Only the host layer ends the process.
int esegui_scenario(Form1& form, const std::filesystem::path& cartella);

// The load handler: runs the scenario in the program's folder, then ends the process.
[[noreturn]] void Form_Load(const char* argv0);

}  // namespace valmarena
