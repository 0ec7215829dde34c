# Varoku: `make run` starts the program, `make test` runs every test.
JOBS       ?= $(shell nproc)
BUILD      ?= build
ASAN_BUILD ?= build-asan
# Test programs that also run under AddressSanitizer and UndefinedBehaviorSanitizer.
ASAN_TESTS ?= engine update

.PHONY: all deps configure build run test test-asan bench clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) --timeout 900
	@$(MAKE) --no-print-directory test-asan

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DVAROKU_SANITIZE=ON \
	    "-DVAROKU_TEST_DIRS=$(ASAN_TESTS)" >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS) --target $(addprefix test_,$(ASAN_TESTS))
	@ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	    ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS) --timeout 1800

bench: deps
	@cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVAROKU_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
	@cmake --build build-bench -j $(JOBS) --target varoku-bench
	@build-bench/bench/varoku-bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-bench
