#!/bin/sh
# Runs prova_lsp.lua in a headless Neovim on a scenario with a mistake; exit 77 (skipped) when
# Neovim is missing. Usage: prova_lsp.sh SCENARIO_TOOL
set -e
strumento=$1
if ! command -v nvim >/dev/null 2>&1; then echo "nvim not found: skipped"; exit 77; fi
cartella=$(mktemp -d)
trap 'rm -rf "$cartella"' EXIT
"$strumento" new Prova T1 --out "$cartella" >/dev/null
sed 's/^segnale,    1050,/segnale,    1075,/' "$cartella/Prova_T1-.txt" > "$cartella/t" && mv "$cartella/t" "$cartella/Prova_T1-.txt"
HOME=$cartella XDG_CONFIG_HOME=$cartella XDG_DATA_HOME=$cartella XDG_STATE_HOME=$cartella \
SCENARIO=$strumento CARTELLA=$cartella \
  timeout 60 nvim --headless --clean -n -c "luafile $(dirname "$0")/prova_lsp.lua"
