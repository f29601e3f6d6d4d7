# Thin driver over the CMake presets.
JOBS ?= 2

.PHONY: vsix test-grammar build run test test-sanitizers test-clang windows test-windows fuzz bench dist clean

build:
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

# Only the two programs, so that the scenario's files appear soon after a fresh clone.
run:
	cmake --preset default
	cmake --build --preset default -j $(JOBS) --target valmarena scenario
	./build/valmarena

test: build
	ctest --preset default -j $(JOBS)

test-sanitizers:
	cmake --preset sanitizers
	cmake --build --preset sanitizers -j $(JOBS)
	ctest --preset sanitizers -j $(JOBS)

test-clang:
	cmake --preset clang
	cmake --build --preset clang -j $(JOBS)
	ctest --preset clang -j $(JOBS)

# Windows .exe files with MinGW-w64; their tests run under wine on a virtual X screen.
windows:
	cmake --preset windows
	cmake --build --preset windows -j $(JOBS)

test-windows: windows build
	JOBS=$(JOBS) bash tests/windows/prova_windows.sh build-windows build

# Release build, then the package run and the longest-route compile timed against a plain copy
# of what they write, with their peak memory (bench/banco.cpp).
# LSP_LUNGA: a line file and a train file for the language server's latency on a long route.
LSP_LUNGA ?= $(wildcard /work/ref/linea_lunga.txt /work/ref/treno_lungo.txt)
bench:
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	./build-release/banco
	./build-release/lsp_latenza $(LSP_LUNGA)

# Fuzz targets built with clang and libFuzzer, each then run for FUZZ_SECONDS over its corpus
# (fuzz/esegui.sh); a target that fails stops with its input in build-fuzz/reperti/.
FUZZ_SECONDS ?= 60
fuzz:
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash fuzz/esegui.sh

# Versioned release archives of the Windows and Linux programs with the documents, and a Debian
# package of the native installation, in build/dist/ (tools/dist.sh).
dist: build windows
	bash tools/dist.sh build build-windows

clean:
	rm -rf build build-sanitizers build-clang build-release build-windows build-fuzz

# The VS Code extension (editors/vscode): its grammar tests and its package, with the npm
# packages of its package-lock.json.
editors/vscode/node_modules: editors/vscode/package-lock.json
	cd editors/vscode && npm ci --no-audit --no-fund

test-grammar: editors/vscode/node_modules
	cd editors/vscode && npm run test:grammar

vsix: editors/vscode/node_modules
	cd editors/vscode && npm run vsix
