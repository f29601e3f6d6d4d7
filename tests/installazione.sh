#!/usr/bin/env bash
# `cmake --install` of a build into a scratch prefix: the programs, the manual page, the three
# completions and the documents land where a system looks for them, and are found there.
# Usage: tests/installazione.sh BUILD_DIR
set -euo pipefail
costruzione=$1
prefisso=$(mktemp -d)
trap 'rm -rf "$prefisso"' EXIT
cmake --install "$costruzione" --prefix "$prefisso" > /dev/null

manca() { echo "installazione: $*" >&2; exit 1; }
for f in bin/valmarena bin/scenario share/man/man1/scenario.1 share/bash-completion/completions/scenario \
         share/zsh/site-functions/_scenario share/fish/vendor_completions.d/scenario.fish \
         share/doc/valmarena/README.md share/doc/valmarena/docs/authoring.md share/doc/valmarena/docs/cli.md \
         share/doc/valmarena/docs/formats.md share/doc/valmarena/docs/windows.md \
         share/doc/valmarena/docs/architecture.md share/doc/valmarena/docs/plot.png; do
  [ -f "$prefisso/$f" ] || manca "$f is not installed"
done
"$prefisso/bin/scenario" --version | grep -q '^scenario [0-9]' || manca "the installed scenario does not answer"

# The manual page is found by man in the prefix's manual folder, and reads as a page.
if command -v man > /dev/null; then
  [ "$(man -M "$prefisso/share/man" -w scenario)" = "$prefisso/share/man/man1/scenario.1" ] ||
    manca "man -w does not find scenario(1) in $prefisso/share/man"
  MANWIDTH=80 man -M "$prefisso/share/man" scenario 2> /dev/null | grep -q 'scenario check' ||
    manca "man does not render scenario(1)"
fi
# The bash completion loads and completes a command.
risposta=$(bash -c 'source "$1"; COMP_WORDS=(scenario pac); COMP_CWORD=1; _scenario; echo "${COMPREPLY[*]}"' _ \
  "$prefisso/share/bash-completion/completions/scenario")
[ "$risposta" = package ] || manca "the installed bash completion gives '$risposta' for 'scenario pac'"
# The installed tool finds the package program installed beside it.
cd "$prefisso"
"$prefisso/bin/scenario" new Colle "R 7" --out work --quiet
"$prefisso/bin/scenario" package --line work/Colle_linea.txt --train "work/Colle_R 7-.txt" --out colle --quiet
[ -x colle ] || manca "the installed tool made no package"
