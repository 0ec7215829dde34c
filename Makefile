# Varoku: `make run` starts the program, `make test` runs every test.
JOBS       ?= $(shell nproc)
BUILD      ?= build
ASAN_BUILD ?= build-asan
# Seconds each fuzz program runs: `make fuzz` for a real search, `make test` briefly.
FUZZ_SECONDS      ?= 300
FUZZ_TEST_SECONDS ?= 20
# engine reads every symbol back strictly; engine_fast checks cheap invariants (and one
# input in 128 strictly) to search many more inputs in the same time.
FUZZ_TARGETS      := engine engine_fast settings update_reply text cli
# Test programs that also run under AddressSanitizer and UndefinedBehaviorSanitizer
# (install runs the installed sanitized programs, so it needs everything built; the
# window's with its monkey at 2,000 actions).
ASAN_TESTS ?= engine platform qr composer update cli window hardening install
# The soak's inputs under the sanitizers (about ten times slower there).
ASAN_SOAK_CASES ?= 500
# make install: PREFIX is the installed prefix, DESTDIR an optional staging root.
PREFIX  ?= /usr/local
DESTDIR ?=
# CMake wants the folder list separated by semicolons.
empty :=
space := $(empty) $(empty)

.PHONY: all deps configure build run test check-all format-check test-asan soak soak-window phones fuzz fuzz-build bench bench-segments bench-read-back bench-cli bench-lists clean \
        install uninstall package package-check

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake --preset dev -B $(BUILD) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run

# Every C++ file as .clang-format has it; a drifted file fails the test run.
format-check: deps
	@find . -path './build*' -prune -o -path './.git' -prune -o \( -name '*.cpp' -o -name '*.h' \) \
	    -print | xargs clang-format-14 --dry-run -Werror

# The developer's loop: the format, the build and every test with their short stress
# forms. CI runs this and then check-all.
test: format-check build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 900

# What CI adds after `make test`: the tests again under the sanitizers and a short run
# of every fuzz program.
check-all: deps
	@$(MAKE) --no-print-directory test-asan
	@$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(FUZZ_TEST_SECONDS)

test-asan: deps
	@cmake --preset asan -B $(ASAN_BUILD) \
	    "-DVAROKU_TEST_DIRS=$(subst $(space),;,$(strip $(ASAN_TESTS)))" >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS) \
	    --target $(if $(filter install,$(ASAN_TESTS)),all,$(addprefix test_,$(ASAN_TESTS)))
	@ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_string_checks=1 \
	    LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 VAROKU_SOAK_CASES=$(ASAN_SOAK_CASES) \
	    ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) --timeout 1800

# 100,000 random inputs through the strict checker and zxing-cpp (make test runs 5,000),
# and 2,000 kills of the closing sequence on a long list (make test runs 120).
soak: build
	@VAROKU_SOAK_CASES=100000 VAROKU_KILL_ROUNDS=2000 QT_QPA_PLATFORM=offscreen \
	    $(BUILD)/tests/hardening/test_hardening --gtest_filter='Soak.*:*ClosingSequenceKilled*'

# 100,000 random user actions at the window (make test runs 2,000); a failure prints
# the seed to give VAROKU_MONKEY_SEED.
soak-window: build
	@VAROKU_MONKEY_ACTIONS=$(or $(VAROKU_MONKEY_ACTIONS),100000) QT_QPA_PLATFORM=offscreen \
	    $(BUILD)/tests/window/test_window --gtest_filter='Monkey.*'

# 2,000 random cases per payload kind and carrier read back as phones read them (make test: 24).
phones: build
	@VAROKU_PHONE_CASES=$(or $(VAROKU_PHONE_CASES),2000) QT_QPA_PLATFORM=offscreen \
	    $(BUILD)/tests/phone/test_phone

fuzz-build: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))

fuzz: fuzz-build
	@scripts/fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

bench: deps
	@cmake --preset bench >/dev/null
	@cmake --build build-bench -j $(JOBS) --target varoku-bench
	@build-bench/bench/varoku-bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# Data bits and versions at level M of our greedy and optimal segmentation beside
# libqrencode, zint and segno, on Japanese and English texts and every prefix of a long
# mail; fails when the optimal segmentation spends more bits than zint on any of them.
bench-segments: deps
	@cmake --preset bench >/dev/null
	@cmake --build build-bench -j $(JOBS) --target varoku-bench-segments
	@build-bench/bench/varoku-bench-segments /usr/bin/python3 bench/segments_segno.py

# CPU time of the window's read-back of its own code: four version-10 symbols and one
# version-40 symbol, read cell by cell and read whole.
bench-read-back: deps
	@cmake --preset bench >/dev/null
	@cmake --build build-bench -j $(JOBS) --target varoku-bench-read-back
	@build-bench/bench/varoku-bench-read-back --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

# varoku-qr as whole processes beside qrencode and zint (hyperfine); prints CPU ratios.
bench-cli: configure
	@cmake --build $(BUILD) -j $(JOBS) --target varoku-qr
	@bench/cli/bench-cli $(BUILD)/varoku-qr $(or $(RUNS),60)

# The window opened and closed on 100,000 names and 100,000 phrases, timed.
bench-lists: configure
	@cmake --build $(BUILD) -j $(JOBS) --target bench_lists
	@QT_QPA_PLATFORM=offscreen $(BUILD)/tests/window/bench_lists

install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# Removes exactly what the last `make install` wrote (CMake lists it in the manifest).
uninstall:
	@test -f $(BUILD)/install_manifest.txt || { echo "nothing installed from $(BUILD)"; exit 1; }
	@xargs -d '\n' rm -f -- < $(BUILD)/install_manifest.txt
	@echo "removed $$(wc -l < $(BUILD)/install_manifest.txt) files"

# The Debian package, build/varoku_<version>-1_<arch>.deb; Depends comes from dpkg-shlibdeps.
package: build
	@cd $(BUILD) && cpack -G DEB

# lintian over the package; errors and warnings fail the check. What is accepted on
# purpose is explained in data/varoku.lintian-overrides.
package-check: package
	@lintian --info --display-info --fail-on error,warning $(BUILD)/varoku_*.deb

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-bench build-fuzz
