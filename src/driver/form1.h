// The run driver: the one window's load handler, which is the whole run of the package.
#pragma once

#include <filesystem>

#include "../compiler/compilatore.h"

namespace valmarena {

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
