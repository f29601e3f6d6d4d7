#!/usr/bin/env bash
# The Debian package of `make dist`, installed and used as a user would: the tool answers from
# PATH, its manual page and completions are where the system looks, the package program writes
# its six files in a fresh folder, and a package made by the installed tool runs too. The package
# is removed again at the end, whatever happened.
# Usage: tools/prova_deb.sh [PACKAGE.deb]   (default: the one in build/dist/). Needs root, dpkg
# and man-db; a system that drops manual pages on installation (dpkg's path-exclude) fails here.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-$(ls build/dist/valmarena_*.deb 2>/dev/null | head -n 1)}
[ -f "$deb" ] || { echo "prova_deb: no Debian package (make dist makes build/dist/valmarena_*.deb)" >&2; exit 1; }
if dpkg -s valmarena > /dev/null 2>&1; then
  echo "prova_deb: valmarena is already installed; remove it first (dpkg -r valmarena)" >&2
  exit 1
fi

prova=$(mktemp -d)
trap 'dpkg -r valmarena > /dev/null 2>&1 || true; rm -rf "$prova"' EXIT
dpkg -i "$deb" > /dev/null

manca() { echo "prova_deb: $*" >&2; exit 1; }
[ "$(command -v scenario)" = /usr/bin/scenario ] || manca "scenario is not /usr/bin/scenario"
scenario --version | grep -q '^scenario [0-9]' || manca "scenario --version"
pagina=$(man -w scenario) || manca "man -w scenario finds no page"
case $pagina in /usr/share/man/man1/scenario.1*) ;; *) manca "the manual page is $pagina" ;; esac
for f in /usr/share/bash-completion/completions/scenario /usr/share/zsh/site-functions/_scenario \
         /usr/share/fish/vendor_completions.d/scenario.fish /usr/share/doc/valmarena/README.md \
         /usr/share/doc/valmarena/docs/cli.md; do
  [ -f "$f" ] || manca "$f is not installed"
done
bash -c 'source /usr/share/bash-completion/completions/scenario && complete -p scenario' > /dev/null ||
  manca "the bash completion does not load"

# The package program in a fresh folder: the six files of its scenario, nothing else.
mkdir "$prova/gioco"
cp /usr/bin/valmarena "$prova/gioco/"
(cd "$prova/gioco" && ./valmarena 2> /dev/null)
n=$(find "$prova/gioco" -maxdepth 1 -name 'Valmarena_*' | wc -l)
[ "$n" -eq 6 ] || manca "the installed package wrote $n files, not 6"

# The installed tool makes a package from the program installed beside it, and that runs too.
cd "$prova"
scenario new Colle "R 7" --out work --quiet
scenario package --line work/Colle_linea.txt --train "work/Colle_R 7-.txt" --out nave/colle --quiet
(cd nave && ./colle 2> /dev/null)
n=$(find nave -maxdepth 1 -name 'Colle_*' | wc -l)
[ "$n" -eq 5 ] || manca "the package made by the installed tool wrote $n files, not 5"
echo "prova_deb: $(basename "$deb") installs, runs and is removed"
