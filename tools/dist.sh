#!/usr/bin/env bash
# Release archives: the Windows programs and the Linux ones with the README and the documents,
# versioned, under <native build>/dist/, and the Debian package of the native build's
# installation (CPack's DEB generator); then the Linux archive is unpacked in a scratch folder and
# its programs run from there, as a user would, without building anything. tools/prova_deb.sh
# installs the Debian package and runs it.
# Usage: tools/dist.sh NATIVE_BUILD WINDOWS_BUILD   (make dist passes build and build-windows)
# The version is $VERSIONE when set, else the project's version that the programs' --version
# prints, followed by the commit when the tree is a git checkout (1.0.0-197f526).
set -euo pipefail
cd "$(dirname "$0")/.."
nativa=${1:-build}
windows=${2:-build-windows}
progetto=$(sed -n 's/^project(valmarena VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
commit=$(git describe --always --dirty 2>/dev/null || true)
versione=${VERSIONE:-$progetto${commit:+-$commit}}
uscita=$nativa/dist
rm -rf "$uscita" && mkdir -p "$uscita"

# The README with the documents it points to and the picture they show.
documenti=(README.md docs/plot.png)
for d in docs/authoring.md docs/cli.md docs/formats.md docs/windows.md docs/architecture.md; do
  [ -f "$d" ] && documenti+=("$d") || echo "dist: $d is missing; the archives go without it" >&2
done

# One folder per archive: programs stripped of their debugging symbols, then the documents.
prepara() {
  local cartella=$1 strip=$2
  shift 2
  mkdir -p "$cartella"
  for p in "$@"; do
    cp "$p" "$cartella/"
    "$strip" "$cartella/$(basename "$p")"
  done
  for d in "${documenti[@]}"; do
    mkdir -p "$cartella/$(dirname "$d")"
    cp "$d" "$cartella/$d"
  done
}

nome_win=valmarena-$versione-windows-x64
nome_lin=valmarena-$versione-linux-x86_64
prepara "$uscita/$nome_win" x86_64-w64-mingw32-strip "$windows/valmarena.exe" "$windows/scenario.exe"
prepara "$uscita/$nome_lin" strip "$nativa/valmarena" "$nativa/scenario"
# The Windows package program too, so that authors on Linux can make Windows packages.
cp "$uscita/$nome_win/valmarena.exe" "$uscita/$nome_lin/"
(cd "$uscita" && cmake -E tar cf "$nome_win.zip" --format=zip "$nome_win" &&
  cmake -E tar czf "$nome_lin.tar.gz" "$nome_lin")
rm -rf "${uscita:?}/$nome_win" "${uscita:?}/$nome_lin"

# The unpacked Linux programs run on their own: the package writes its six files, the tool answers.
prova=$(mktemp -d)
trap 'rm -rf "$prova"' EXIT
tar xzf "$uscita/$nome_lin.tar.gz" -C "$prova"
"$prova/$nome_lin/scenario" --help > /dev/null
"$prova/$nome_lin/valmarena" 2> /dev/null
n=$(find "$prova/$nome_lin" -maxdepth 1 -name 'Valmarena_*' | wc -l)
[ "$n" -eq 6 ] || { echo "dist: the unpacked package wrote $n files, not 6" >&2; exit 1; }

# The Debian package: the native build installed under /usr by CPack.
(cd "$nativa" && cpack -G DEB -B "$PWD/dist" > /dev/null)
rm -rf "$uscita/_CPack_Packages"
ls -l "$uscita"
