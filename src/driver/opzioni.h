// The package's answers to --version and --help, given before the run and without writing a
// file. Any other argument is left alone: the run itself takes no input.
#pragma once

namespace valmarena {

// Prints the version or the help on standard output and returns true when the first argument
// asks for one of them; otherwise does nothing and returns false.
bool risponde_a_opzioni(int argc, char** argv);

}  // namespace valmarena
