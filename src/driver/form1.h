// The run driver: the one window's load handler, which is the whole run of the package.
#pragma once

#include <filesystem>

#include "../compiler/compilatore.h"
#include "../sources/emettitori.h"

namespace valmarena {

// The window object: it holds the scenario records for the life of the process.
struct Form1 {
    scenario s;
};

// Names the scenario, shows the window, writes the text files, compiles them into the folder,
// tells the user of any error and returns the exit status. Only the host layer ends the process.
int esegui_scenario(Form1& form, const std::filesystem::path& cartella);
// The same run over another scenario's texts and names.
int esegui_scenario(Form1& form, const std::filesystem::path& cartella, const testi_scenario& testi);

// The load handler: runs the scenario in the program's folder, then ends the process. A damaged
// payload appended to the program is reported and ends the run with status 3, writing nothing.
[[noreturn]] void Form_Load(const char* argv0);

}  // namespace valmarena
