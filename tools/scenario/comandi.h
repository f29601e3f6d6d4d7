// The authoring tool's commands (their names, options and help are in tabella_comandi.cpp). Each takes the arguments after its name and returns the exit
// status: 0 no error, 1 a recorded error, 2 a fatal error, 3 bad arguments or an unusable file.
// Bad arguments throw `argomenti_errati`; `esegui` turns that into a message and status 3.
#pragma once

#include <string>
#include <vector>

namespace valmarena::strumento {

int comando_new(const std::vector<std::string>& args);
int comando_sources(const std::vector<std::string>& args);
int comando_compile(const std::vector<std::string>& args);
int comando_check(const std::vector<std::string>& args);
int comando_dump(const std::vector<std::string>& args);
int comando_plot(const std::vector<std::string>& args);
int comando_view(const std::vector<std::string>& args);
int comando_package(const std::vector<std::string>& args);
int comando_documents(const std::vector<std::string>& args);
int comando_explain(const std::vector<std::string>& args);
int comando_rows(const std::vector<std::string>& args);
int comando_help(const std::vector<std::string>& args);
// The build's own: the manual page, a completion script or docs/cli.md on standard output.
int comando_riferimento(const std::vector<std::string>& args);
int comando_timetable(const std::vector<std::string>& args);
int comando_lsp(const std::vector<std::string>& args);

// The format reference of the line and train files, as `explain` prints it (Markdown).
std::string riferimento_formati();
// The small scenario of that reference: its line file (linea = true) or its train file, CR LF ended.
std::string sorgente_di_esempio(bool linea);

// The whole tool: the command name first, then its arguments. Writes to std::cout and std::cerr.
int esegui(const std::vector<std::string>& args);

}  // namespace valmarena::strumento
