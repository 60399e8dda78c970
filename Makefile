# The two commands of the README: `make run` and `make test`.
BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: all deps configure build test run clean

# The sanitizer build and the fuzz targets: clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, each in its own build directory.
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 30
FUZZ_TARGETS ?=
SANITIZERS = -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined
export ASAN_OPTIONS ?= check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS ?= print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS ?= suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0

.PHONY: deps-sanitizers configure-asan build-asan test-asan build-fuzz fuzz

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The designer works in ~/Voltaris: its Data folder is made when missing and
# gets the example projects while it is empty; the supply palette goes beside it.
VOLTARIS_HOME ?= $(HOME)/Voltaris

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "make run: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set)," >&2; \
	  echo "so the designer window cannot open. Run it from a desktop session, or under" >&2; \
	  echo "a virtual display: xvfb-run -a make run" >&2; \
	  exit 1; \
	fi
	@mkdir -p "$(VOLTARIS_HOME)/Data"
	@if [ -z "$$(ls -A "$(VOLTARIS_HOME)/Data")" ]; then \
	  for f in examples/*.dat examples/*.pjx examples/Accounts.db; do \
	    if [ -f "$$f" ]; then cp "$$f" "$(VOLTARIS_HOME)/Data/"; fi; \
	  done; \
	fi
	@if [ ! -e "$(VOLTARIS_HOME)/Colors.dat" ]; then cp resources/Colors.dat "$(VOLTARIS_HOME)/"; fi
	@cd "$(VOLTARIS_HOME)" && exec "$(abspath $(BUILD))/app/voltaris"

deps-sanitizers:
	@scripts/install-deps.sh sanitizers

configure-asan: deps deps-sanitizers
	@cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	  "-DCMAKE_CXX_FLAGS=$(SANITIZERS)" "-DCMAKE_EXE_LINKER_FLAGS=$(SANITIZERS)" $(CMAKE_FLAGS) > /dev/null

build-asan: configure-asan
	@cmake --build $(ASAN_BUILD) -j $(JOBS)

# The whole suite, GUI tests included, with every finding fatal.
test-asan: build-asan
	@cd $(ASAN_BUILD) && ctest --output-on-failure -j $(JOBS)

build-fuzz: deps-sanitizers
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DVOLTARIS_FUZZ=ON > /dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Each fuzz target in turn (or those named in FUZZ_TARGETS) for FUZZ_SECONDS
# seconds, from the seeds in fuzz/corpus.
fuzz: build-fuzz
	@scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZ_TARGETS)

# The benchmarks on generated designs of 10, 100 and 1000 devices: a table
# of medians with the model's work beside the times, then the actions at
# 1000 devices against the same benchmarks built from the tree before undo
# came in, alternated in one run (scripts/bench-ab.sh; see docs/PERFORMANCE.md).
BENCH_BUILD ?= build-bench
BENCH_REPETITIONS ?= 5

.PHONY: bench
bench: deps
	@scripts/install-deps.sh bench
	@cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLTARIS_BUILD_BENCH=ON > /dev/null
	@cmake --build $(BENCH_BUILD) -j $(JOBS) --target model_bench window_bench
	@$(BENCH_BUILD)/bench/model_bench --benchmark_repetitions=$(BENCH_REPETITIONS)
	@QT_QPA_PLATFORM=offscreen $(BENCH_BUILD)/bench/window_bench --benchmark_repetitions=$(BENCH_REPETITIONS) 2>/dev/null
	@scripts/bench-ab.sh $(BENCH_BUILD)

# clang-format and clang-tidy on the C++ changed since .ci/lint-base (see
# scripts/lint.sh), with the compile commands of $(BUILD).
.PHONY: lint
lint: build
	@scripts/install-deps.sh lint
	@scripts/lint.sh $(BUILD)

# The Debian package of the designer and voltaris-report, made by CPack in
# $(BUILD); `make test-package` unpacks and checks it (scripts/test-package.sh).
.PHONY: deps-package package test-package
deps-package:
	@scripts/install-deps.sh package

package: deps-package build
	@cd $(BUILD) && cpack -G DEB

test-package: package
	@scripts/test-package.sh $(BUILD)

# The designer as a Windows program: Qt for Windows made available
# (scripts/build-qt-windows.sh: the prefix named by VOLTARIS_QT_WINDOWS, the
# shared prebuilt one, or built from Debian's source), the programs, their
# tests and the installer cross-built with MinGW-w64
# (cmake/toolchain-mingw64.cmake), and everything run under Wine.
WINDOWS_BUILD ?= build-windows
QT_WINDOWS ?= $(or $(VOLTARIS_QT_WINDOWS),$(HOME)/.cache/voltaris/qt6-mingw-6.4.2)

.PHONY: deps-windows qt-windows configure-windows build-windows windows-installer test-windows
deps-windows:
	@scripts/install-deps.sh windows

qt-windows: deps-windows
	@scripts/build-qt-windows.sh "$(QT_WINDOWS)" > /dev/null

configure-windows: deps deps-windows qt-windows
	@cmake -S . -B $(WINDOWS_BUILD) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	  -DVOLTARIS_QT_WINDOWS="$(QT_WINDOWS)" $(CMAKE_FLAGS) > /dev/null

build-windows: configure-windows
	@cmake --build $(WINDOWS_BUILD) -j $(JOBS)

# build-windows/Voltaris-<version>-win64.exe, made by CPack's NSIS generator.
windows-installer: build-windows
	@cd $(WINDOWS_BUILD) && cpack -G NSIS > cpack.log || { cat cpack.log; exit 1; }
	@ls $(WINDOWS_BUILD)/Voltaris-*-win64.exe

# The tests as Windows programs under Wine, then the installer end to end.
test-windows: windows-installer
	@scripts/test-windows.sh $(WINDOWS_BUILD) $(JOBS)

clean:
	rm -rf $(BUILD)
