# Tessaloop: the set-up and everyday commands. See README.md.
#
#   make run     install missing Debian packages, build, start tessaloop3 here
#   make test    the same set-up, then every test: formatting, the tests under
#                AddressSanitizer + UndefinedBehaviorSanitizer, the tests of the
#                two threads under ThreadSanitizer, short fuzz runs, and last the
#                whole suite on the Release build
#   make bench   build and run the benchmarks
#   make data    rebuild the art generator and regenerate data/ and userbitmaps/
#   make format  format the sources with clang-format
#   make install install the programs, art, launcher, desktop entries and manual
#                pages under PREFIX (default /usr/local)
#   make package build a Debian package (build/release/tessaloop_*.deb)
#   make docs    retake the README's screenshots (docs/) from the real window
#   make fuzz        build the libFuzzer targets with clang and run each for
#                    FUZZ_SECONDS (default 600), or for FUZZ_RUNS executions
#   make fuzz-short  the same for about 30 s each; part of the full check
#   make soak        the whole program for SOAK_SECONDS (default 600) in its own
#                    X server, built with AddressSanitizer, under random input
#                    with songs saved and loaded every few seconds; prints its
#                    figures (SOAK_PROGRAM=tessaloop6 for the six-track program)

SHELL := /bin/bash
JOBS ?= $(shell nproc)
BUILD := build/release
WERROR ?= OFF
FUZZ_SECONDS ?= 600
FUZZ_RUNS ?=
FUZZ_SHORT_SECONDS ?= 30
SOAK_SECONDS ?= 600
SOAK_PROGRAM ?= tessaloop3
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: run test deps build bench data format format-check clean fuzz fuzz-short \
	test-release test-asan test-tsan install package docs soak

deps:
	@./scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DTESSALOOP_WERROR=$(WERROR) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DTESSALOOP_WERROR=$(WERROR) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/app/tessaloop3

test: format-check test-asan test-tsan fuzz-short test-release

test-release: build
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure --timeout 600

# Sanitizer builds stop at the first report; the e2e tests of the whole program
# run on the Release build only.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

test-asan: deps
	cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALOOP_WERROR=$(WERROR) \
		-DTESSALOOP_SANITIZE=address,undefined >/dev/null
	cmake --build build/asan -j $(JOBS)
	cd build/asan && $(SANITIZER_ENV) ctest -j $(JOBS) -L 'unit|threads' --output-on-failure --timeout 600

test-tsan: deps
	cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALOOP_WERROR=$(WERROR) \
		-DTESSALOOP_SANITIZE=thread >/dev/null
	cmake --build build/tsan -j $(JOBS)
	cd build/tsan && $(SANITIZER_ENV) ctest -j $(JOBS) -L threads --output-on-failure --timeout 600

bench: deps
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DTESSALOOP_TESTS=OFF -DTESSALOOP_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	@for b in build/bench/bench/*_bench; do echo "== $$b"; ./$$b --benchmark_counters_tabular=true || exit 1; done

data: deps $(BUILD)/CMakeCache.txt
	cmake -S . -B $(BUILD) -DTESSALOOP_WERROR=$(WERROR) >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target tessaloop-artgen
	./$(BUILD)/tools/artgen/tessaloop-artgen .

fuzz: deps
	JOBS=$(JOBS) RUNS=$(FUZZ_RUNS) ./fuzz/run-fuzzers.sh $(FUZZ_SECONDS)

fuzz-short: deps
	JOBS=$(JOBS) ./fuzz/run-fuzzers.sh $(FUZZ_SHORT_SECONDS)

docs: build
	mkdir -p docs
	cd $(BUILD) && TESSALOOP_DOCS_DIR=$(CURDIR)/docs ctest -R readme_screenshot --output-on-failure

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cd $(BUILD) && cpack -G DEB

# Not part of make test: ten minutes of one program.
soak: deps
	cmake -S . -B build/soak-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSALOOP_WERROR=$(WERROR) \
		-DTESSALOOP_SANITIZE=address,undefined >/dev/null
	cmake --build build/soak-asan -j $(JOBS) --target $(SOAK_PROGRAM)_trace audio_pacer soak_input
	SOAK_SECONDS=$(SOAK_SECONDS) ./tests/soak/soak.sh $(CURDIR) \
		$(CURDIR)/build/soak-asan/tests/e2e/audio_pacer \
		$(CURDIR)/build/soak-asan/tests/e2e/$(SOAK_PROGRAM)_trace \
		$(CURDIR)/build/soak-asan/tests/soak/soak_input

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build
