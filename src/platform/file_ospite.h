// The host's file operations that the standard library leaves open: opening and reading by a
// path with any letters in it, creating a file that no one else holds, replacing a file by
// renaming over it, and a readable cause on failure.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace valmarena {

// Opens a file with a C mode ("rb", "wb"); null on failure, with the cause in `causa`.
std::FILE* apri_file(const std::filesystem::path& p, const char* modo, std::string& causa);

// Creates a new regular file and opens it for binary writing, only when nothing of that name
// exists: a link, a pipe, a folder or a file already there is never opened nor followed. Null on
// failure, with the cause in `causa` and `occupato` set when the name was taken.
std::FILE* crea_file_nuovo(const std::filesystem::path& p, std::string& causa, bool& occupato);

// Reads the whole file into `testo`, sized once from its length; false with the cause on failure.
bool leggi_file(const std::filesystem::path& p, std::string& testo, std::string& causa);

// Renames `da` over `a`, replacing `a` when it exists; false with the cause on failure.
bool sostituisci_file(const std::filesystem::path& da, const std::filesystem::path& a, std::string& causa);

// Text of the last C library error (errno).
std::string causa_errno();

// A write beyond the host's file-size limit fails with "File too large" instead of ending the
// process, so that the temporary file is removed and the cause reported. Nothing where no such limit exists.
void ignora_limite_file();

// A file name in Windows-1252 bytes as a path of this host.
std::filesystem::path nome_in_percorso(const std::string& nome_1252);

// A path as UTF-8 text, for messages.
std::string percorso_in_testo(const std::filesystem::path& p);

}  // namespace valmarena
