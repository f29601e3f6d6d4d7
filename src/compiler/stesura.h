// The track plan's file written beside the rest of the compile: drawn on one thread while another
// writes, and started as soon as the line file is read, so that it goes on while the train file is read.
#pragma once

#include <exception>
#include <filesystem>
#include <optional>
#include <thread>

#include "../platform/file_ospite.h"
#include "../records/scenario.h"

namespace valmarena {

// Whether the machine has a second processor to draw or write on. With one, everything is done
// in order on the calling thread: the bytes are the same either way.
bool piu_processori();

// Draws the plan into `f`, all x values then all y values, the same bytes as the plan drawn whole.
// With a second processor a second thread draws the next piece while this one writes the last.
void stendi_tracciato(file_uscita& f, const piano_tracciato& p);

// The plan's file written on a thread of its own, from a plan the reader has finished. `conferma`
// puts it in place; without it the temporary file is removed. With one processor nothing happens
// before `conferma`, which then draws and writes it all.
class stesura_tracciato {
public:
    stesura_tracciato(piano_tracciato p, std::filesystem::path file);
    ~stesura_tracciato();
    stesura_tracciato(const stesura_tracciato&) = delete;
    stesura_tracciato& operator=(const stesura_tracciato&) = delete;

    // Waits for the writing and renames the file into place; throws `errore_file` for a file that
    // could not be created or written, as the writer on the calling thread would have.
    void conferma();

private:
    void stendi() noexcept;

    piano_tracciato piano_;
    std::filesystem::path file_;
    std::optional<file_uscita> uscita_;
    std::exception_ptr guasto_;
    bool steso_ = false;  // drawn and written, or failed: set by the thread that does it
    std::thread lavoro_;
};

}  // namespace valmarena
