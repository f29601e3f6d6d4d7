// Windows-1252, the code page of every text file and name this system writes: conversion to and
// from UTF-8, names as the host's paths, and letter case folding for the keyword tests.
#pragma once

#include <filesystem>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace valmarena {

std::string da_1252_a_utf8(std::string_view testo);

// UTF-8 to Windows-1252; characters with no place in the code page become '?'.
std::string da_utf8_a_1252(std::string_view testo);

// UTF-8 to Windows-1252 when the text is valid UTF-8 and every character has its place in the
// code page; otherwise nothing, with what is wrong (the byte or the character, in English) in `difetto`.
std::optional<std::string> da_utf8_a_1252_esatto(std::string_view testo, std::string& difetto);
// The same, with the byte offset of the faulty byte or character in `dove`.
std::optional<std::string> da_utf8_a_1252_esatto(std::string_view testo, std::string& difetto, std::size_t& dove);

// Lower case of one Windows-1252 byte (ASCII letters and the Latin-1 capitals).
char minuscola(char c);
std::string in_minuscolo(std::string_view testo);

// A file name in Windows-1252 bytes as a path (`cammino`) of this host.
std::filesystem::path nome_in_cammino(const std::string& nome_1252);

}  // namespace valmarena
