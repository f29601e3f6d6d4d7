// The package program: it takes no input; the window's load handler does the whole run.

#include "form1.h"

int main(int, char** argv) { valmarena::Form_Load(argv[0]); }
